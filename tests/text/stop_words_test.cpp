#include "text/language.h"
#include "text/stop_word_lists.h"
#include "text/stop_words.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::text {
namespace {

TEST(StopWords, ReadsOneWordALineWithCommentsAndBlanks) {
    const StopWords words("the\n  of \r\n\n| a comment line\nand | a comment after\nÜBER\n");
    EXPECT_EQ(words.size(), 4u);
    for (const char* word : {"the", "of", "and", "über"}) {
        EXPECT_TRUE(words.Contains(word)) << word;
    }
    for (const char* word : {"", "a comment line", "comment", "ÜBER", "th"}) {
        EXPECT_FALSE(words.Contains(word)) << word;
    }
}

TEST(StopWords, LeavesOutAnElidedStopWordAtAWordsStart) {
    const StopWords words("l\nd\ndell\nqu\nil\ns\nt\nit\n");
    struct Row {
        const char* folded;
        const char* stemmed;
    };
    const Row rows[] = {
        {"l'installation", "installation"},
        {"dell'arte", "arte"},
        {"qu'il", "qu'il"},
        {"it's", "it's"},
        {"page's", "page's"},
        {"l'", "l'"},
        {"'tis", "'tis"},
        {"d'l'x", "l'x"},
        {"plain", "plain"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(words.WithoutElision(row.folded), row.stemmed) << row.folded;
    }
    EXPECT_EQ(StopWords().WithoutElision("l'homme"), "l'homme");
}

struct ContainsRow {
    const char* lang;
    const char* folded;
    bool stop;
};

const ContainsRow kContainsRows[] = {
    {"en", "the", true},
    {"en", "of", true},
    {"en", "distribution", false},
    {"en", "don't", true},
    {"en", "it's", true},
    {"en", "page's", false},
    {"en", "'", false},
    {"de", "und", true},
    {"de", "über", true},
    {"de", "haus", false},
    {"fr", "les", true},
    {"fr", "l'homme", false},
    {"es", "los", true},
    {"it", "della", true},
    {"nl", "het", true},
    {"pt", "não", true},
    {"sv", "och", true},
    {"pl", "że", true},
    {"pl", "jest", true},
    {"pl", "programowanie", false},
    {"ru", "и", true},
    {"ru", "программа", false},
    {"zh", "的", true},
    {"zh", "软件", false},
    {"ja", "の", true},
    {"ja", "東京", false},
    {"", "the", false},
};

TEST(StopWords, EachLanguageStopsItsOwnFunctionWords) {
    for (const ContainsRow& row : kContainsRows) {
        SCOPED_TRACE(std::string(row.lang) + " " + row.folded);
        const LanguageInfo* info = FindLanguage(row.lang);
        const StopWords words = StopWords::ForLanguage(info != nullptr ? info->stopWords : std::string_view());
        EXPECT_EQ(words.Contains(row.folded), row.stop);
    }
}

TEST(StopWords, TheTenLanguagesHaveFullLists) {
    for (const char* code : {"en", "de", "fr", "es", "it", "nl", "pt", "sv", "pl", "ru"}) {
        SCOPED_TRACE(code);
        ASSERT_NE(FindLanguage(code), nullptr);
        EXPECT_GT(StopWords::ForLanguage(FindLanguage(code)->stopWords).size(), 90u);
    }
    EXPECT_EQ(StopWords::ForLanguage("klingon").size(), 0u);
    EXPECT_EQ(StopWords::ForLanguage("").size(), 0u);
}

TEST(StopWords, EveryShippedListIsNamedByALanguage) {
    for (const EmbeddedStopWords& list : EmbeddedStopWordLists()) {
        bool named = false;
        for (const char* code : {"da", "de", "en", "es", "fi", "fr", "hu", "it", "ne", "nl", "no", "pl", "pt", "ru",
                                 "sv", "tr", "zh", "ja"}) {
            named = named || FindLanguage(code)->stopWords == list.language;
        }
        EXPECT_TRUE(named) << list.language;
    }
    EXPECT_EQ(EmbeddedStopWordLists().size(), 18u);
}

} // namespace
} // namespace vortaxel::text
