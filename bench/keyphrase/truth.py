"""Ground truth for key phrase quality: which terms a page is about, by people who did not write this tool.

Two sources: a DocBook book index (each entry's links say which pages a term is about) and the
<meta name="keywords"> tags of a set of pages (weaker: they repeat per chapter).
"""

import html.parser
import os
import re
import urllib.parse

_SEE = re.compile(r"\s*\((see|see also)\b.*$", re.IGNORECASE | re.DOTALL)


def _clean_term(text):
    text = " ".join(text.split())
    text = _SEE.sub("", text)
    return text.strip().rstrip(",").strip()


def page_of(href):
    """The page a link is about: the file, without the anchor or the query."""
    path = urllib.parse.urlsplit(href).path
    return urllib.parse.unquote(path.rsplit("/", 1)[-1])


class _IndexParser(html.parser.HTMLParser):
    """Reads <dl> lists of <dt> entries, each entry's sub-entries in the <dd><dl> after it.

    A term is the <dt>'s text before its first link; the links after it are the pages it is about. A
    sub-entry is read as a phrase of its own put before its parent's ("built-in" under "aggregate
    function" is "built-in aggregate function"), and its pages get the parent's terms too.
    """

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.pages = {}
        self._chain = []  # the combined term of each open level
        self._depth = 0  # <dl> nesting
        self._in_dt = False
        self._term_text = []
        self._term_done = False
        self._in_link = False
        self._dt_terms = None  # the terms of the <dt> being read

    def handle_starttag(self, tag, attrs):
        if tag == "dl":
            self._depth += 1
        elif tag == "dt":
            self._in_dt = True
            self._term_text = []
            self._term_done = False
            self._dt_terms = None
        elif tag == "a" and self._in_dt:
            if not self._term_done:
                self._finish_term()
            href = dict(attrs).get("href") or ""
            self._in_link = True
            if href and not href.startswith("#"):
                page = page_of(href)
                if page:
                    self.pages.setdefault(page, set()).update(self._dt_terms)

    def _finish_term(self):
        self._term_done = True
        term = _clean_term("".join(self._term_text))
        level = max(self._depth - 1, 0)
        del self._chain[level:]
        while len(self._chain) < level:
            self._chain.append("")  # a sub-list with no entry before it: not met in practice
        combined = term if not self._chain or not self._chain[-1] else term + " " + self._chain[-1]
        self._chain.append(combined)
        self._dt_terms = {t for t in self._chain if t}

    def handle_endtag(self, tag):
        if tag == "dl":
            self._depth -= 1
        elif tag == "a":
            self._in_link = False
        elif tag == "dt":
            if not self._term_done:
                self._finish_term()
            self._in_dt = False

    def handle_data(self, data):
        if self._in_dt and not self._term_done and not self._in_link:
            self._term_text.append(data)


def book_index_truth(index_html):
    """{page file name: set of terms} from a DocBook bookindex.html's text."""
    parser = _IndexParser()
    parser.feed(index_html)
    parser.close()
    return {page: terms for page, terms in parser.pages.items() if terms}


def book_index_truth_file(path):
    with open(path, encoding="utf-8") as f:
        return book_index_truth(f.read())


class _MetaKeywords(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.keywords = None

    def handle_starttag(self, tag, attrs):
        if tag == "meta":
            a = dict(attrs)
            if (a.get("name") or "").lower() == "keywords" and self.keywords is None:
                self.keywords = a.get("content") or ""


def meta_keywords(page_html):
    """The terms of a page's <meta name="keywords">, split at commas; None when it has none."""
    parser = _MetaKeywords()
    parser.feed(page_html)
    parser.close()
    if parser.keywords is None:
        return None
    return {t for t in (" ".join(k.split()) for k in parser.keywords.split(",")) if t}


def meta_keywords_truth(directory):
    """{page file name: set of terms} of every .html file in directory with a non-empty keywords tag."""
    truth = {}
    for name in sorted(os.listdir(directory)):
        if not name.endswith(".html"):
            continue
        with open(os.path.join(directory, name), encoding="utf-8", errors="replace") as f:
            terms = meta_keywords(f.read())
        if terms:
            truth[name] = terms
    return truth
