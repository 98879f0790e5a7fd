#!/usr/bin/python3
"""Scores ranked key phrases per page against a ground truth, beside simple baselines.

See bench/README.md ("Key phrase quality") for how bench/keyphrase_quality.sh runs it.
"""

import argparse
import hashlib
import json
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import baselines  # noqa: E402
import matching  # noqa: E402
import page_text  # noqa: E402
import predictions  # noqa: E402
import truth as truth_sources  # noqa: E402

K = 10


def read_site(directory, leave_out):
    """{page: (title, blocks)} of every .html file of a directory."""
    pages = {}
    for name in sorted(os.listdir(directory)):
        if name.endswith(".html") and name not in leave_out:
            with open(os.path.join(directory, name), encoding="utf-8", errors="replace") as f:
                pages[name] = page_text.read_page(f.read())
    return pages


def baseline_predictions(site, pages):
    """{method: {page: phrases}} of each baseline over the pages to score; TF-IDF's document
    frequencies come from the whole site."""
    corpus = baselines.Corpus()
    for _, blocks in site.values():
        corpus.add(blocks)
    affixes = baselines.site_affixes([title for title, _ in site.values()])
    out = {"title + TF-IDF": {}, "TF-IDF": {}, "YAKE": {}, "RAKE": {}}
    for page in pages:
        if page not in site:
            continue
        title, blocks = site[page]
        out["title + TF-IDF"][page] = baselines.title_then_tfidf(title, blocks, corpus, affixes, K)
        out["TF-IDF"][page] = baselines.tfidf(blocks, corpus, K)
        out["YAKE"][page] = baselines.yake(blocks, K)
        out["RAKE"][page] = baselines.rake(blocks, K)
    return out


def cached_baselines(site_dir, leave_out, pages, cache_dir):
    """The baselines' phrases, from cache_dir when the site's files and the baselines' code are those
    they were worked out from (they take most of a run's time and change only with those)."""
    key = hashlib.sha256()
    here = os.path.dirname(os.path.abspath(__file__))
    for name in ("baselines.py", "page_text.py", "stopwords.py"):
        with open(os.path.join(here, name), "rb") as f:
            key.update(f.read())
    for name in sorted(os.listdir(site_dir)):
        st = os.stat(os.path.join(site_dir, name))
        key.update(f"{name}\0{st.st_size}\0{st.st_mtime_ns}\0".encode())
    key.update(repr((sorted(leave_out), sorted(pages))).encode())
    path = os.path.join(cache_dir, key.hexdigest()[:32] + ".json") if cache_dir else None
    if path and os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    result = baseline_predictions(read_site(site_dir, leave_out), pages)
    if path:
        os.makedirs(cache_dir, exist_ok=True)
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(result, f)
        os.replace(path + ".tmp", path)
    return result


def paired_bootstrap(a, b, resamples, seed):
    """The mean of a - b over pages and its 95% interval from resampling pages with replacement."""
    diffs = [x - y for x, y in zip(a, b)]
    n = len(diffs)
    rng = random.Random(seed)
    means = sorted(sum(rng.choices(diffs, k=n)) / n for _ in range(resamples))
    return sum(diffs) / n, means[int(0.025 * resamples)], means[min(resamples - 1, int(0.975 * resamples))]


def print_table(title, rows, out):
    print(title, file=out)
    header = ("method", "pages", "with phrases", "P@1", "P@10", "R@10", "F1@10", "partial F1@10")
    width = max([len(header[0])] + [len(name) for name, _, _ in rows])
    print(f"{header[0]:<{width}}  " + "  ".join(f"{h:>13}" if i == 2 else f"{h:>6}" if i < 2 else f"{h:>13}"
                                                 for i, h in enumerate(header[1:], 1)), file=out)
    for name, per_page, covered in rows:
        p1, p, r, f1, pf1 = matching.macro(per_page)
        cells = [f"{len(per_page):>6}", f"{covered:>13}"] + [f"{v:>13.3f}" for v in (p1, p, r, f1, pf1)]
        print(f"{name:<{width}}  " + "  ".join(cells), file=out)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    truth_arg = ap.add_mutually_exclusive_group()
    truth_arg.add_argument("--index", metavar="FILE", help="a DocBook bookindex.html: its entries are the truth")
    truth_arg.add_argument("--meta-keywords", metavar="DIR", help="the <meta name=keywords> of DIR's pages are the truth")
    ap.add_argument("--site", metavar="DIR", help="the pages' HTML for the baselines (default: the truth's directory)")
    ap.add_argument("--no-baselines", action="store_true", help="score only the given predictions")
    ap.add_argument("--predictions", metavar="NAME=CSV", action="append", default=[],
                    help="a CSV with url and key_phrases columns (phrase:score;... best first)")
    ap.add_argument("--keywords", metavar="SOURCE=FILE", action="append", default=[],
                    help="a keyword file written with --phrases SOURCE (title or anchor); needs --found, and "
                         "--report (title) or --links (anchor)")
    ap.add_argument("--found", metavar="FILE", help="the crawl's standard output: the found pages in order")
    ap.add_argument("--report", metavar="CSV", help="the crawl's --report file")
    ap.add_argument("--links", metavar="CSV", help="the crawl's --links file")
    ap.add_argument("--cache", metavar="DIR", help="keep the baselines' phrases in DIR for the next run")
    ap.add_argument("--resamples", type=int, default=10000)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--label", default=None, help="the table's heading")
    ap.add_argument("--self-check", action="store_true", help="run the scorer's own tests and exit")
    args = ap.parse_args(argv)

    if args.self_check:
        import unittest

        import self_check

        result = unittest.TextTestRunner(verbosity=1).run(unittest.defaultTestLoader.loadTestsFromModule(self_check))
        return 0 if result.wasSuccessful() else 1

    if args.index:
        truth = truth_sources.book_index_truth_file(args.index)
        site_dir = args.site or os.path.dirname(os.path.abspath(args.index))
        leave_out = {os.path.basename(args.index)}
        label = args.label or f"truth: the book index {args.index}"
    elif args.meta_keywords:
        truth = truth_sources.meta_keywords_truth(args.meta_keywords)
        site_dir = args.site or args.meta_keywords
        leave_out = set()
        label = args.label or f"truth: the meta keywords of {args.meta_keywords}"
    else:
        ap.error("give --index or --meta-keywords (or --self-check)")

    methods = {}
    if not args.no_baselines:
        methods.update(cached_baselines(site_dir, leave_out, truth, args.cache))
    for spec in args.keywords:
        source, _, path = spec.partition("=")
        if not path or not args.found:
            ap.error("--keywords takes SOURCE=FILE and needs --found")
        methods[f"today: --phrases {source}"] = predictions.read_keyword_file(
            path, args.found, source, args.report, args.links)
    for spec in args.predictions:
        name, sep, path = spec.partition("=")
        if not sep:
            name, path = os.path.basename(spec), spec
        methods[name], targets = predictions.read_csv_predictions(path)
        if targets is not None:
            # Its own row: the target phrase is what the keyword file writes, so its P@1 is the one that counts.
            methods[f"{name} (target_phrase)"] = targets
            other = sum(1 for p, t in targets.items() if methods[name].get(p, [None])[0] != t[0])
            if other:
                print(f"{path}: on {other} pages the target phrase is not the first key phrase", file=sys.stderr)

    scored = {name: matching.evaluate(pred, truth, K) for name, pred in methods.items()}
    rows = [(name, scored[name], sum(1 for p in truth if methods[name].get(p))) for name in methods]
    print_table(f"{label}; {len(truth)} pages with at least one term; macro averages over those pages", rows,
                sys.stdout)

    base_names = [n for n in baselines_order() if n in scored]
    if base_names:
        best = max(base_names, key=lambda n: matching.macro(scored[n])[3])
        pages = sorted(truth)
        for name in [n for n in methods if n not in base_names and not n.endswith("(target_phrase)")]:
            mean, lo, hi = paired_bootstrap([scored[name][p][3] for p in pages], [scored[best][p][3] for p in pages],
                                            args.resamples, args.seed)
            print(f"F1@10 of {name} - {best}: {mean:+.3f}, 95% interval [{lo:+.3f}, {hi:+.3f}] "
                  f"(paired bootstrap over pages, {args.resamples} resamples, seed {args.seed})")
    return 0


def baselines_order():
    return ["title + TF-IDF", "TF-IDF", "YAKE", "RAKE"]


if __name__ == "__main__":
    sys.exit(main())
