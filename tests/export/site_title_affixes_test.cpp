#include "export/site_title_affixes.h"

#include <gtest/gtest.h>

namespace vortaxel::keywords {
namespace {

struct AffixRow {
    const char* name;
    std::vector<std::string> titles;
    std::vector<std::string> expected;
};

class CleanTitlePhrasesTest : public ::testing::TestWithParam<AffixRow> {};

TEST_P(CleanTitlePhrasesTest, DropsWhatTheSiteRepeatsAroundItsTitles) {
    EXPECT_EQ(CleanTitlePhrases(GetParam().titles), GetParam().expected);
}

const std::string kPython = " \xE2\x80\x94 Python 3.11.2 documentation";
const std::string kCmake = " \xE2\x80\x94 CMake 3.25.1 Documentation";

INSTANTIATE_TEST_SUITE_P(
    Sites, CleanTitlePhrasesTest,
    ::testing::Values(
        // The start page is titled by its site alone, and keeps it.
        AffixRow{"python",
                 {"3.11.2 Documentation", "1. Command line and environment" + kPython,
                  "os \xE2\x80\x94 Miscellaneous "
                  "operating system interfaces" +
                      kPython,
                  "Index" + kPython, "What\xE2\x80\x99s New In Python 3.11" + kPython},
                 {"3.11.2 Documentation", "Command line and environment",
                  "os \xE2\x80\x94 Miscellaneous operating system interfaces", "Index",
                  "What\xE2\x80\x99s New In Python 3.11"}},
        AffixRow{"cmake",
                 {"add_custom_command" + kCmake, "CMAKE_FIND_PACKAGE_NAME" + kCmake, "cmake-buildsystem(7)" + kCmake},
                 {"add_custom_command", "CMAKE_FIND_PACKAGE_NAME", "cmake-buildsystem(7)"}},
        // No joiner: nothing is an affix, and "Emulating Windows: Wine" keeps its colon's parts.
        AffixRow{"debian_handbook",
                 {"The Debian Administrator's Handbook", "Chapter\u00A010.\u00A0Network Infrastructure",
                  "1.5.\xC2\xA0The Role of Distributions", "13.8.\u00A0Emulating Windows: Wine",
                  "6.2.\u00A0aptitude, apt-get, and apt Commands"},
                 {"The Debian Administrator's Handbook", "Network Infrastructure", "The Role of Distributions",
                  "Emulating Windows: Wine", "aptitude, apt-get, and apt Commands"}},
        AffixRow{"site_name_alone_and_empty_part",
                 {"Acme", "Shoes | Acme", "Hats\xC2\xA0| Acme", "Bags | Acme", "| Acme"},
                 {"Acme", "Shoes", "Hats", "Bags", "Acme"}},
        AffixRow{"prefix", {"Acme - Shoes", "Acme - Hats", "Acme - Bags", "About"}, {"Shoes", "Hats", "Bags", "About"}},
        AffixRow{"prefix_and_suffix",
                 {"Acme :: Shoes :: Shop", "Acme :: Hats :: Shop", "Acme :: Bags :: Shop"},
                 {"Shoes", "Hats", "Bags"}},
        // The longest affix a title carries goes; the shorter one stands on the other pages.
        AffixRow{"longest_suffix",
                 {"Post one | Blog | Acme", "Post two | Blog | Acme", "Post three | Blog | Acme", "Shoes | Acme",
                  "Hats | Acme", "Bags | Acme"},
                 {"Post one", "Post two", "Post three", "Shoes", "Hats", "Bags"}},
        AffixRow{"two_pages_have_no_affix", {"Shoes | Acme", "Hats | Acme"}, {"Shoes | Acme", "Hats | Acme"}},
        AffixRow{"under_half_is_no_affix",
                 {"A | Blog", "B | Blog", "C | Blog", "Shoes", "Hats", "Bags", "Socks"},
                 {"A | Blog", "B | Blog", "C | Blog", "Shoes", "Hats", "Bags", "Socks"}},
        // Pages without a title count for nothing, and give nothing.
        AffixRow{"untitled_pages",
                 {"", "Shoes | Acme", "", "Hats | Acme", "Bags | Acme", ""},
                 {"", "Shoes", "", "Hats", "Bags", ""}},
        // A hyphen inside a word is no joiner.
        AffixRow{"hyphenated_words", {"apt-get", "apt-cache", "apt-file"}, {"apt-get", "apt-cache", "apt-file"}}),
    [](const ::testing::TestParamInfo<AffixRow>& info) { return info.param.name; });

TEST(SiteTitleAffixesTest, NamesTheAffixesItFound) {
    const std::vector<std::string> titles = {"Acme | A | Shop", "Acme | B | Shop", "Acme | C | Shop", "D"};
    const SiteTitleAffixes affixes(titles);
    EXPECT_EQ(affixes.Suffixes(), std::vector<std::string>{" | Shop"});
    EXPECT_EQ(affixes.Prefixes(), std::vector<std::string>{"Acme | "});
}

// A title of many joiners is counted by its last and first few, so a hostile title costs no more.
TEST(SiteTitleAffixesTest, ATitleOfThousandsOfJoinersIsCountedByItsEnds) {
    const auto words = [](int count, std::string_view last) {
        std::string title;
        for (int i = 0; i < count; ++i) {
            title += "w | ";
        }
        return title.append(last);
    };
    const std::vector<std::string> titles(4, words(10000, "Acme"));
    const SiteTitleAffixes affixes(titles);
    EXPECT_EQ(affixes.Suffixes().size(), 3U);
    EXPECT_EQ(affixes.Prefixes().size(), 3U);
    // " | w | w | Acme" and "w | w | w | " go.
    EXPECT_EQ(affixes.Strip(titles[0]), words(9994, "w"));
    // Stripping a title looks up its counted parts only: a megabyte of joiners is read once.
    const std::string huge = words(250000, "Acme");
    EXPECT_EQ(affixes.Strip(huge), words(249994, "w"));
}

} // namespace
} // namespace vortaxel::keywords
