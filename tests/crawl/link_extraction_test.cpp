#include "crawl/classic/link_extraction.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using Links = std::vector<std::string>;
using namespace std::string_literals;
using test::PrintTo;

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
    std::string name;
    std::string page;
    Links expected;
    std::string startUrl = "http://example.org/";
};

const std::string kFar(40000, 'x');

const Row kRows[] = {
    {"RootRelative", R"(href="/a/b.html")", {"http://example.org/a/b.html"}},
    {"ApostropheAndUpperCaseKeyword", R"(HREF='c.html')", {"http://example.org/c.html"}},
    {"MixedCaseKeyword", R"(hReF="c.html")", {"http://example.org/c.html"}},
    {"AbsoluteUnderBase", R"(href="http://example.org/d.html")", {"http://example.org/d.html"}},
    {"AbsoluteOtherHost", R"(href="http://example.com/e.html")", {}},
    {"AbsoluteHoldingBase",
     R"(href="http://example.com/go?to=http://example.org/")",
     {"http://example.com/go?to=http://example.org/"}},
    {"AbsoluteShorterThanBase", R"(href="http://example.org")", {}},
    // Any-case and https schemes are absolute; the base URL is still sought with its own case.
    {"UpperCaseSchemeLowerCaseBase", R"(href="HTTP://example.org/f.html")", {}},
    {"UpperCaseSchemeAndBase",
     R"(href="HTTP://example.org/f.html")",
     {"HTTP://example.org/f.html"},
     "HTTP://example.org/"},
    {"HttpsUnderHttpBase", R"(href="https://example.org/g.html")", {}},
    {"HttpsUnderHttpsBase",
     R"(href="https://example.org/g.html")",
     {"https://example.org/g.html"},
     "https://example.org/"},
    {"MixedCaseHttpsUnderHttpsBase", R"(href="Https://example.org/g.html")", {}, "https://example.org/"},
    {"OtherSchemeJoined", R"(href="ftp://example.org/g")", {"http://example.org/ftp://example.org/g"}},
    {"EmptyValue", R"(href="")", {"http://example.org/"}},
    {"SlashAlone", R"(href="/")", {"http://example.org/"}},
    {"SchemeRelativeJoined", R"(href="//example.org/h.html")", {"http://example.org//example.org/h.html"}},
    {"FragmentOnly", R"(href="#top")", {"http://example.org/#top"}},
    {"ApostropheInsideQuotes", R"(href="it's.html")", {"http://example.org/it's.html"}},
    {"QuotesInsideApostrophes", R"(href='say "hi".html')", {R"(http://example.org/say "hi".html)"}},
    {"UnquotedValueTakesNextQuoted", R"(a href=x.html title="Home")", {"http://example.org/Home"}},
    {"KeywordInsideAttributeName",
     R"(hreflang="en" href="y.html")",
     {"http://example.org/en", "http://example.org/y.html"}},
    {"RepeatedLinkKeptTwice",
     R"(href="z.html" href="z.html")",
     {"http://example.org/z.html", "http://example.org/z.html"}},
    {"KeywordInsideWords", R"(xhrefs='q' href=x "y href" z")", {"http://example.org/q", "http://example.org/y href"}},
    {"WindowOpenRootRelative", R"(window.open('/popup.html'))", {"http://example.org/popup.html"}},
    {"WindowOpenWithMoreArguments", R"(window.open('help.html','w','width=300'))", {"http://example.org/help.html"}},
    {"WindowOpenAnyCase", R"(Window.Open('Page.html'))", {"http://example.org/Page.html"}},
    {"WindowOpenAbsolute", R"(window.open('http://example.com/x.html'))", {"http://example.com/x.html"}},
    {"WindowOpenHoldingSchemeKeptAsIs",
     R"(window.open('go.php?u=http://example.com/'))",
     {"go.php?u=http://example.com/"}},
    {"WindowOpenHoldingUpperCaseScheme",
     R"(window.open('go.php?u=HTTPS://example.com/'))",
     {"go.php?u=HTTPS://example.com/"}},
    {"WindowOpenEmpty", R"(window.open(''))", {"http://example.org/"}},
    {"WindowOpenNeedsApostropheRightAfter", R"(window.open("x.html") window.open ('x.html'))", {}},
    {"HrefsBeforeWindowOpens",
     R"(href="a.html" window.open('b.html') href="c.html")",
     {"http://example.org/a.html", "http://example.org/c.html", "http://example.org/b.html"}},
    {"ParentFolderKeptAsTyped", R"(href="../up.html")", {"http://example.org/../up.html"}},
    {"BaseGetsSlash", R"(href="a.html")", {"http://example.org/dir/a.html"}, "http://example.org/dir"},
    {"BaseTrimmedOfBlanks", R"(href="a.html")", {"http://example.org/a.html"}, "  http://example.org  "},
    {"EmptyBase", R"(href="a.html" href="http://example.com/")", {"/a.html", "http://example.com/"}, ""},
    {"NoLinks", "no links here", {}},
    {"EmptyPage", "", {}},
    // An unclosed value ends that keyword's scan for the page; the other keyword goes on.
    {"UnclosedHrefEndsOnlyHrefScan",
     R"(href="ok.html" href="open window.open('w.html') href='late.html')",
     {"http://example.org/ok.html", "http://example.org/w.html"}},
    {"UnquotedLastHref", R"(href="ok.html" href=bare)", {"http://example.org/ok.html"}},
    {"UnclosedWindowOpen", R"(window.open('a.html') window.open('x.html)", {"http://example.org/a.html"}},
    // Any bytes may stand in a page; NUL neither ends the page nor a value.
    {"NulBytes",
     "\0href=\"a\0b.html\"\0 href='c.html'"s,
     {"http://example.org/a\0b.html"s, "http://example.org/c.html"}},
    {"HighBytes", "\xff\xfehref=\"\xe9t\xe9.html\"", {"http://example.org/\xe9t\xe9.html"}},
    // Positions within one link have no limit.
    {"FarQuoteAfterKeyword", "href" + kFar + "\"far.html\"", {"http://example.org/far.html"}},
    {"FarLongValue", "href=\"" + kFar + "\" href=\"b\"", {"http://example.org/" + kFar, "http://example.org/b"}},
    {"FarStrayApostrophe",
     "href=\"a.html\"" + kFar + "' href=\"b.html\"",
     {"http://example.org/a.html", "http://example.org/b.html"}},
    {"FarWindowOpenValue", "window.open('" + kFar + "')", {"http://example.org/" + kFar}},
};

class ExtractionTable : public ::testing::TestWithParam<Row> {};

TEST_P(ExtractionTable, AppendsExactlyTheExpectedLinksInOrder) {
    EXPECT_EQ(ExtractAll(GetParam().page, GetParam().startUrl), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, ExtractionTable, ::testing::ValuesIn(kRows), test::RowName());

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
