// The page reader against the HTML5 tree parser browser rules used before it: the same links, in
// the same order, with the same base, on real documentation and on the fuzzing seeds; every page
// on which the two differ is written down here with the reason.

#include "crawl/browser/browser_links.h"
#include "tests/support/gumbo_links.h"
#include "tests/support/named_rows.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {
namespace {

using Links = std::vector<std::string>;
using namespace std::string_literals;
using test::PrintTo;
using test::ReadFile;
using testing::GumboBrowserLinks;

::testing::AssertionResult MatchesReference(const std::string& page) {
    const PageLinks reference = GumboBrowserLinks(page);
    const PageLinks read = ExtractBrowserLinks(page);
    if (read.baseHref != reference.baseHref) {
        return ::testing::AssertionFailure()
               << "base " << read.baseHref.value_or("(none)") << ", not " << reference.baseHref.value_or("(none)");
    }
    if (read.links.size() != reference.links.size()) {
        return ::testing::AssertionFailure() << read.links.size() << " links, not " << reference.links.size();
    }
    const auto differ = std::mismatch(read.links.begin(), read.links.end(), reference.links.begin());
    if (differ.first != read.links.end()) {
        return ::testing::AssertionFailure() << "link " << (differ.first - read.links.begin()) << " is "
                                             << *differ.first << ", not " << *differ.second;
    }
    return ::testing::AssertionSuccess();
}

// HTML documentation installed from Debian packages (see scripts/install-deps.sh).
const char* const kCorpora[] = {
    "/usr/share/doc/python3.11/html",
    "/usr/share/doc/cmake-data/html",
    "/usr/share/doc/debian-reference-en/docs",
};

// The reference parses a few megabytes a second: each corpus gives an even sample of about this
// many bytes (bench/ reads every page).
constexpr std::uintmax_t kSampleBytes = std::uintmax_t{3} << 20;

TEST(PageReaderReference, SameLinksOnRealDocumentation) {
    std::size_t corpora = 0;
    for (const char* root : kCorpora) {
        if (!std::filesystem::is_directory(root)) {
            continue;
        }
        ++corpora;
        std::vector<std::filesystem::path> pages;
        std::uintmax_t total = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (entry.is_regular_file() && entry.path().string().find(".htm") != std::string::npos &&
                entry.path().extension() != ".gz") {
                pages.push_back(entry.path());
                total += entry.file_size();
            }
        }
        std::sort(pages.begin(), pages.end());
        ASSERT_FALSE(pages.empty()) << root;
        const std::size_t stride = static_cast<std::size_t>(total / kSampleBytes + 1);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i % stride == 0) {
                EXPECT_TRUE(MatchesReference(ReadFile(pages[i]))) << pages[i];
            }
        }
    }
    if (corpora < std::size(kCorpora)) {
        GTEST_SKIP() << "documentation packages missing: run scripts/install-deps.sh test";
    }
}

/// The text as the reference reads it: each maximal part of a malformed UTF-8 sequence, and each
/// control byte other than blanks, becomes U+FFFD. The reader passes such bytes through (see
/// MalformedUtf8Kept below); fuzzing seeds hold plenty of them.
std::string AsReferenceDecodes(std::string_view text) {
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            const bool control =
                (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\f' && lead != '\r' && lead != 0) ||
                lead == 0x7F;
            out += control ? kReplacement : text.substr(i, 1);
            ++i;
            continue;
        }
        // Expected length and the range of the second byte, as Unicode's table of well-formed sequences has it.
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        std::size_t taken = 1;
        while (length != 0 && taken < length && i + taken < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + taken]);
            if (next < (taken == 1 ? low : 0x80) || next > (taken == 1 ? high : 0xBF)) {
                break;
            }
            ++taken;
        }
        out += taken == length ? text.substr(i, length) : kReplacement;
        i += taken;
    }
    return out;
}

TEST(PageReaderReference, SameLinksOnTheFuzzingSeeds) {
    std::size_t seeds = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VORTAXEL_FUZZ_CORPUS)) {
        if (entry.is_regular_file()) {
            ++seeds;
            const std::string page = ReadFile(entry.path());
            PageLinks read = ExtractBrowserLinks(page);
            const PageLinks reference = GumboBrowserLinks(page);
            for (std::string& link : read.links) {
                link = AsReferenceDecodes(link);
            }
            if (read.baseHref) {
                read.baseHref = AsReferenceDecodes(*read.baseHref);
            }
            EXPECT_EQ(read.baseHref, reference.baseHref) << entry.path();
            EXPECT_EQ(read.links, reference.links) << entry.path();
        }
    }
    EXPECT_GT(seeds, 50U);
}

struct Row {
    std::string name;
    std::string page;
};

// Markup whose meaning depends on the tree builder's states, read alike by both.
const Row kSameRows[] = {
    {"TextareaHoldsText", "<textarea><a href=t.html></textarea><a href=ok.html>"},
    {"TitleHoldsText", "<title><a href=t.html></title><a href=ok.html>"},
    {"ScriptStringsAreNotMarkup",
     "<script>document.write(\"<a href='s.html'>\"); if (i<n) {}</script><a href=ok.html>"},
    {"ScriptEscapedAndDoubleEscaped",
     "<script><!--<script></script><a href=no.html></script>--></script><a href=ok.html><script><!--</script><a "
     "href=ok2.html>"},
    {"StyleXmpNoembedNoframesHoldText",
     "<style><a href=1></style><xmp><a href=2></xmp><noembed><a href=3></noembed><noframes><a "
     "href=4></noframes><a href=ok.html>"},
    {"IframeContentIsText", "<iframe src=f.html><a href=no.html></iframe><a href=ok.html>"},
    {"NoscriptIsMarkup", "<head><noscript><link></noscript></head><body><noscript><a href=n.html></noscript>"},
    {"Comments",
     "<!-- <a href=1> --><!--><a href=ok1><!---><a href=ok2><!-- --!><a href=ok3><!-- <div --><a href=ok4>"},
    {"BogusCommentsAndDoctype", "<!DOCTYPE html><?php <a href=1> ?><!x <a href=2>></ x <a href=3>><a href=ok>"},
    {"PlaintextToTheEnd", "<a href=ok><plaintext><a href=no></plaintext><a href=no2>"},
    {"SelectHoldsNoLinks", "<select><a href=no><option><iframe src=no2><style><a href=ok></select><a href=ok2>"},
    {"FramesOnlyInAFrameset", "<html><head><base href=/b/></head><frameset><frame src=f1><a href=no><frameset><frame "
                              "src=f2></frameset><noframes><a href=no2></noframes></frameset>"},
    {"FrameInBodyIsDropped", "<body><p>text<frame src=no><frameset><frame src=no2><a href=ok>"},
    {"SvgTitleAndStyleHoldMarkup", "<svg><title>t</title><style><a href=1></style><foreignObject><title><a "
                                   "href=no></title></foreignObject></svg><title><a href=no2></title><a href=ok>"},
    {"BreakingOutOfSvg", "<svg><p><title><a href=no></title><a href=ok>"},
    {"CdataInSvgOnly", "<svg><![CDATA[<a href=no>]]></svg><![CDATA[<a href=ok>]]><a href=ok2>"},
    {"AttributesAndReferences",
     "<a HREF=1 href=2>x</a><a href='a&amp;b&lt;&#x41;&#65&#x80;&#0;&#xD800;'><a href=\"&copy=1&copy\"><a "
     "href=\"&ampx&amp=\"><a href=&nbsp;&hellip;&sol;&quot&gt"},
    {"TagsCutShort", "<a href=ok.html><a href=\"unclosed.html"},
    {"BaseFirstWithHref", "<base target=x><a href=a><base href=/one/><base href=/two/>"},
    {"TemplateContent", "<template><a href=t.html></template><a href=ok.html>"},
    {"TemplateContentHoldsNoBase", "<template><base href=/t/><area href=t2><template><a href=t3></template></template>"
                                   "<base href=/real/><a href=ok.html>"},
    {"ForeignElementsAreNotHtml", "<svg><area href=1><base href=/sb/><iframe src=2></iframe></svg><math><a href=3>"
                                  "<base href=/mb/></math><a href=ok.html>"},
    {"SvgAnchorsByEitherAttribute", "<svg><a href=s1><text>1</text></a><a xlink:href=s2>2</a>"
                                    "<a xlink:href=no href=s3>3</a><a>4</a></svg>"},
    {"MathIntegrationPointHoldsHtml", "<math><mi><a href=mi.html>x</a></mi><mtext><a href=mt.html></mtext></math>"},
    {"RareNamedReference", "<a href=\"?q=&notin;&Alpha;&NotEqualTilde;&notit;\">"},
    {"SelfClosingAndSlashes", "<a/href=1><a href=2/><a / href=3><br/><a href=4 / >"},
    {"UppercaseAndWeirdNames", "<A HREF=1><IFRAME SRC=2></IFRAME><AREA HREF=3><a =x href=4><a\"b href=5>"},
    {"NulBytes", "<a href=\"a\0b\">x\0</a>\0<a\0 href=c>"s},
    {"WindowOpenAfterMarkup",
     "<p onclick=\"window.open('w.html')\">x</p><a href=a><script>window.open('s.html')</script>"},
};

class SameAsReference : public ::testing::TestWithParam<Row> {};

TEST_P(SameAsReference, Page) {
    EXPECT_TRUE(MatchesReference(GetParam().page));
}

INSTANTIATE_TEST_SUITE_P(Pages, SameAsReference, ::testing::ValuesIn(kSameRows), test::RowName());

std::string Deep(std::string_view tail) {
    std::string page;
    for (int i = 0; i < 600; ++i) {
        page += "<br>";
    }
    return page + std::string(tail);
}

struct DifferenceRow {
    std::string name;
    std::string page;
    /// What the tree parser gave (with the nesting cap where `capped`), and what the reader gives.
    Links reference;
    Links read;
    bool capped = false;
};

// Where the reader and the reference knowingly part, and why the reader's links are the right ones.
const DifferenceRow kDifferences[] = {
    // The cap dropped start tags without links past 512 levels, so what followed them was read as
    // markup: a browser sees none of these links, or all of them.
    {"CapReadTextareaAsMarkup",
     Deep("<textarea><a href=t.html></textarea><a href=ok.html>"),
     {"t.html", "ok.html"},
     {"ok.html"},
     true},
    {"CapReadScriptStringsAsMarkup",
     Deep("<script>document.write(\"<a href='s.html'>\")</script>"),
     {"s.html"},
     {},
     true},
    {"CapLostALinkAfterAScriptComparison",
     "<script>" + Deep("if (i<n) {}</script><a href=ok.html>"),
     {},
     {"ok.html"},
     true},
    {"CapLostALinkAfterACommentedTag", Deep("<!-- <div --><a href=ok.html>"), {}, {"ok.html"}, true},
    // A link the table moves out before itself comes where it stands in the page.
    {"FosterParentedLinkKeepsItsPlace",
     "<table><tr><td><a href=1></a></td></tr><a href=2></a></table>",
     {"2", "1"},
     {"1", "2"}},
    // The tree parser reopens a misnested link and so lists it twice; the page holds it once.
    {"ReopenedLinkNotRepeated", "<p><a href=x>one</p>two", {"x", "x"}, {"x"}},
    // A frameset that replaces a body without text keeps the links that body held.
    {"FramesetAfterBodyLinks",
     "<a href=b.html></a><frameset><frame src=f.html></frameset>",
     {"f.html"},
     {"b.html", "f.html"}},
    // Bytes pass through: malformed UTF-8 is not replaced, CR is not folded into LF.
    {"MalformedUtf8Kept", "<a href=\"caf\xE9.html\">", {"caf\xEF\xBF\xBD.html"}, {"caf\xE9.html"}},
    {"CarriageReturnKept", "<a href=\"a\r\nb\rc\">", {"a\nb\nc"}, {"a\r\nb\rc"}},
    // Markup inside an SVG title does not keep the title open past its end tag.
    {"SvgTitleEndsAtItsEndTag", "<svg><title><a href=1></title><style><a href=2></style>", {"1"}, {"1", "2"}},
    // A UTF-16 page (with its byte order mark) is read as UTF-16.
    {"Utf16Page", "\xFF\xFE<\0a\0 \0h\0r\0e\0f\0=\0x\0>\0"s, {}, {"x"}},
};

class DiffersFromReference : public ::testing::TestWithParam<DifferenceRow> {};

TEST_P(DiffersFromReference, AsIntended) {
    const DifferenceRow& row = GetParam();
    EXPECT_EQ(GumboBrowserLinks(row.page, row.capped).links, row.reference);
    EXPECT_EQ(ExtractBrowserLinks(row.page).links, row.read);
}

INSTANTIATE_TEST_SUITE_P(Pages, DiffersFromReference, ::testing::ValuesIn(kDifferences), test::RowName());

} // namespace
} // namespace vortaxel::crawl
