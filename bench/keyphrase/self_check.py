"""The scorer's own tests: python3 score.py --self-check."""

import os
import tempfile
import unittest

import baselines
import matching
import predictions
import score
import truth

INDEX = """<html><body><div class="index"><dl>
<dt id="e1">aggregate function, <a class="indexterm" href="tutorial-agg.html">Aggregate Functions</a>,
 <a class="indexterm" href="xaggr.html#XAGGR-MOVING">User-Defined</a></dt>
<dd><dl><dt>built-in, <a class="indexterm" href="functions-aggregate.html">Aggregate Functions</a></dt>
<dt>moving aggregate, <a class="indexterm" href="xaggr.html#XAGGR-MOVING">Moving</a></dt></dl></dd>
<dt id="e2">auto-increment (see <a href="#e9">serial</a>)</dt>
<dt id="e3">configuration</dt>
<dd><dl><dt>of recovery</dt><dd><dl><dt>general settings, <a class="indexterm" href="runtime-config-wal.html#R">Recovery</a></dt></dl></dd>
<dt>of the server, <a class="indexterm" href="runtime-config.html">Server Configuration</a></dt></dl></dd>
<dt id="e4">pg_dump, <a class="indexterm" href="app-pgdump.html">pg_dump</a></dt>
</dl></div></body></html>"""


class GroundTruth(unittest.TestCase):
    def test_book_index_entries(self):
        got = truth.book_index_truth(INDEX)
        cases = {
            "tutorial-agg.html": {"aggregate function"},
            "xaggr.html": {"aggregate function", "moving aggregate aggregate function"},
            "functions-aggregate.html": {"aggregate function", "built-in aggregate function"},
            "runtime-config-wal.html": {"configuration", "of recovery configuration",
                                        "general settings of recovery configuration"},
            "runtime-config.html": {"configuration", "of the server configuration"},
            "app-pgdump.html": {"pg_dump"},
        }
        self.assertEqual(got, cases)  # the "see" entry links to the index itself: no page

    def test_installed_index_count(self):
        path = "/usr/share/doc/postgresql-doc-15/html/bookindex.html"
        if not os.path.exists(path):
            self.skipTest("postgresql-doc-15 is not installed")
        self.assertEqual(len(truth.book_index_truth_file(path)), 798)

    def test_meta_keywords(self):
        cases = [
            ('<meta name="keywords" content="apt-get, apt ,sources.list,, " />', {"apt-get", "apt", "sources.list"}),
            ('<META NAME="Keywords" CONTENT="RAID">', {"RAID"}),
            ('<meta name="description" content="x">', None),
        ]
        for html, want in cases:
            self.assertEqual(truth.meta_keywords(html), want, html)


class Matching(unittest.TestCase):
    def test_exact_and_partial(self):
        cases = [  # predicted, truth, exact, partial
            ("Aggregate Functions", "aggregate function", True, True),
            ("built-in aggregates", "built-in aggregate", True, True),
            ("pg_dump", "pg dump", True, True),
            ("aggregate", "aggregate function", False, True),
            ("moving aggregate function", "aggregate function", False, True),
            ("function aggregate", "aggregate function", False, False),
            ("moving function", "moving aggregate function", False, False),
        ]
        for predicted, term, exact, partial in cases:
            p, t = matching.stem_key(predicted), matching.stem_key(term)
            self.assertEqual(matching.matches(p, t, False), exact, (predicted, term))
            self.assertEqual(matching.matches(p, t, True), partial, (predicted, term))

    def test_page_scores(self):
        terms = ["aggregate function", "avg", "count"]
        cases = [  # phrases, partial, (P@1, P@10, R@10)
            (["Aggregate Functions", "avg", "foo"], False, (1.0, 0.2, 2 / 3)),
            (["foo", "avg"], False, (0.0, 0.1, 1 / 3)),
            (["avg", "AVG", "avgs"], False, (1.0, 0.1, 1 / 3)),  # one stem listed thrice is one phrase
            (["aggregate"], True, (1.0, 0.1, 1 / 3)),
            ([], False, (0.0, 0.0, 0.0)),
        ]
        for phrases, partial, want in cases:
            p1, p, r, f1 = matching.page_scores(phrases, terms, 10, partial)
            self.assertAlmostEqual(p1, want[0], msg=phrases)
            self.assertAlmostEqual(p, want[1], msg=phrases)
            self.assertAlmostEqual(r, want[2], msg=phrases)
            self.assertAlmostEqual(f1, 2 * p * r / (p + r) if p + r else 0.0)

    def test_unpredicted_page_scores_zero(self):
        got = matching.evaluate({"a.html": ["avg"]}, {"a.html": {"avg"}, "b.html": {"count"}})
        self.assertEqual(got["b.html"], (0.0, 0.0, 0.0, 0.0, 0.0))
        self.assertAlmostEqual(matching.macro(got)[0], 0.5)


class Reading(unittest.TestCase):
    def test_key_phrases_cell(self):
        cases = [
            ("aggregate function:0.91;avg:0.5", ["aggregate function", "avg"]),
            ("std::string:1.5e-3; time: 12 ;", ["std::string", "time"]),
            ("ratio 1:2:0.4;x", ["ratio 1:2", "x"]),
            ("", []),
        ]
        for cell, want in cases:
            self.assertEqual(predictions.parse_key_phrases(cell), want, cell)

    def test_page_of_url(self):
        cases = [("http://127.0.0.1:8080/sql-select.html#X", "sql-select.html"),
                 ("http://127.0.0.1:8080/", "index.html"),
                 ("http://h/a%20b.html?q=1", "a b.html")]
        for url, want in cases:
            self.assertEqual(predictions.page_of_url(url), want)

    def test_keyword_file_skips_pages_with_no_phrase(self):
        with tempfile.TemporaryDirectory() as d:
            def write(name, text):
                with open(os.path.join(d, name), "w", newline="") as f:
                    f.write(text)
                return os.path.join(d, name)

            found = write("found", "http://h/a.html\nhttp://h/b.html\nhttp://h/c.html\n")
            report = write("report.csv", "url,status,title\nhttp://h/a.html,200,1.1. A-b\n"
                           "http://h/b.html,200,\nhttp://h/c.html,200,  C\n")
            keywords = write("title.txt", "1.1. A b\r\nC\r\n")
            got = predictions.read_keyword_file(keywords, found, "title", report_path=report)
            self.assertEqual(got, {"a.html": ["1.1. A b"], "c.html": ["C"]})
            links = write("links.csv", "source,target,anchor\nhttp://h/a.html,http://h/b.html,Next\n"
                          "http://h/c.html,http://h/b.html,Bee\nhttp://h/a.html,http://h/c.html,\n"
                          "http://h/b.html,http://h/b.html,top\nhttp://h/c.html,http://h/b.html,Bee\n")
            anchors = write("anchor.txt", "Bee\r\n")
            got = predictions.read_keyword_file(anchors, found, "anchor", links_path=links)
            self.assertEqual(got, {"b.html": ["Bee"]})


class Baselines(unittest.TestCase):
    def test_clean_title(self):
        affixes = baselines.site_affixes(["A \u2014 Site 1.0", "B \u2014 Site 1.0", "Site 1.0"])
        cases = [
            ("2.7. Aggregate Functions", ["Aggregate Functions"]),
            ("Chapter 10. Network Infrastructure", ["Network Infrastructure"]),
            ("Part II. The SQL Language", ["The SQL Language"]),
            ("F.31. pg_stat_statements \u2014 track statistics", ["pg_stat_statements", "track statistics"]),
            ("6.2. aptitude, apt-get, and apt Commands", ["aptitude", "apt-get", "and apt Commands"]),
            ("CREATE TABLE \u2014 Site 1.0", ["CREATE TABLE"]),
            ("Site 1.0", ["Site 1.0"]),
        ]
        for title, want in cases:
            self.assertEqual(baselines.title_parts(baselines.clean_title(title, affixes)), want, title)

    def test_candidates_cross_no_punctuation_nor_stop_word_ends(self):
        grams = {" ".join(g) for s in baselines.sentences(["The aggregate function, of rows."]) for g in baselines.ngrams(s)}
        self.assertEqual(grams, {"aggregate", "function", "aggregate function", "rows"})

    def test_rake_prefers_phrases_of_connected_words(self):
        got = baselines.rake(["Compatibility of systems of linear constraints over the set of natural numbers."])
        self.assertEqual(got[0], "linear constraints")

    def test_bootstrap(self):
        mean, lo, hi = score.paired_bootstrap([0.5, 0.5, 0.5], [0.25, 0.25, 0.25], 200, 1)
        self.assertEqual((mean, lo, hi), (0.25, 0.25, 0.25))
        mean, lo, hi = score.paired_bootstrap([1.0, 0.0] * 50, [0.0] * 100, 1000, 1)
        self.assertLess(lo, mean)
        self.assertLess(mean, hi)
