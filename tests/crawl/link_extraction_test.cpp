#include "crawl/link_extraction.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using Links = std::vector<std::string>;
using namespace std::string_literals;

struct VectorSink : LinkSink {
    void Append(std::string_view link) override { links.emplace_back(link); }
    Links links;
};

/// Both extractors over one page, in the crawl loop's order.
Links ExtractAll(std::string_view page, std::string_view startUrl = "http://example.org/") {
    VectorSink sink;
    ExtractHrefLinks(page, sink, startUrl);
    ExtractWindowOpenLinks(page, sink, startUrl);
    return sink.links;
}

struct Row {
    std::string page;
    Links expected;
    std::string startUrl = "http://example.org/";
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << ::testing::PrintToString(row.page.substr(0, 80)) << " from " << row.startUrl;
}

const std::string kFar(40000, 'x');

const Row kRows[] = {
    {R"(href="/a/b.html")", {"http://example.org/a/b.html"}},
    {R"(HREF='c.html')", {"http://example.org/c.html"}},
    {R"(hReF="c.html")", {"http://example.org/c.html"}},
    {R"(href="http://example.org/d.html")", {"http://example.org/d.html"}},
    {R"(href="http://example.com/e.html")", {}},
    {R"(href="http://example.com/go?to=http://example.org/")", {"http://example.com/go?to=http://example.org/"}},
    {R"(href="http://example.org")", {}},
    // Any-case and https schemes are absolute; the base URL is still sought with its own case.
    {R"(href="HTTP://example.org/f.html")", {}},
    {R"(href="HTTP://example.org/f.html")", {"HTTP://example.org/f.html"}, "HTTP://example.org/"},
    {R"(href="https://example.org/g.html")", {}},
    {R"(href="https://example.org/g.html")", {"https://example.org/g.html"}, "https://example.org/"},
    {R"(href="Https://example.org/g.html")", {}, "https://example.org/"},
    {R"(href="ftp://example.org/g")", {"http://example.org/ftp://example.org/g"}},
    {R"(href="")", {"http://example.org/"}},
    {R"(href="/")", {"http://example.org/"}},
    {R"(href="//example.org/h.html")", {"http://example.org//example.org/h.html"}},
    {R"(href="#top")", {"http://example.org/#top"}},
    {R"(href="it's.html")", {"http://example.org/it's.html"}},
    {R"(href='say "hi".html')", {R"(http://example.org/say "hi".html)"}},
    {R"(a href=x.html title="Home")", {"http://example.org/Home"}},
    {R"(hreflang="en" href="y.html")", {"http://example.org/en", "http://example.org/y.html"}},
    {R"(href="z.html" href="z.html")", {"http://example.org/z.html", "http://example.org/z.html"}},
    {R"(xhrefs='q' href=x "y href" z")", {"http://example.org/q", "http://example.org/y href"}},
    {R"(window.open('/popup.html'))", {"http://example.org/popup.html"}},
    {R"(window.open('help.html','w','width=300'))", {"http://example.org/help.html"}},
    {R"(Window.Open('Page.html'))", {"http://example.org/Page.html"}},
    {R"(window.open('http://example.com/x.html'))", {"http://example.com/x.html"}},
    {R"(window.open('go.php?u=http://example.com/'))", {"go.php?u=http://example.com/"}},
    {R"(window.open('go.php?u=HTTPS://example.com/'))", {"go.php?u=HTTPS://example.com/"}},
    {R"(window.open(''))", {"http://example.org/"}},
    {R"(window.open("x.html") window.open ('x.html'))", {}},
    {R"(href="a.html" window.open('b.html') href="c.html")",
     {"http://example.org/a.html", "http://example.org/c.html", "http://example.org/b.html"}},
    {R"(href="../up.html")", {"http://example.org/../up.html"}},
    {R"(href="a.html")", {"http://example.org/dir/a.html"}, "http://example.org/dir"},
    {R"(href="a.html")", {"http://example.org/a.html"}, "  http://example.org  "},
    {R"(href="a.html" href="http://example.com/")", {"/a.html", "http://example.com/"}, ""},
    {"no links here", {}},
    {"", {}},
    // An unclosed value ends that keyword's scan for the page; the other keyword goes on.
    {R"(href="ok.html" href="open window.open('w.html') href='late.html')",
     {"http://example.org/ok.html", "http://example.org/w.html"}},
    {R"(href="ok.html" href=bare)", {"http://example.org/ok.html"}},
    {R"(window.open('a.html') window.open('x.html)", {"http://example.org/a.html"}},
    // Any bytes may stand in a page; NUL neither ends the page nor a value.
    {"\0href=\"a\0b.html\"\0 href='c.html'"s, {"http://example.org/a\0b.html"s, "http://example.org/c.html"}},
    {"\xff\xfehref=\"\xe9t\xe9.html\"", {"http://example.org/\xe9t\xe9.html"}},
    // Positions within one link have no limit.
    {"href" + kFar + "\"far.html\"", {"http://example.org/far.html"}},
    {"href=\"" + kFar + "\" href=\"b\"", {"http://example.org/" + kFar, "http://example.org/b"}},
    {"href=\"a.html\"" + kFar + "' href=\"b.html\"", {"http://example.org/a.html", "http://example.org/b.html"}},
    {"window.open('" + kFar + "')", {"http://example.org/" + kFar}},
};

class ExtractionTable : public ::testing::TestWithParam<Row> {};

TEST_P(ExtractionTable, AppendsExactlyTheExpectedLinksInOrder) {
    EXPECT_EQ(ExtractAll(GetParam().page, GetParam().startUrl), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, ExtractionTable, ::testing::ValuesIn(kRows));

struct CountingSink : LinkSink {
    void Append(std::string_view link) override {
        ++count;
        last = link;
    }
    std::size_t count = 0;
    std::string last;
};

TEST(Extraction, LargePagesYieldEveryLink) {
    struct Case {
        std::size_t links;
        std::string link;
        std::string filler;
    };
    const Case cases[] = {
        {500, "<a href=\"p.html\">", std::string(200, ' ')},
        {1'000'000, "<a href=\"p.html\">", "0123456789012345"},
        {1'000'000, "window.open('/p.html')", "0123456789"},
    };
    for (const Case& c : cases) {
        std::string page;
        page.reserve(c.links * (c.link.size() + c.filler.size()));
        for (std::size_t i = 0; i < c.links; ++i) {
            page += c.link;
            page += c.filler;
        }
        CountingSink sink;
        ExtractHrefLinks(page, sink, "http://example.org/");
        ExtractWindowOpenLinks(page, sink, "http://example.org/");
        EXPECT_EQ(sink.count, c.links) << c.link;
        EXPECT_EQ(sink.last, "http://example.org/p.html");
    }
}

} // namespace
} // namespace vortaxel::crawl
