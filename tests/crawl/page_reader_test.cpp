#include "crawl/page/html_tokenizer.h"
#include "crawl/page/page_address.h"
#include "crawl/page/page_reader.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using namespace std::string_literals;
using test::PrintTo;

struct Found {
    LinkSource source;
    std::string target;
    std::string anchor;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& found) {
    return out << SourceName(found.source) << " " << found.target << " \"" << found.anchor << "\"";
}

std::vector<Found> FoundIn(const PageRead& read) {
    std::vector<Found> found;
    for (const PageLink& link : read.links) {
        found.push_back({link.source, link.target, link.anchor});
    }
    return found;
}

TEST(PageReader, EveryLinkWithItsSourceAndText) {
    const PageRead read = ReadPage(
        R"(<html lang="en-GB"><head><title> The  &amp; Page </title>)"
        R"(<link rel="canonical" href="/c.html"><link rel="next" href="p2.html"><link rel="prev" href="p0.html">)"
        R"(<link rel="alternate" hreflang="de" href="/de/"><link rel="stylesheet" href="s.css">)"
        R"(<link rel="shortcut icon" href="f.ico"><link rel="preload" href="no.js"><script src="x.js"></script>)"
        R"(<meta http-equiv="refresh" content="5; URL='later.html'"></head>)"
        R"(<body><a href="a.html" rel="nofollow">Go <b>on</b>
           now</a><area href="m.html" alt="Map"><img src="i.png" alt="Pic" srcset="i1.png 1x, i2.png 2x,i3.png">)"
        R"(<iframe src="f.html"></iframe><a href="b.html"><img src="logo.png" alt="Logo"></a>)"
        R"html(<p onclick="window.open('w.html')">x</p></body></html>)html");
    const std::vector<Found> expected = {
        {LinkSource::LinkCanonical, "/c.html", ""}, {LinkSource::LinkNext, "p2.html", ""},
        {LinkSource::LinkPrev, "p0.html", ""},      {LinkSource::LinkAlternate, "/de/", ""},
        {LinkSource::LinkStylesheet, "s.css", ""},  {LinkSource::LinkIcon, "f.ico", ""},
        {LinkSource::Script, "x.js", ""},           {LinkSource::MetaRefresh, "later.html", ""},
        {LinkSource::A, "a.html", "Go on now"},     {LinkSource::Area, "m.html", "Map"},
        {LinkSource::Img, "i.png", "Pic"},          {LinkSource::ImgSrcset, "i1.png", ""},
        {LinkSource::ImgSrcset, "i2.png", ""},      {LinkSource::ImgSrcset, "i3.png", ""},
        {LinkSource::Iframe, "f.html", ""},         {LinkSource::A, "b.html", "Logo"},
        {LinkSource::Img, "logo.png", "Logo"},      {LinkSource::WindowOpen, "w.html", ""},
    };
    EXPECT_EQ(FoundIn(read), expected);
    EXPECT_EQ(read.links[8].rel, "nofollow");
    EXPECT_EQ(read.links[3].hreflang, "de");
    EXPECT_EQ(read.facts.title, "The & Page");
    EXPECT_EQ(read.facts.canonical, "/c.html");
    EXPECT_EQ(read.facts.lang, "en-GB");
    EXPECT_EQ(read.facts.refresh.value_or("(none)"), "5; URL='later.html'");
}

struct FactsRow {
    std::string name;
    std::string page;
    PageFacts expected;
};

PageFacts Facts(std::size_t words, std::string title, std::size_t titles, std::string h1, std::size_t h1s) {
    PageFacts facts;
    facts.title = std::move(title);
    facts.titleCount = titles;
    facts.h1 = std::move(h1);
    facts.h1Count = h1s;
    facts.wordCount = words;
    return facts;
}

PageFacts WithMeta(PageFacts facts, std::string description, std::string robots) {
    facts.metaDescription = std::move(description);
    facts.metaRobots = std::move(robots);
    return facts;
}

const FactsRow kFacts[] = {
    {"Empty", "", Facts(0, "", 0, "", 0)},
    {"FirstTitleAndH1Count", "<title>One</title><title>Two</title><h1>A <i>b</i></h1><h1>C</h1>",
     Facts(3, "One", 2, "A b", 2)},
    {"WordsSplitAtBlocksNotAtInlineTags", "<p>one two</p><p>thr<b>ee</b></p><div>four</div>\n\tfive",
     Facts(5, "", 0, "", 0)},
    {"HiddenTextIsNotCounted",
     "<script>a b c</script><style>d e</style><template>f g</template><title>t</title><textarea>h</textarea>",
     Facts(1, "t", 1, "", 0)},
    {"HeadingEndsAtAnyHeading", "<h1>Top<h2>Sub</h2>", Facts(2, "", 0, "Top", 1)},
    {"MetaNamesAnyCase",
     R"(<meta NAME="Description" content="d1"><meta name="description" content="d2">)"
     R"(<meta name="robots" content="noindex"><meta name="ROBOTS" content="nofollow">)",
     WithMeta(Facts(0, "", 0, "", 0), "d1", "noindex, nofollow")},
    {"SvgTitleIsNotThePageTitle", "<svg><title>icon</title></svg><title>Page</title>", Facts(1, "Page", 1, "", 0)},
    {"TemplateHoldsNoFacts",
     R"(<template><title>T</title><h1>H</h1><meta name="robots" content="noindex"></template>)"
     R"(<title>Page</title><h1>Top</h1>)",
     Facts(1, "Page", 1, "Top", 1)},
};

class FactsTable : public ::testing::TestWithParam<FactsRow> {};

TEST_P(FactsTable, Page) {
    const PageFacts facts = ReadPage(GetParam().page).facts;
    const PageFacts& expected = GetParam().expected;
    EXPECT_EQ(facts.title, expected.title);
    EXPECT_EQ(facts.titleCount, expected.titleCount);
    EXPECT_EQ(facts.h1, expected.h1);
    EXPECT_EQ(facts.h1Count, expected.h1Count);
    EXPECT_EQ(facts.wordCount, expected.wordCount);
    EXPECT_EQ(facts.metaDescription, expected.metaDescription);
    EXPECT_EQ(facts.metaRobots, expected.metaRobots);
}

INSTANTIATE_TEST_SUITE_P(Pages, FactsTable, ::testing::ValuesIn(kFacts), test::RowName());

TEST(PageReader, TextAndLinksStayWithinTheirBounds) {
    // A 10 MB title of two-byte characters is cut whole characters short of the cap.
    std::string page = "<title>";
    for (int i = 0; i < 5'000'000; ++i) {
        page += "\xC3\xA9";
    }
    page += "</title>";
    for (int i = 0; i < 10'000; ++i) {
        page += "<title>more</title><a href=\"l" + std::to_string(i) + "\">" + std::string(300, 'x') + "</a>";
    }
    ReadLimits limits;
    limits.links = 100;
    const PageRead read = ReadPage(page, limits);
    EXPECT_EQ(read.facts.title.size(), 1024U);
    EXPECT_EQ(read.facts.titleCount, 10'001U);
    ASSERT_EQ(read.links.size(), 100U);
    EXPECT_EQ(read.links.back().target, "l99");
    EXPECT_EQ(read.links.back().anchor.size(), limits.anchorBytes);

    const std::string longLink = "<a href=\"" + std::string(kMaxLinkBytes + 1, 'x') + "\">x</a><a href=\"ok.html\">";
    EXPECT_EQ(ReadPage(longLink).links.size(), 1U);
}

// A link too long to keep is left out but said: its kind, length and start, the first few of them kept
// and all of them counted.
TEST(PageReader, NotesTheLinksTooLongToKeep) {
    const std::string huge(100'000, 'y');
    std::string page = "<a href=\"ok.html\">ok</a><iframe src=\"f" + huge + "\"></iframe>";
    for (std::size_t i = 0; i < kOverlongLinksKept + 4; ++i) {
        page += "<a href=\"" + huge + "\">x</a>";
    }
    const PageRead read = ReadPage(page);
    ASSERT_EQ(read.links.size(), 1U);
    EXPECT_EQ(read.overlongCount, kOverlongLinksKept + 5);
    ASSERT_EQ(read.overlong.size(), kOverlongLinksKept);
    EXPECT_EQ(read.overlong[0].source, LinkSource::Iframe);
    EXPECT_EQ(read.overlong[0].bytes, huge.size() + 1);
    EXPECT_EQ(read.overlong[0].head, "f" + huge.substr(0, kOverlongHeadBytes - 1));
    EXPECT_EQ(read.overlong[1].source, LinkSource::A);
    EXPECT_TRUE(ReadPage("<a href=\"" + std::string(kMaxLinkBytes, 'z') + "\">").overlong.empty());
}

struct TreeRow {
    std::string name;
    std::string page;
    std::vector<std::string> targets;
    std::optional<std::string> base;
};

// Where a browser's tree builder puts what the reader meets: a template's content is no part of the
// page; inside SVG and MathML, elements are not HTML's, and only SVG's own `a` links.
const TreeRow kTrees[] = {
    {"TemplateContentIsNoPartOfThePage",
     "<a href=in1.html>x</a><template><a href=t.html>t</a><base href=/t/><area href=ta.html>"
     "<iframe src=tf.html></iframe><img src=ti.png></template><a href=in2.html>y</a>",
     {"in1.html", "in2.html"},
     std::nullopt},
    {"NestedTemplates", "<template><template><a href=t1></template><a href=t2></template><a href=in>", {"in"}, {}},
    {"TemplateInHeadKeepsItsBase", "<head><template><base href=/t/></template><base href=/real/></head>", {}, "/real/"},
    {"SvgAreaMathAnchorAndSvgBaseAreNotHtml",
     "<svg><area href=sa.html><base href=/sb/><iframe src=sf.html></svg><math><a href=ma.html>m</a></math>"
     "<a href=html.html>h</a>",
     {"html.html"},
     std::nullopt},
    {"SvgAnchorByHrefOrXlinkHref",
     R"(<svg><a href="s1.html"><text>1</text></a><a xlink:href="s2.html">2</a>)"
     R"(<a xlink:href="no.html" href="s3.html">3</a><a>none</a></svg>)",
     {"s1.html", "s2.html", "s3.html"},
     std::nullopt},
    {"ForeignObjectHoldsHtml",
     "<svg><foreignObject><a href=fo.html>f</a><base href=/fo/></foreignObject></svg>",
     {"fo.html"},
     "/fo/"},
    {"HtmlBreaksOutOfSvg", "<svg><g><p><a href=out.html>o</a>", {"out.html"}, std::nullopt},
};

class TreeTable : public ::testing::TestWithParam<TreeRow> {};

TEST_P(TreeTable, Links) {
    const PageRead read = ReadPage(GetParam().page);
    std::vector<std::string> targets;
    for (const PageLink& link : read.links) {
        targets.push_back(link.target);
    }
    EXPECT_EQ(targets, GetParam().targets);
    EXPECT_EQ(read.facts.baseHref, GetParam().base);
}

INSTANTIATE_TEST_SUITE_P(Pages, TreeTable, ::testing::ValuesIn(kTrees), test::RowName());

std::string Repeated(std::string_view piece, std::size_t bytes) {
    std::string out;
    out.reserve(bytes + piece.size());
    while (out.size() < bytes) {
        out += piece;
    }
    return out;
}

std::vector<std::string> Targets(std::string_view page) {
    std::vector<std::string> targets;
    for (const PageLink& link : ReadPage(page).links) {
        targets.push_back(link.target);
    }
    return targets;
}

// Shapes that cost a tree parser time growing with the square of the page, or memory many times
// it, and inputs outside what a page should be. Each must read in bounded time with the links a
// browser sees; bench/ measures the big sizes.
TEST(PageReader, HostileShapesReadInFull) {
    const std::vector<std::string> ok = {"ok.html"};
    EXPECT_EQ(Targets(Repeated("<div>", 5'000'000) + "<a href=ok.html>"), ok);
    EXPECT_EQ(Targets(Repeated("<div></x>", 1 << 20) + "<a href=ok.html>"), ok);
    EXPECT_EQ(Targets(Repeated("<b id=7></x>t", 1 << 20) + "<a href=ok.html>"), ok);

    std::string attributes = "<a";
    for (int i = 0; attributes.size() < (std::size_t{4} << 20); ++i) {
        attributes += " a" + std::to_string(i) + "=1 href=no" + std::to_string(i);
    }
    EXPECT_EQ(Targets("<a href=ok.html" + attributes.substr(2) + ">"), ok);
    EXPECT_EQ(Targets(attributes + " href=never.html>"), std::vector<std::string>{"no0"});

    EXPECT_EQ(Targets("<a href=ok.html><script>" + Repeated("<a href=x>", 8 << 20)), ok);
    EXPECT_EQ(Targets("<a href=ok.html><!--" + Repeated("<a href=x>-", 8 << 20)), ok);
    EXPECT_EQ(Targets("<a href=ok.html><a href=\"" + Repeated("x", 8 << 20)), ok);
}

TEST(PageReader, BytesOfAnyKind) {
    // NUL becomes U+FFFD in a value; malformed UTF-8 passes as it is.
    EXPECT_EQ(Targets("<a href=\"a\0b\xFF\xC3.html\">"s), std::vector<std::string>{"a\xEF\xBF\xBD"
                                                                                   "b\xFF\xC3.html"});
    EXPECT_EQ(Targets("\xEF\xBB\xBF<a href=bom.html>"), std::vector<std::string>{"bom.html"});
    const std::string little = "\xFF\xFE<\0a\0 \0h\0r\0e\0f\0=\0\xE9\0\x3D\xD8\x00\xDE>\0"s;
    EXPECT_EQ(Targets(little), std::vector<std::string>{"\xC3\xA9\xF0\x9F\x98\x80"});
    const std::string big = "\xFE\xFF\0<\0a\0 \0h\0r\0e\0f\0=\0x\xD8\x00\0>"s;
    EXPECT_EQ(Targets(big), std::vector<std::string>{"x\xEF\xBF\xBD"});
}

struct ReferenceRow {
    std::string name;
    std::string text;
    bool inAttribute;
    std::string decoded;
};

// Character references as the standard decodes them, by its whole table of names.
const ReferenceRow kReferences[] = {
    {"Markup", "&amp;&lt;&gt;&quot;&apos;", false, "&<>\"'"},
    {"WithoutSemicolon", "&amp &copy2 &nbsp", false,
     "& \xC2\xA9"
     "2 \xC2\xA0"},
    {"AttributeKeepsNameBeforeEqualsOrLetter", "?a=1&copy=2&copyx&copy;", true, "?a=1&copy=2&copyx\xC2\xA9"},
    {"Numeric", "&#65;&#x42;&#X43&#0;&#x110000;&#xD800;&#128;&#x9D;&#;&#x;", false,
     "ABC\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x82\xAC\xC2\x9D&#;&#x;"},
    {"UrlPunctuation", "&sol;&colon;&quest;&equals;&num;&percnt;&period;", false, "/:?=#%."},
    {"UnknownNameStays", "&bogus; & &;", false, "&bogus; & &;"},
    {"LongestNameWins", "&notin;", false, "\xE2\x88\x89"},
    {"UnterminatedTakesTheLegacyPrefix", "&notin &notit;", false,
     "\xC2\xAC"
     "in \xC2\xAC"
     "it;"},
    {"AttributeKeepsUnterminatedBeforeLetter", "&notin &not;", true, "&notin \xC2\xAC"},
    {"RareNames", "&Alpha;&hearts;&CounterClockwiseContourIntegral;", false, "\xCE\x91\xE2\x99\xA5\xE2\x88\xB3"},
    {"TwoCharacters", "&NotEqualTilde;&fjlig;", false,
     "\xE2\x89\x82\xCC\xB8"
     "fj"},
    {"OnlyLegacyNamesGoUnterminated", "&hearts &ampx &AMPx", false, "&hearts &x &x"},
};

class References : public ::testing::TestWithParam<ReferenceRow> {};

TEST_P(References, Decode) {
    const ReferenceRow& row = GetParam();
    std::string out;
    for (std::size_t i = 0; i < row.text.size();) {
        if (row.text[i] == '&') {
            i = DecodeReference(row.text, i + 1, row.inAttribute, out);
        } else {
            out.push_back(row.text[i++]);
        }
    }
    EXPECT_EQ(out, row.decoded);
}

INSTANTIATE_TEST_SUITE_P(Texts, References, ::testing::ValuesIn(kReferences), test::RowName());

} // namespace
} // namespace vortaxel::crawl
