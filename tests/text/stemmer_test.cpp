#include "text/language.h"
#include "text/stemmer.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::text {
namespace {

struct StemRow {
    const char* lang;
    std::string word;
    std::string stem;
};

// Words folded as the analyser folds them, stemmed in the language's stemmer as the analyser finds it.
const StemRow kStemRows[] = {
    {"en", "distributions", "distribut"},
    {"en", "distribution", "distribut"},
    {"en", "running", "run"},
    {"en", "page's", "page"},
    {"de", "häuser", "haus"},
    {"fr", "installations", "install"},
    {"es", "corriendo", "corr"},
    {"it", "programmazione", "programm"},
    {"nl", "lopen", "lop"},
    {"pt", "documentação", "document"},
    {"sv", "bilarna", "bil"},
    {"ru", "программирование", "программирован"},
    // Snowball has no Polish stemmer, nor any for Chinese: the folded word is its own key.
    {"pl", "programowanie", "programowanie"},
    {"zh", "中文", "中文"},
    {"", "running", "running"},
};

TEST(Stemmer, StemsInTheLanguagesSnowballKnows) {
    for (const StemRow& row : kStemRows) {
        SCOPED_TRACE(std::string(row.lang) + " " + row.word);
        const LanguageInfo* info = FindLanguage(row.lang);
        Stemmer stemmer(info != nullptr ? info->stemmer : std::string_view());
        EXPECT_EQ(stemmer.Stem(row.word), row.stem);
    }
}

TEST(Stemmer, EveryLanguageNamedHasItsStemmer) {
    for (const char* code :
         {"en", "de", "fr", "es", "it", "nl", "pt", "sv", "ru", "da", "fi", "hu", "no", "tr", "ar"}) {
        SCOPED_TRACE(code);
        ASSERT_NE(FindLanguage(code), nullptr);
        EXPECT_TRUE(Stemmer(FindLanguage(code)->stemmer).Stems());
    }
    EXPECT_FALSE(Stemmer("klingon").Stems());
}

TEST(Stemmer, OneStemmerServesManyWordsAndEmptyWords) {
    Stemmer stemmer("english");
    EXPECT_EQ(stemmer.Stem(""), "");
    EXPECT_EQ(stemmer.Stem("connections"), "connect");
    EXPECT_EQ(stemmer.Stem("connected"), "connect");
    const std::string huge(1 << 20, 'a');
    EXPECT_EQ(stemmer.Stem(huge).size(), huge.size());
}

} // namespace
} // namespace vortaxel::text
