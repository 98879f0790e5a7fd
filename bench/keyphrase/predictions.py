"""A method's ranked phrases per page, read from the crawler's outputs."""

import collections
import csv
import re
import sys
import urllib.parse

csv.field_size_limit(sys.maxsize)

_NUMBER = re.compile(r"^\s*[-+]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][-+]?[0-9]+)?\s*$")


def page_of_url(url):
    """The file a URL names; a directory's address names its index.html."""
    path = urllib.parse.urlsplit(url).path
    name = urllib.parse.unquote(path.rsplit("/", 1)[-1])
    return name or "index.html"


def parse_key_phrases(cell):
    """"phrase:score;phrase:score;..." as the phrases in their order. A score is the text after the
    last ":" when it is a number; a piece with none is a phrase as it stands."""
    phrases = []
    for piece in cell.split(";"):
        phrase, sep, score = piece.rpartition(":")
        if not sep or not _NUMBER.match(score):
            phrase = piece
        phrase = phrase.strip()
        if phrase:
            phrases.append(phrase)
    return phrases


def read_csv_predictions(path):
    """({page: [phrases]}, {page: [target phrase]} or None) from a CSV with a url column, a key_phrases
    column and perhaps a target_phrase column. A page listed twice (a redirect's two addresses) keeps
    its first row that has phrases."""
    out, targets = {}, {}
    with open(path, newline="", encoding="utf-8", errors="replace") as f:
        reader = csv.DictReader(f)
        if reader.fieldnames is None or "url" not in reader.fieldnames or "key_phrases" not in reader.fieldnames:
            raise SystemExit(f"{path}: needs the columns url and key_phrases")
        has_target = "target_phrase" in reader.fieldnames
        for row in reader:
            phrases = parse_key_phrases(row["key_phrases"] or "")
            page = page_of_url(row["url"])
            if phrases and page not in out:
                out[page] = phrases
            target = (row.get("target_phrase") or "").strip()
            if target and page not in targets:
                targets[page] = [target]
    return out, (targets if has_target else None)


def text_phrase(text):
    """What the crawler's title and anchor phrases do to a text: "-" and "_" blanks, ASCII white space
    runs one blank, none at the ends."""
    text = text.replace("-", " ").replace("_", " ")
    return " ".join(re.split(r"[ \t\n\v\f\r]+", text)).strip(" ")


def _title_phrases(report_path):
    with open(report_path, newline="", encoding="utf-8", errors="replace") as f:
        return {row["url"]: text_phrase(row.get("title") or "") for row in csv.DictReader(f)}


def _anchor_phrases(links_path):
    anchors = collections.defaultdict(list)
    with open(links_path, newline="", encoding="utf-8", errors="replace") as f:
        for row in csv.DictReader(f):
            if row["source"] != row["target"]:
                anchors[row["target"]].append(text_phrase(row.get("anchor") or ""))
    chosen = {}
    for target, texts in anchors.items():
        counts = collections.Counter(t for t in texts if t)
        if counts:
            best = max(counts.values())
            chosen[target] = next(t for t in texts if counts.get(t) == best)
    return chosen


def read_keyword_file(keywords_path, found_path, source, report_path=None, links_path=None):
    """{page: [phrase]} from a keyword file of one phrase per found page (lines in found order, a page
    whose phrase is blank left out).

    The file names no page, so each line is put against the found list (the crawl's standard output),
    skipping the pages whose phrase the crawl's report (title) or links file (anchor) shows is blank;
    lines that differ from what those files give are counted on standard error (the line is kept: when
    anchors tie, the crawl may choose another one than the links file's order suggests).
    """
    with open(found_path, encoding="utf-8", errors="replace") as f:
        found = [line.strip() for line in f if line.strip()]
    with open(keywords_path, encoding="utf-8", errors="replace", newline="") as f:
        lines = [line.rstrip("\r\n") for line in f.read().split("\r\n")]
    if lines and lines[-1] == "":
        lines.pop()
    if source == "title":
        derived = _title_phrases(report_path)
    elif source == "anchor":
        derived = _anchor_phrases(links_path)
    else:
        raise SystemExit(f"phrases from {source}: only title and anchor are read")
    out = {}
    j = differ = 0
    for url in found:
        phrase = derived.get(url, "")
        if not phrase.strip(" "):
            continue
        if j == len(lines):
            break
        if lines[j] != phrase:
            differ += 1
        out.setdefault(page_of_url(url), [lines[j]])
        j += 1
    if differ or j != len(lines):
        print(f"{keywords_path}: {differ} lines differ from the crawl's {source}s, "
              f"{len(lines) - j} left over", file=sys.stderr)
    return out
