#include "text/unicode_text.h"
#include "text/word_splitter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::text {
namespace {

// Each word as written, marked "|" where a sentence begins and "/" where a mark parts it from the word
// before; a number is shown as "#" followed by it.
std::string Render(std::string_view lang, const std::string& utf8) {
    WordSplitter splitter(lang);
    const icu::UnicodeString text = ReadUtf8(utf8);
    std::string out;
    for (const Word& word : splitter.Split(text)) {
        if (!out.empty()) {
            out += ' ';
        }
        if (word.sentenceStart) {
            out += '|';
        } else if (!word.followsInPhrase) {
            out += '/';
        }
        if (word.kind == WordKind::Number) {
            out += '#';
        }
        out += WriteUtf8(text, word.start, word.end);
    }
    return out;
}

struct SplitRow {
    const char* name;
    const char* lang;
    std::string text;
    std::string words;
};

const SplitRow kSplitRows[] = {
    {"plain words", "en", "The Role of Distributions", "|The Role of Distributions"},
    {"no text", "en", "", ""},
    {"only marks", "en", " ¶ -- [] ", ""},
    {"hyphen joined back", "en", "use apt-get to install", "|use apt-get to install"},
    {"chains of links", "en", "x86-64 rock'n'roll sect.apt-get.html", "|x86-64 rock'n'roll sect.apt-get.html"},
    {"underscores kept", "en", "set CMAKE_FIND_PACKAGE_NAME first", "|set CMAKE_FIND_PACKAGE_NAME first"},
    {"typographic apostrophe", "en", "don’t stop", "|don’t stop"},
    {"hyphen between blanks parts", "en", "one - two", "|one /two"},
    {"double hyphen is a dash", "en", "one--two", "|one /two"},
    {"accents", "fr", "Le café crème", "|Le café crème"},
    {"C plus plus and C sharp", "en", "C++ and C# and Notepad++.", "|C++ and C# and Notepad++"},
    {"plus inside a word is not kept", "en", "a+b c+++ d++x", "|a /b c /d /x"},
    {"numbers", "en", "Python 3.11 in 2024", "|Python #3.11 in #2024"},
    {"letters and digits are a word", "en", "x86 mp3 3D 2nd", "|x86 mp3 3D 2nd"},
    {"number range joined", "en", "pages 10-20", "|pages #10-20"},
    {"sentences", "en", "First one. Second one! Third? Fourth; fifth: sixth",
     "|First one |Second one |Third |Fourth |fifth |sixth"},
    {"ellipsis ends a sentence", "en", "wait… then", "|wait |then"},
    {"a point inside a word ends none", "en", "see example.com now", "|see example.com now"},
    {"comma and brackets part phrases", "en", "red, green (blue) \"cyan\"", "|red /green /blue /cyan"},
    {"replacement character parts", "en",
     "one\xff"
     "two",
     "|one /two"},
    {"NUL parts", "en", std::string("one\0two", 7), "|one /two"},
    {"Chinese by dictionary", "zh", "我们今天学习中文。明天见", "|我们 今天 学习 中文 |明天 见"},
    {"Japanese kana and kanji", "ja", "東京都に住んでいます", "|東京 都 に 住 んで い ます"},
    {"Thai by dictionary", "th", "ภาษาไทยง่ายนิดเดียว", "|ภาษา ไทย ง่าย นิด เดียว"},
    {"Arabic", "ar", "اللغة العربية جميلة، جدا", "|اللغة العربية جميلة /جدا"},
    {"Cyrillic", "ru", "Привет, мир. Как дела", "|Привет /мир |Как дела"},
    {"a katakana run is one word", "ja", "ディストリビューションの選択", "|ディストリビューション の 選択"},
    {"katakana parted by a mark stays parted", "ja", "パッケージ・マネージャー", "|パッケージ /マネージャー"},
    {"full-width stop needs no blank", "ja", "日本語。英語", "|日本語 |英語"},
};

TEST(WordSplitter, SplitsWordsAsTheTextWritesThem) {
    for (const SplitRow& row : kSplitRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Render(row.lang, row.text), row.words);
    }
}

TEST(WordSplitter, KeepsTheFirstWordsOnlyUpToTheLimit) {
    WordSplitter splitter("en");
    const icu::UnicodeString text = ReadUtf8("one two three four");
    const std::vector<Word> words = splitter.Split(text, 2);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(WriteUtf8(text, words[1].start, words[1].end), "two");
}

TEST(WordSplitter, MarksBlanksBeforeWords) {
    WordSplitter splitter("zh");
    const icu::UnicodeString text = ReadUtf8("中文 学习中文");
    const std::vector<Word> words = splitter.Split(text);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_TRUE(words[1].blankBefore);
    EXPECT_FALSE(words[2].blankBefore);
    EXPECT_TRUE(words[2].followsInPhrase);
}

TEST(WordSplitter, AnUnknownLanguageUsesTheRootRules) {
    EXPECT_EQ(Render("", "plain words"), "|plain words");
    EXPECT_EQ(Render("xx", "plain words"), "|plain words");
}

} // namespace
} // namespace vortaxel::text
