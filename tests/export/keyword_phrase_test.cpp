#include "export/keyword_phrase.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::keywords {
namespace {

struct PhraseCase {
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
        PhraseCase{"http://example.com/", ""},
        PhraseCase{"http://example.com/blue-widgets_cheap.html", "blue widgets cheap"},
        PhraseCase{"http://example.com/shop/red_gadgets.php?id=7", "red gadgets"},
        PhraseCase{"http://example.com/products/", ""}, PhraseCase{"http://example.com/about", "about"},
        PhraseCase{"http://example.com", "example"}, PhraseCase{"http://example.com/a.b.c", "a"},
        PhraseCase{"http://example.com/.htaccess", ""}, PhraseCase{"http://example.com/-blue.html", " blue"},
        PhraseCase{"http://example.com/a__b.html", "a  b"}, PhraseCase{"http://example.com/_-_.html", "   "},
        PhraseCase{"http://example.com/search?q=blue-widgets", "search?q=blue widgets"},
        PhraseCase{"http://example.com/page.html?ref=x/y", "y"},
        PhraseCase{"http://example.com/Blue%20Widgets.HTML", "Blue%20Widgets"},
        PhraseCase{"http://example.com/a/tips.html", "tips"}, PhraseCase{"http://example.com/b/tips.html", "tips"},
        // Edges beyond the worked examples: no slash at all, bytes that are not ASCII, and a
        // dot in the query after the last slash.
        PhraseCase{"", ""}, PhraseCase{"plain-name.txt", "plain name"},
        PhraseCase{"http://example.com/caf\xc3\xa9-cr\xe8me.html", "caf\xc3\xa9 cr\xe8me"},
        PhraseCase{"http://example.com/x?next=a_b.c", "x?next=a b"},
        PhraseCase{std::string("http://e.com/a\0b-c.d", 20), std::string("a\0b c", 5)}));

TEST(KeywordPhraseLength, HandlesSegmentsBeyondSixteenBitPositions) {
    const std::string segment(70000, 'k');
    EXPECT_EQ(MakeKeywordPhrase("http://example.com/" + segment + "-z.html"), segment + " z");
}

} // namespace
} // namespace vortaxel::keywords
