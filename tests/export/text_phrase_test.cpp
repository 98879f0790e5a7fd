#include "export/keyword_phrase.h"
#include "export/text_phrase.h"

#include <gtest/gtest.h>
#include <vector>

namespace vortaxel::keywords {
namespace {

struct PhraseRow {
    const char* name;
    std::string input;
    std::string expected;
};

class TextPhraseTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(TextPhraseTest, KeepsWordsAsWrittenAndFoldsWhiteSpace) {
    EXPECT_EQ(MakeTextPhrase(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, TextPhraseTest,
                         ::testing::Values(PhraseRow{"title", "Blue-widgets_cheap | Shop", "Blue-widgets_cheap | Shop"},
                                           PhraseRow{"indented", "\n    Getting   started\t\r\n  ", "Getting started"},
                                           PhraseRow{"only_separators", " - _ ", ""},
                                           PhraseRow{"words_kept", "apt-get and CMAKE_FIND_PACKAGE_NAME",
                                                     "apt-get and CMAKE_FIND_PACKAGE_NAME"},
                                           PhraseRow{"empty", "", ""},
                                           PhraseRow{"case_and_utf8_kept", "Caf\xC3\xA9 CR\xC3\x88ME",
                                                     "Caf\xC3\xA9 CR\xC3\x88ME"},
                                           PhraseRow{"malformed_kept", "a\xFF\xC0 b", "a\xFF\xC0 b"},
                                           PhraseRow{"nbsp_is_a_blank",
                                                     "a\xC2\xA0"
                                                     "b",
                                                     "a b"}),
                         [](const ::testing::TestParamInfo<PhraseRow>& info) { return info.param.name; });

class DecodedSlugTest : public ::testing::TestWithParam<PhraseRow> {};

TEST_P(DecodedSlugTest, DecodesWellFormedEscapesOnly) {
    EXPECT_EQ(MakeDecodedSlugPhrase(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DecodedSlugTest,
    ::testing::Values(PhraseRow{"utf8", "http://s.test/caf%C3%A9.html", "caf\xC3\xA9"},
                      PhraseRow{"lower_hex", "http://s.test/caf%c3%a9-cr%C3%A8me", "caf\xC3\xA9 cr\xC3\xA8me"},
                      PhraseRow{"blank_and_dash", "http://s.test/blue%20widgets%2Dcheap.html", "blue widgets cheap"},
                      PhraseRow{"stray_percent", "http://s.test/pct%.html", "pct%"},
                      PhraseRow{"percent_then_text", "http://s.test/100%-cotton", "100% cotton"},
                      PhraseRow{"not_utf8", "http://s.test/caf%E9.html", "caf%E9"},
                      PhraseRow{"cut_sequence", "http://s.test/a%C3b", "a%C3b"},
                      PhraseRow{"overlong", "http://s.test/%C0%AFx", "%C0%AFx"},
                      PhraseRow{"good_run_after_bad", "http://s.test/%FFz%C3%A9", "%FFz\xC3\xA9"},
                      PhraseRow{"control_kept_escaped", "http://s.test/a%0Ab%00c", "a%0Ab%00c"},
                      PhraseRow{"escaped_dot_stays_text", "http://s.test/v1%2E2.html", "v1.2"},
                      PhraseRow{"escaped_slash_stays_text", "http://s.test/a%2Fb", "a/b"}),
    [](const ::testing::TestParamInfo<PhraseRow>& info) { return info.param.name; });

// Without escapes the browser-rules slug is the classic one, byte for byte.
TEST(DecodedSlugTest, WithoutEscapesEqualsTheClassicPhrase) {
    for (const char* url : {"http://example.com/blue-widgets_cheap.html", "http://example.com/", "plain-name.txt",
                            "http://example.com/search?q=blue-widgets", "http://example.com/a__b.html"}) {
        EXPECT_EQ(MakeDecodedSlugPhrase(url), MakeKeywordPhrase(url)) << url;
    }
}

TEST(PhraseSourceTest, NamesAreTheOptionValues) {
    EXPECT_EQ(PhraseSourceNamed("slug"), PhraseSource::Slug);
    EXPECT_EQ(PhraseSourceNamed("Title"), PhraseSource::Title);
    EXPECT_EQ(PhraseSourceNamed("H1"), PhraseSource::H1);
    EXPECT_EQ(PhraseSourceNamed("anchor"), PhraseSource::Anchor);
    EXPECT_EQ(PhraseSourceNamed("KeyPhrase"), PhraseSource::KeyPhrase);
    EXPECT_EQ(PhraseSourceNamed("key phrase"), std::nullopt);
    EXPECT_EQ(PhraseSourceNamed("h2"), std::nullopt);
    EXPECT_EQ(PhraseSourceNamed(""), std::nullopt);
}

TEST(ChooseAnchorTextTest, TheMostFrequentTextWins) {
    const std::vector<std::string_view> anchors = {"", "Read more", "Blue  widgets", "  ", "Blue widgets", "read more"};
    EXPECT_EQ(ChooseAnchorText(anchors), "Blue widgets");
    const std::vector<std::string_view> tie = {"first", "second"};
    EXPECT_EQ(ChooseAnchorText(tie), "first");
    EXPECT_EQ(ChooseAnchorText({}), "");
}

// Permalink signs, footnote references and navigation words outnumber a page's real anchor on most sites.
TEST(ChooseAnchorTextTest, MarksAndNavigationWordsNeverWin) {
    const std::vector<std::string_view> anchors = {
        "\xC2\xB6", "\xC2\xB6", "\xC2\xB6", "Next", "Next \xC2\xBB", "[1]", "[1]", "Up", "1.5.\u00A0Blue widgets"};
    EXPECT_EQ(ChooseAnchorText(anchors), "Blue widgets");
    const std::vector<std::string_view> onlyNavigation = {"Next", "\xC2\xB6", "[2]", "Home"};
    EXPECT_EQ(ChooseAnchorText(onlyNavigation), "");
}

} // namespace
} // namespace vortaxel::keywords
