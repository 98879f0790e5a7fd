"""Opens the audit page of a hostile constructed crawl in headless Chromium and checks what a user sees:
the overview's numbers, the charts, the issues and tables, every site text shown as text, and that the
page neither logs, nor opens a dialog, nor requests anything beyond file://.

usage: audit_page_browser_test.py WRITER   (WRITER writes the page to the path it is given)
Exit status 77 (skipped) when Chromium is not installed."""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from headless_page import HeadlessPage, find_chromium  # noqa: E402

SKIP = 77
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def column(table, index):
    return ("Array.from(document.querySelectorAll('#%s tbody > tr')).map(r => r.cells[%d].textContent)"
            % (table, index))


def set_filter(page, table, text):
    page.evaluate("(() => { const i = document.querySelector('#%s input'); i.value = %r;"
                  " i.dispatchEvent(new Event('input')); })()" % (table, text))
    page.pump(0.5)


def check_keywords(page):
    ev = page.evaluate
    hostile = "</script><script>document.documentElement.dataset.owned='phrase'</script>"
    check(ev("document.documentElement.hasAttribute('data-rendered')"), "the keyword page's script ran to its end")
    check(ev("document.querySelectorAll('nav a[href=\"#keywords\"]').length") == 1, "the Keywords entry in the nav")
    for card, number in {"kw-phrases": "25", "kw-cannibalised": "1", "kw-clusters": "2", "kw-gaps": "2"}.items():
        shown = ev("(document.querySelector('#%s .num') || {}).textContent" % card)
        check(shown == number, "overview %s shows %r, not %r" % (card, shown, number))
    check(ev("document.querySelectorAll('svg#chart-keywords rect.bar').length") == 20, "the chart's top 20 bars")
    labels = ev("Array.from(document.querySelectorAll('svg#chart-keywords text')).map(t => t.textContent)") or []
    check("blue widgets" in labels and "</script><script>document.docume\u2026" in labels,
          "the chart labels its bars with the phrases, cut to its room: %r" % labels[:6])

    phrases = ev(column("keyword-table", 1)) or []
    check(len(phrases) == 25, "the phrase table lists every phrase: %d" % len(phrases))
    for expected in ("blue widgets", hostile, "<img src=x onerror=\"document.documentElement.dataset.owned='img'\">",
                     "bad \ufffd utf-8", "caf\u00e9"):
        check(expected in phrases, "phrase shown as text: %r" % expected)
    check(ev(column("keyword-table", 9))[2] == "<b>de</b>", "a language shown as text")
    check(ev("document.querySelectorAll('#keywords img, #keywords b, #keywords script, #keyword-table svg').length")
          == 0, "no phrase became an element")
    # Sorting by score: lowest first, then highest first; filtering over every column.
    score = "document.querySelectorAll('#keyword-table th button')[2]"
    ev(score + ".click()")
    check(ev(column("keyword-table", 1))[0] == "filler 20", "sorted by score, lowest first")
    ev(score + ".click()")
    check(ev(column("keyword-table", 1))[:2] == ["blue widgets", hostile], "sorted by score, highest first")
    check(ev("document.querySelectorAll('#keyword-table th')[2].getAttribute('aria-sort')") == "descending",
          "the sorted column says so")
    set_filter(page, "keyword-table", "WIDGETS")
    check(ev(column("keyword-table", 1)) == ["blue widgets"], "the filter keeps the matching phrase")
    set_filter(page, "keyword-table", "")
    check(len(ev(column("keyword-table", 1))) == 25, "an empty filter shows every phrase again")

    # The cannibalised phrase with its competing pages folded under it; the clusters with theirs.
    check(ev(column("cannibal-table", 0)) == ["blue widgets"], "the cannibalised phrase")
    competing = ev("Array.from(document.querySelectorAll('#cannibal-table tbody li')).map(li => li.firstChild.tagName"
                   " + ' ' + li.firstChild.textContent)")
    check(competing == ["A http://127.0.0.1:8080/p2", "SPAN javascript:document.documentElement.dataset.owned='kw'"],
          "the competing pages, a web address as a link, any other as text: %r" % competing)
    check(ev(column("cluster-table", 0)) == [
        "widgets", "<svg onload=\"document.documentElement.dataset.owned='cluster'\">"], "the clusters by name")
    folds = ev("Array.from(document.querySelectorAll('#cluster-table tbody > tr')).map(r =>"
               " r.cells[3].querySelector('summary').textContent + ' ' + r.cells[3].querySelectorAll('li').length)")
    check(folds == ["3 pages 3", "2 pages 2"], "each cluster's pages, folded: %r" % folds)
    check(ev(column("cluster-table", 1))[1] == "javascript:document.documentElement.dataset.owned='hub'",
          "a hub that is no web address stays text")

    # The gap, filtered by status.
    check(ev("document.getElementById('gap-theirs').textContent") ==
          "http://them.test/?q=<script>document.documentElement.dataset.owned='theirs'</script>",
          "their start address shown as text")
    check(len(ev(column("gap-table", 0)) or []) == 4, "the gap lists every row")
    options = ev("Array.from(document.querySelectorAll('#gap-table option')).map(o => o.textContent)")
    check(options == ["Any status", "gap", "shared", "only mine"], "the statuses to filter by: %r" % options)
    ev("(() => { const s = document.querySelector('#gap-table select'); s.value = 'gap';"
       " s.dispatchEvent(new Event('change')); })()")
    check(ev(column("gap-table", 0)) == [
        "green widgets", "</script><script>document.documentElement.dataset.owned='gap'</script>"],
        "filtered to the phrases they target and I do not")
    check(ev(column("gap-table", 3)) == ["gap", "gap"], "only gap rows")
    check(ev("document.documentElement.dataset.owned") is None, "no phrase or address ran as script")
    hrefs = ev("Array.from(document.querySelectorAll('a[href]')).map(a => a.protocol + a.getAttribute('href'))")
    for href in hrefs:
        check(href.startswith("http:") or href.startswith("https:") or href.startswith("file:#"),
              "a link that is not a web address: %r" % href)


def main():
    chromium = find_chromium()
    if chromium is None:
        print("chromium is not installed: skipped (scripts/install-deps.sh test installs it)")
        return SKIP
    with tempfile.TemporaryDirectory(prefix="vortaxel-audit-") as folder:
        path = os.path.join(folder, "audit.html")
        subprocess.run([sys.argv[1], path], check=True, timeout=60)
        with HeadlessPage(chromium) as page:
            page.open(path)
            ev = page.evaluate
            check(ev("document.documentElement.hasAttribute('data-rendered')"), "the script ran to its end")
            overview = {
                "ov-pages": "10", "ov-2xx": "9", "ov-4xx": "1", "ov-5xx": "0", "ov-none": "0", "ov-broken": "2",
                "ov-broken-pages": "2", "ov-redirected": "1", "ov-chains": "1", "ov-orphans": "1",
                "ov-missing-titles": "0", "ov-duplicate-descriptions": "9", "ov-time": "1 min 5 s",
                "ix-indexable": "7", "ix-noindex": "1", "ix-canonicalised": "1", "ix-client-error": "1",
            }
            for card, number in overview.items():
                shown = ev("(document.querySelector('#%s .num') || {}).textContent" % card)
                check(shown == number, "overview %s shows %r, not %r" % (card, shown, number))
            charts = {"chart-status": 2, "chart-depth": 3, "chart-time": 7}
            for chart, bars in charts.items():
                count = ev("document.querySelectorAll('svg#%s rect.bar').length" % chart)
                check(count == bars, "%s has %r bars, not %d" % (chart, count, bars))
            check(ev("document.querySelectorAll('svg#chart-found polyline').length") == 1, "the found-over-time line")
            check(ev("document.querySelector('svg#chart-status').getBoundingClientRect().width") > 100,
                  "the status chart is drawn at its size")

            # Every hostile text is there as the text it was, and none of it ran.
            titles = ev("Array.from(document.querySelectorAll('#page-table tbody tr')).map(r => r.cells[3].textContent)")
            check(titles is not None and len(titles) == 10, "the pages table lists every page: %r" % titles)
            titles = titles or []
            for expected in ("</script><script>document.documentElement.dataset.owned='title'</script>",
                             "<svg onload=alert(1)>", "<!-- <script> quotes \" ' and a line\u2028separator",
                             "bad \ufffd\ufffd utf-8 \ufffd\ufffd overlong \ufffd lone"):
                check(expected in titles, "title shown as text: %r" % expected)
            check(ev("document.getElementById('start-url').textContent") ==
                  "http://127.0.0.1:8080/?q=\"><script>document.documentElement.dataset.owned='start'</script>",
                  "the start address shown as text")
            check(ev("document.documentElement.dataset.owned") is None, "no site text ran as script")
            check(ev("document.querySelectorAll('#page-table img, #page-table svg, #issues b').length") == 0,
                  "no site text became an element")
            hrefs = ev("Array.from(document.querySelectorAll('a[href]')).map(a => a.protocol + a.getAttribute('href'))")
            for href in hrefs:
                check(href.startswith("http:") or href.startswith("https:") or href.startswith("file:#"),
                      "a link that is not a web address: %r" % href)

            # The issues open into their pages; the broken link's every source is listed.
            ev("document.querySelectorAll('details.issue').forEach(d => { d.open = true; })")
            page.pump(0.5)
            names = ev("Array.from(document.querySelectorAll('details.issue > summary')).map(s => s.textContent)")
            for name in ("Broken links (2)", "Pages with client errors (4xx) (1)", "Redirect chains (1)",
                         "Duplicate meta descriptions (9)", "Noindex pages (1)", "Orphan pages (1)",
                         "Canonicalised pages (1)"):
                check(name in (names or []), "issue listed: %r in %r" % (name, names))
            # The broken address once, the pages linking to it folded under it.
            check(ev("document.querySelectorAll('details.issue')[0].querySelectorAll('tbody tr').length") == 1,
                  "the broken address is one row")
            sources = ev("Array.from(document.querySelectorAll('details.issue')[0].querySelectorAll('tbody li'))"
                         ".map(li => li.firstChild.textContent)")
            check(sorted(sources or []) == sorted([
                "http://127.0.0.1:8080/?q=\"><script>document.documentElement.dataset.owned='start'</script>",
                "http://127.0.0.1:8080/p1"]), "every page holding the broken link: %r" % sources)
            chain = ev("Array.from(document.querySelectorAll('#page-table tbody tr')).map(r => r.cells[13].textContent)"
                       ".filter(t => t)")
            check(chain == ["301 http://127.0.0.1:8080/old -> 302 http://127.0.0.1:8080/older"],
                  "the redirect chain hop by hop: %r" % chain)

            # Filtering and sorting the pages table.
            ev("(() => { const i = document.querySelector('#page-table input'); i.value = 'GONE';"
               " i.dispatchEvent(new Event('input')); })()")
            page.pump(0.5)
            rows = ev("Array.from(document.querySelectorAll('#page-table tbody tr')).map(r => r.cells[0].textContent)")
            check(rows == ["http://127.0.0.1:8080/gone"], "the filter keeps the matching page: %r" % rows)
            ev("(() => { const i = document.querySelector('#page-table input'); i.value = '';"
               " i.dispatchEvent(new Event('input')); })()")
            page.pump(0.5)
            ev("document.querySelectorAll('#page-table th button')[1].click()")
            ev("document.querySelectorAll('#page-table th button')[1].click()")
            first = ev("document.querySelector('#page-table tbody tr').cells[1].textContent")
            check(first == "404", "sorted by status, highest first: %r" % first)
            links = ev("document.querySelectorAll('#link-table tbody tr').length")
            check(links == 4, "the links table lists every link: %r" % links)
            page.pump(0.5)
            failures.extend(page.problems())

        # A longer crawl is shown a hundred rows at a time.
        many = os.path.join(folder, "many.html")
        subprocess.run([sys.argv[1], many, "250"], check=True, timeout=60)
        with HeadlessPage(chromium) as page:
            page.open(many)
            ev = page.evaluate
            rows = "document.querySelectorAll('#page-table tbody tr')"
            info = "document.querySelector('#page-table .note').textContent"
            check(ev(rows + ".length") == 100 and ev(info) == "Rows 1\u2013100 of 250", "the first hundred rows")
            next_button = "Array.from(document.querySelectorAll('#page-table button')).find(b => b.textContent == 'Next')"
            ev(next_button + ".click()")
            ev(next_button + ".click()")
            check(ev(rows + ".length") == 50 and ev(info) == "Rows 201\u2013250 of 250", "the last fifty rows")
            check(ev(next_button + ".disabled"), "no page after the last")
            # A single redirect is no chain: the overview and the issues list say the same.
            check(ev("document.querySelector('#ov-chains .num').textContent") == "0", "no redirect chain in the overview")
            names = ev("Array.from(document.querySelectorAll('details.issue > summary')).map(s => s.textContent)") or []
            check("Redirects (1)" in names and not any(n.startswith("Redirect chains") for n in names),
                  "the issues list the redirect as a redirect: %r" % names)
            ev("document.querySelectorAll('#page-table th button')[16].click()")
            ev("document.querySelectorAll('#page-table th button')[16].click()")
            check(ev("document.querySelector('#page-table tbody tr').cells[16].textContent") == "249",
                  "sorted by response time as numbers, slowest first, back on the first rows")
            page.pump(0.3)
            failures.extend(page.problems())

        # The keyword section: the site's phrases, the chart, the cannibalised ones, the clusters and the gap,
        # every phrase a site wrote shown as text.
        keyed = os.path.join(folder, "keywords.html")
        subprocess.run([sys.argv[1], keyed, "keywords"], check=True, timeout=60)
        with HeadlessPage(chromium) as page:
            page.open(keyed)
            check_keywords(page)
            page.pump(0.3)
            failures.extend(page.problems())
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
