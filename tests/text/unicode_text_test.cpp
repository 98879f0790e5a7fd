#include "text/unicode_text.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::text {
namespace {

struct ReadRow {
    const char* name;
    std::string bytes;
    std::string utf8;
};

const ReadRow kReadRows[] = {
    {"ascii", "plain", "plain"},
    {"valid multibyte", "café 中文 😀", "café 中文 😀"},
    {"stray continuation byte",
     "a\x80"
     "b",
     "a\xEF\xBF\xBD"
     "b"},
    {"truncated sequence at the end", "a\xE4\xB8", "a\xEF\xBF\xBD"},
    {"overlong encoding", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    {"surrogate encoded", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    {"NUL", std::string("a\0b", 3),
     "a\xEF\xBF\xBD"
     "b"},
    {"latin-1 text", "caf\xE9", "caf\xEF\xBF\xBD"},
};

TEST(ReadUtf8, ReplacesWhatIsNotTextAndKeepsTheRest) {
    for (const ReadRow& row : kReadRows) {
        SCOPED_TRACE(row.name);
        const icu::UnicodeString text = ReadUtf8(row.bytes);
        EXPECT_EQ(WriteUtf8(text, 0, text.length()), row.utf8);
    }
}

struct FoldRow {
    std::string word;
    std::string folded;
};

const FoldRow kFoldRows[] = {
    {"Apt-Get", "apt-get"},
    {"CAFÉ", "café"},
    {"Straße", "strasse"},
    {"STRASSE", "strasse"},
    {"ΣΟΦΌΣ", "σοφόσ"},
    {"Привет", "привет"},
    {"don’t", "don't"},
    {"中文", "中文"},
    {"İstanbul", "i̇stanbul"},
    {"ǅungla", "džungla"},
    {"cafe\u0301", "café"},
    {"ＡＰＴ", "apt"},
    {"in\u00ADformation", "information"},
    {"\uFB01le", "file"},
    {"ﾊﾟｯｹｰｼﾞ", "パッケージ"},
};

TEST(FoldCase, FoldsFullyForKeysOnly) {
    for (const FoldRow& row : kFoldRows) {
        SCOPED_TRACE(row.word);
        const icu::UnicodeString text = ReadUtf8(row.word);
        EXPECT_EQ(FoldCase(text, 0, text.length()), row.folded);
        EXPECT_EQ(WriteUtf8(text, 0, text.length()), row.word);
    }
}

TEST(FoldCase, FoldsOnlyTheRangeAsked) {
    const icu::UnicodeString text = ReadUtf8("ONE Two THREE");
    EXPECT_EQ(FoldCase(text, 4, 7), "two");
    EXPECT_EQ(WriteUtf8(text, 8, 13), "THREE");
}

} // namespace
} // namespace vortaxel::text
