#include "export/keyword_file.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::keywords {
namespace {

using ::vortaxel::test::PrintTo;

struct FileCase {
    const char* name;
    std::vector<std::string_view> urls;
    std::string bytes;
};

class KeywordFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(KeywordFileTest, WritesOneCrLfLinePerQualifyingUrl) {
    EXPECT_EQ(BuildKeywordFile(GetParam().urls), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, KeywordFileTest,
    testing::Values(
        FileCase{"NothingGivesZeroBytes", {}, ""},
        FileCase{"OnlyEmptyPhrasesGiveZeroBytes", {"http://example.com/", "http://example.com/.htaccess"}, ""},
        FileCase{"BlankOnlyPhraseSkipped", {"http://example.com/_-_.html", "http://example.com/about"}, "about\r\n"},
        FileCase{"LeadingAndInnerBlanksKept",
                 {"http://example.com/-blue.html", "http://example.com/a__b.html"},
                 " blue\r\na  b\r\n"},
        FileCase{"TrailingBlankKept", {"http://example.com/tips-.html"}, "tips \r\n"},
        FileCase{"EqualPhrasesBothWritten",
                 {"http://example.com/a/tips.html", "http://example.com/b/tips.html"},
                 "tips\r\ntips\r\n"},
        FileCase{"OrderKeptNotSorted", {"http://e.com/zeta", "http://e.com/alpha"}, "zeta\r\nalpha\r\n"},
        FileCase{"BytesWrittenAsTheyStand",
                 {"http://e.com/caf\xc3\xa9.html", "http://e.com/\xe8t\xe9"},
                 "caf\xc3\xa9\r\n\xe8t\xe9\r\n"},
        FileCase{"LineBreakInsideStaysOneLine", {"http://e.com/blue\r\nwidgets.html"}, "blue  widgets\r\n"},
        FileCase{"LineBreakOnlyIsBlank", {"http://e.com/\n.html", "http://e.com/\r"}, ""},
        FileCase{"TabIsNotBlank", {"http://e.com/\t"}, "\t\r\n"}),
    ::vortaxel::test::RowName());

TEST(KeywordFileBuilder, CountsOnlyWrittenLines) {
    KeywordFileBuilder builder;
    builder.Add("http://example.com/");
    builder.Add("http://example.com/one");
    builder.Add("http://example.com/_");
    builder.Add("http://example.com/two");
    EXPECT_EQ(builder.LineCount(), 2u);
    EXPECT_EQ(builder.Bytes(), "one\r\ntwo\r\n");
}

TEST(KeywordFileBuilder, PhrasesMadeElsewhereFollowTheSameLineRules) {
    KeywordFileBuilder builder;
    builder.AddPhrase("Blue widgets | Shop");
    builder.AddPhrase("   ");
    builder.AddPhrase("two\r\nlines");
    builder.Add("http://example.com/slug-too");
    EXPECT_EQ(builder.LineCount(), 3u);
    EXPECT_EQ(builder.Bytes(), "Blue widgets | Shop\r\ntwo  lines\r\nslug too\r\n");
}

} // namespace
} // namespace vortaxel::keywords
