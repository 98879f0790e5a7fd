#include "export/keyword_phrase.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::keywords {
namespace {

using test::PrintTo;

struct PhraseCase {
    std::string name;
    std::string url;
    std::string phrase;
};

class KeywordPhraseTest : public testing::TestWithParam<PhraseCase> {};

TEST_P(KeywordPhraseTest, DerivesLastSegmentWithoutExtension) {
    EXPECT_EQ(MakeKeywordPhrase(GetParam().url), GetParam().phrase);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, KeywordPhraseTest,
    testing::Values(
        PhraseCase{"SiteRootIsEmpty", "http://example.com/", ""},
        PhraseCase{"WorkedExampleDashesAndUnderscores", "http://example.com/blue-widgets_cheap.html",
                   "blue widgets cheap"},
        PhraseCase{"WorkedExampleQueryAfterDot", "http://example.com/shop/red_gadgets.php?id=7", "red gadgets"},
        PhraseCase{"FolderIsEmpty", "http://example.com/products/", ""},
        PhraseCase{"NoDotKeptWhole", "http://example.com/about", "about"},
        PhraseCase{"HostNameWithoutSlash", "http://example.com", "example"},
        PhraseCase{"CutAtFirstDot", "http://example.com/a.b.c", "a"},
        PhraseCase{"LeadingDotIsEmpty", "http://example.com/.htaccess", ""},
        PhraseCase{"LeadingDashGivesLeadingBlank", "http://example.com/-blue.html", " blue"},
        PhraseCase{"DoubleUnderscoreTwoBlanks", "http://example.com/a__b.html", "a  b"},
        PhraseCase{"OnlySeparatorsGiveBlanks", "http://example.com/_-_.html", "   "},
        PhraseCase{"QueryWithoutDotKeptDashTurned", "http://example.com/search?q=blue-widgets",
                   "search?q=blue widgets"},
        PhraseCase{"SlashInQueryCounts", "http://example.com/page.html?ref=x/y", "y"},
        PhraseCase{"PercentEscapeAndCaseKept", "http://example.com/Blue%20Widgets.HTML", "Blue%20Widgets"},
        PhraseCase{"FolderAIgnored", "http://example.com/a/tips.html", "tips"},
        PhraseCase{"FolderBIgnored", "http://example.com/b/tips.html", "tips"},
        // Edges beyond the worked examples: no slash at all, bytes that are not ASCII, and a
        // dot in the query after the last slash.
        PhraseCase{"EmptyUrl", "", ""}, PhraseCase{"NoSlashAtAll", "plain-name.txt", "plain name"},
        PhraseCase{"BytesBeyondAscii", "http://example.com/caf\xc3\xa9-cr\xe8me.html", "caf\xc3\xa9 cr\xe8me"},
        PhraseCase{"DotInQueryCuts", "http://example.com/x?next=a_b.c", "x?next=a b"},
        PhraseCase{"NulByteKept", std::string("http://e.com/a\0b-c.d", 20), std::string("a\0b c", 5)}),
    test::RowName());

TEST(KeywordPhraseLength, HandlesSegmentsBeyondSixteenBitPositions) {
    const std::string segment(70000, 'k');
    EXPECT_EQ(MakeKeywordPhrase("http://example.com/" + segment + "-z.html"), segment + " z");
}

} // namespace
} // namespace vortaxel::keywords
