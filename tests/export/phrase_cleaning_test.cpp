#include "export/phrase_cleaning.h"

#include <gtest/gtest.h>

namespace vortaxel::keywords {
namespace {

constexpr const char* kNbsp = "\xC2\xA0";

struct CleaningRow {
    const char* name;
    std::string input;
    TextRole role;
    std::string expected;
};

std::string Nbsp(std::string text) {
    for (std::size_t at = text.find('~'); at != std::string::npos; at = text.find('~', at)) {
        text.replace(at, 1, kNbsp);
    }
    return text;
}

class CleanTextPhraseTest : public ::testing::TestWithParam<CleaningRow> {};

TEST_P(CleanTextPhraseTest, LeavesTheWordsThatNameThePage) {
    EXPECT_EQ(CleanTextPhrase(GetParam().input, GetParam().role), GetParam().expected);
}

constexpr TextRole kTitle = TextRole::Title;
constexpr TextRole kHeading = TextRole::Heading;
constexpr TextRole kAnchor = TextRole::Anchor;

INSTANTIATE_TEST_SUITE_P(
    Numbering, CleanTextPhraseTest,
    ::testing::Values(
        CleaningRow{"sphinx_heading", "1. Command line and environment\xC2\xB6", kHeading,
                    "Command line and environment"},
        CleaningRow{"docbook_section", Nbsp("1.5.~The Role of Distributions"), kTitle, "The Role of Distributions"},
        CleaningRow{"docbook_chapter", Nbsp("Chapter~10.~Network Infrastructure"), kTitle, "Network Infrastructure"},
        CleaningRow{"two_digit_section", Nbsp("11.5.~Setting Up Windows Shares with Samba"), kTitle,
                    "Setting Up Windows Shares with Samba"},
        CleaningRow{"appendix_section", Nbsp("A.9.~Devuan"), kTitle, "Devuan"},
        CleaningRow{"appendix", Nbsp("Appendix~B.~Short Remedial Course"), kTitle, "Short Remedial Course"},
        CleaningRow{"appendix_roman_letter", "Appendix C. Tools", kTitle, "Tools"},
        CleaningRow{"part_roman_colon", "Part IV: Reference", kTitle, "Reference"},
        CleaningRow{"bare_roman", "II. Methods", kHeading, "Methods"},
        CleaningRow{"chapter_then_joiner", "chapter 3 - Getting Started", kTitle, "Getting Started"},
        CleaningRow{"section_sign", "\xC2\xA7 5 Definitions", kHeading, "Definitions"},
        CleaningRow{"cross_reference", "Section 6.2.3, \xE2\x80\x9CSystem Upgrade\xE2\x80\x9D", kAnchor,
                    "System Upgrade"},
        CleaningRow{"only_a_number", "11.5.", kAnchor, ""},
        CleaningRow{"words_after_numbering_kept", Nbsp("6.2.~aptitude, apt-get, and apt Commands"), kTitle,
                    "aptitude, apt-get, and apt Commands"},
        CleaningRow{"count_is_text", "10 Best Widgets", kTitle, "10 Best Widgets"},
        CleaningRow{"version_is_text", "11.5 Release Notes", kTitle, "11.5 Release Notes"},
        CleaningRow{"year_is_text", "2023. A Year in Review", kTitle, "2023. A Year in Review"},
        CleaningRow{"initial_is_text", "E. coli Outbreaks", kTitle, "E. coli Outbreaks"},
        CleaningRow{"lone_roman_one_may_be_an_initial", "I. M. Pei", kTitle, "I. M. Pei"},
        CleaningRow{"article_is_text", "A Tale of Two Cities", kTitle, "A Tale of Two Cities"},
        CleaningRow{"word_after_chapter_is_text", "Chapter Ten", kTitle, "Chapter Ten"},
        CleaningRow{"mixed_case_is_no_roman", "Unit Mix Planning", kTitle, "Unit Mix Planning"},
        CleaningRow{"c_plus_plus", "Section C++ Basics", kTitle, "Section C++ Basics"}),
    [](const ::testing::TestParamInfo<CleaningRow>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    MarksAndBlanks, CleanTextPhraseTest,
    ::testing::Values(
        CleaningRow{"pilcrow_after_name", "add_custom_command\xC2\xB6", kHeading, "add_custom_command"},
        CleaningRow{"pilcrow_alone", "\xC2\xB6", kAnchor, ""},
        CleaningRow{"footnote_reference", "Foot text[1] here[12].", kHeading, "Foot text here."},
        CleaningRow{"bracketed_word_kept", "Array [index] access", kHeading, "Array [index] access"},
        CleaningRow{"dagger", "Smith\xE2\x80\xA0 and Jones\xE2\x80\xA1", kHeading, "Smith and Jones"},
        CleaningRow{"section_sign_permalink", "Installing \xC2\xA7", kHeading, "Installing"},
        CleaningRow{"section_sign_in_text_kept", "Rights under \xC2\xA7 4", kHeading, "Rights under \xC2\xA7 4"},
        CleaningRow{"hash_permalink", "Installing #", kHeading, "Installing"},
        CleaningRow{"hash_alone", "#", kAnchor, ""},
        CleaningRow{"hash_in_text_kept", "C# Basics", kHeading, "C# Basics"},
        CleaningRow{"back_reference", "\xE2\x86\xA9", kAnchor, ""},
        CleaningRow{"link_emoji", "Setup \xF0\x9F\x94\x97", kHeading, "Setup"},
        CleaningRow{"nbsp_runs",
                    "a\xC2\xA0\xC2\xA0 b\xE2\x80\xAF"
                    "c\xE3\x80\x80"
                    "d",
                    kTitle, "a b c d"},
        CleaningRow{"soft_hyphen_and_zero_width",
                    "pro\xC2\xAD"
                    "gram\xE2\x80\x8B",
                    kTitle, "program"},
        CleaningRow{"nbsp_at_ends", "\xC2\xA0 Name \xC2\xA0", kTitle, "Name"},
        CleaningRow{"dangling_joiners", "| Acme -", kTitle, "Acme"},
        CleaningRow{"only_punctuation", " \xE2\x80\x94 ... ", kAnchor, ""},
        CleaningRow{"words_kept", "apt-get, CMAKE_FIND_PACKAGE_NAME, caf\xC3\xA9", kAnchor,
                    "apt-get, CMAKE_FIND_PACKAGE_NAME, caf\xC3\xA9"},
        CleaningRow{"letters_of_other_scripts", "\xE6\x97\xA5\xE6\x9C\xAC", kAnchor, "\xE6\x97\xA5\xE6\x9C\xAC"},
        CleaningRow{"malformed_kept", "a\xFF\xC0 b", kTitle, "a\xFF\xC0 b"}),
    [](const ::testing::TestParamInfo<CleaningRow>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Navigation, CleanTextPhraseTest,
    ::testing::Values(CleaningRow{"next", "Next", kAnchor, ""}, CleaningRow{"prev", "Prev", kAnchor, ""},
                      CleaningRow{"previous_with_guillemet", "\xC2\xAB Previous", kAnchor, ""},
                      CleaningRow{"next_page_arrow", "next page \xE2\x86\x92", kAnchor, ""},
                      CleaningRow{"toc", "Table of Contents", kAnchor, ""},
                      CleaningRow{"up_home_index", "  UP ", kAnchor, ""},
                      CleaningRow{"back_to_top", "Back to top \xE2\x86\x91", kAnchor, ""},
                      CleaningRow{"nav_inside_a_name_kept", "Next steps with Python", kAnchor,
                                  "Next steps with Python"},
                      CleaningRow{"title_named_index_kept", "Index", kTitle, "Index"},
                      CleaningRow{"heading_named_contents_kept", "Contents", kHeading, "Contents"}),
    [](const ::testing::TestParamInfo<CleaningRow>& info) { return info.param.name; });

} // namespace
} // namespace vortaxel::keywords
