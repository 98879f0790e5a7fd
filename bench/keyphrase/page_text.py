"""A page's title and visible text, read with the standard library's HTML parser.

The text comes as blocks (a block element ends one), so no phrase is built across a heading, a table
cell or a paragraph's end.
"""

import html.parser

_SKIP = {"script", "style", "noscript", "template", "head"}
_BLOCK = {
    "address", "article", "aside", "blockquote", "br", "caption", "dd", "details", "div", "dl", "dt",
    "fieldset", "figcaption", "figure", "footer", "form", "h1", "h2", "h3", "h4", "h5", "h6", "header",
    "hr", "li", "main", "nav", "ol", "p", "pre", "section", "summary", "table", "td", "th", "tr", "ul",
    "body", "html", "title", "option", "select", "textarea", "button",
}
_VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}


class _TextParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.title_parts = []
        self.blocks = []
        self._current = []
        self._skip = 0
        self._in_title = False

    def _end_block(self):
        text = " ".join("".join(self._current).split())
        if text:
            self.blocks.append(text)
        self._current = []

    def handle_starttag(self, tag, attrs):
        if tag == "title":
            self._in_title = True
        elif tag in _SKIP and tag not in _VOID:
            self._skip += 1
        if tag in _BLOCK:
            self._end_block()

    def handle_startendtag(self, tag, attrs):
        if tag in _BLOCK:
            self._end_block()

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False
        elif tag in _SKIP and self._skip:
            self._skip -= 1
        if tag in _BLOCK:
            self._end_block()

    def handle_data(self, data):
        if self._in_title:
            self.title_parts.append(data)
        elif not self._skip:
            self._current.append(data)

    def close(self):
        super().close()
        self._end_block()


def read_page(page_html):
    """(title, [visible text blocks]) of a page; no-break spaces are blanks."""
    parser = _TextParser()
    parser.feed(page_html.replace("\u00a0", " "))
    parser.close()
    return " ".join("".join(parser.title_parts).split()), parser.blocks
