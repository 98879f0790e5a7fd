#include "text/text_analyser.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unicode/unistr.h>
#include <vector>

namespace vortaxel::text {
namespace {

const Candidate* Find(const PageTerms& terms, std::string_view key) {
    const auto it = std::find_if(terms.candidates.begin(), terms.candidates.end(),
                                 [&](const Candidate& c) { return c.key == key; });
    return it != terms.candidates.end() ? &*it : nullptr;
}

std::vector<std::string> Keys(const PageTerms& terms) {
    std::vector<std::string> keys;
    for (const Candidate& c : terms.candidates) {
        keys.push_back(c.key);
    }
    return keys;
}

bool ValidUtf8(std::string_view s) {
    const icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<std::int32_t>(s.size())));
    return text.indexOf(char16_t{0xFFFD}) < 0 && text.indexOf(char16_t{0}) < 0;
}

const std::vector<TextBlock> kHandbookPage = {
    {Zone::Title, "11.5. Setting Up Windows Shares with Samba"},
    {Zone::H1, "Setting Up Windows Shares with Samba"},
    {Zone::Body, "Samba is a suite of tools that lets a Linux server share files and printers with Windows "
                 "machines. Run apt-get install samba to set it up; the Samba server then offers Windows shares."},
    {Zone::Heading, "Configuring Samba Shares"},
    {Zone::Body, "Each share is a section of the configuration file. The point of sale terminals read the shares."},
};

TEST(TextAnalyser, FindsAPagesPhrasesByStemInItsLanguage) {
    TextAnalyser analyser;
    const PageTerms terms = analyser.Analyse(kHandbookPage, "en-GB");
    EXPECT_EQ(terms.lang, "en");
    EXPECT_EQ(terms.words, 66u);
    ASSERT_GE(terms.candidates.size(), 5u);
    EXPECT_LE(terms.candidates.size(), kCandidatesKept);
    EXPECT_EQ(terms.candidates.front().key, "set up window") << "a title's and H1's longest phrase weighs most";
    const auto top5 = Keys(terms);
    EXPECT_NE(std::find(top5.begin(), top5.begin() + 7, "samba"), top5.begin() + 7)
        << "only the title's and H1's phrases of two words or more stand before it";

    // Four words only where a page names its topics: a heading's wording is chosen, the running text's
    // four-word runs are mostly chance.
    const Candidate* four = Find(terms, "set up window share");
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->words, 4);
    EXPECT_EQ(Find(terms, "linux server share file"), nullptr);

    const Candidate* shares = Find(terms, "window share");
    ASSERT_NE(shares, nullptr);
    EXPECT_EQ(shares->surface, "Windows Shares");
    EXPECT_EQ(shares->words, 2);
    EXPECT_EQ(shares->inZone[static_cast<std::size_t>(Zone::Title)], 1u);
    EXPECT_EQ(shares->inZone[static_cast<std::size_t>(Zone::H1)], 1u);
    EXPECT_EQ(shares->inZone[static_cast<std::size_t>(Zone::Body)], 1u);
    EXPECT_EQ(shares->firstWord, 3u) << "the title's number is a word too";
    EXPECT_EQ(shares->capitalised, 3u);

    const Candidate* aptGet = Find(terms, "apt-get");
    ASSERT_NE(aptGet, nullptr);
    EXPECT_EQ(aptGet->surface, "apt-get");
    EXPECT_NE(Find(terms, "point of sale"), nullptr) << "a stop word inside a phrase stays";

    for (const char* absent : {"the samba", "of", "the", "11.5", "machin run", "samba configur share file",
                               "samba share configur", "set it"}) {
        EXPECT_EQ(Find(terms, absent), nullptr) << absent;
    }
}

TEST(TextAnalyser, NoPhraseCrossesABlockASentenceOrAMark) {
    TextAnalyser analyser;
    const PageTerms terms = analyser.Analyse(
        std::vector<TextBlock>{{Zone::Body, "alpha"}, {Zone::Body, "beta. gamma, delta (epsilon) zeta 42 eta"}}, "en");
    EXPECT_EQ(Keys(terms).size(), 7u);
    for (const Candidate& c : terms.candidates) {
        EXPECT_EQ(c.words, 1) << c.key;
    }
}

TEST(TextAnalyser, IsDeterministicAndServesManyPagesAndLanguages) {
    TextAnalyser analyser;
    const PageTerms first = analyser.Analyse(kHandbookPage, "en");
    analyser.Analyse(std::vector<TextBlock>{{Zone::Body, "Привет, мир"}}, "ru");
    analyser.Analyse(std::vector<TextBlock>{{Zone::Body, "中文"}}, "");
    TextAnalyser moved = std::move(analyser);
    const PageTerms again = moved.Analyse(kHandbookPage, "en");
    ASSERT_EQ(Keys(first), Keys(again));
    for (std::size_t i = 0; i < first.candidates.size(); ++i) {
        EXPECT_EQ(first.candidates[i].surface, again.candidates[i].surface);
        EXPECT_EQ(first.candidates[i].inZone, again.candidates[i].inZone);
    }
}

struct LanguageRow {
    const char* name;
    const char* declared;
    std::string text;
    const char* lang;
    const char* key;
};

const LanguageRow kLanguageRows[] = {
    {"English detected", "",
     "The package manager downloads the packages and installs them in the right order. Packages are signed.", "en",
     "packag manag"},
    {"German stems", "de",
     "Der Paketmanager lädt die Pakete herunter und installiert sie in der richtigen Reihenfolge.", "de", "paketmanag"},
    {"French", "fr", "Le gestionnaire de paquets télécharge les paquets et les installe dans le bon ordre.", "fr",
     "gestionnair de paquet"},
    {"Spanish", "es", "El gestor de paquetes descarga los paquetes y los instala en el orden correcto.", "es",
     "gestor de paquet"},
    {"Italian", "it", "Il gestore dei pacchetti scarica i pacchetti e li installa nell'ordine giusto.", "it", "gestor"},
    {"Dutch", "nl", "De pakketbeheerder downloadt de pakketten en installeert ze in de juiste volgorde.", "nl",
     "pakketbeheerder"},
    {"Portuguese", "pt-BR", "O gestor de pacotes descarrega os pacotes e instala-os na ordem certa.", "pt",
     "gestor de pacot"},
    {"Swedish", "sv", "Pakethanteraren laddar ner paketen och installerar dem i rätt ordning.", "sv", "pakethanter"},
    {"Polish, not stemmed", "pl", "Menedżer pakietów pobiera pliki i instaluje je we właściwej kolejności.", "pl",
     "menedżer pakietów"},
    {"Russian", "ru", "Менеджер пакетов загружает файлы и устанавливает их в правильном порядке.", "ru",
     "менеджер пакет"},
    {"Chinese detected", "", "软件包管理器下载文件并按正确的顺序安装它们，以便在程序启动之前满足每个依赖关系。", "zh",
     "软件 包"},
    {"Japanese", "ja", "パッケージマネージャーはファイルをダウンロードし、正しい順序でインストールします。", "ja",
     "ファイル"},
    {"Thai", "th", "ตัวจัดการแพ็กเกจจะดาวน์โหลดไฟล์และติดตั้งตามลำดับที่ถูกต้อง", "th", "ไฟล์"},
    {"Arabic", "ar", "يقوم مدير الحزم بتنزيل الملفات وتثبيتها بالترتيب الصحيح", "ar", "مدير"},
    {"Korean", "ko", "패키지 관리자는 파일을 다운로드하고 올바른 순서로 설치합니다.", "ko", "패키지 관리자는"},
    {"unknown declared, detected", "x-klingon",
     "Der Paketmanager lädt die Pakete herunter und installiert sie in der richtigen Reihenfolge.", "de", "paketmanag"},
    {"nothing to tell", "", "12345 67890", "", ""},
};

TEST(TextAnalyser, ReadsTenLanguagesAndScripts) {
    TextAnalyser analyser;
    for (const LanguageRow& row : kLanguageRows) {
        SCOPED_TRACE(row.name);
        const PageTerms terms = analyser.Analyse(std::vector<TextBlock>{{Zone::Body, row.text}}, row.declared);
        EXPECT_EQ(terms.lang, row.lang);
        if (*row.key != '\0') {
            EXPECT_NE(Find(terms, row.key), nullptr) << testing::PrintToString(Keys(terms));
        }
        for (const Candidate& c : terms.candidates) {
            EXPECT_TRUE(ValidUtf8(c.key) && ValidUtf8(c.surface)) << c.key;
        }
    }
}

TEST(TextAnalyser, ADeclaredLanguageYieldsOnlyToATextClearlyInAnother) {
    const std::string german = "Der Paketmanager lädt die Pakete herunter und installiert sie in der richtigen "
                               "Reihenfolge, damit jede Abhängigkeit erfüllt ist, bevor das Programm startet. ";
    std::string longGerman;
    for (int i = 0; i < 6; ++i) {
        longGerman += german;
    }
    TextAnalyser analyser;
    EXPECT_EQ(analyser.Analyse(std::vector<TextBlock>{{Zone::Body, german}}, "en").lang, "en");
    const PageTerms overruled = analyser.Analyse(std::vector<TextBlock>{{Zone::Body, longGerman}}, "en");
    EXPECT_EQ(overruled.lang, "de");
    EXPECT_EQ(Find(overruled, "der"), nullptr) << "German function words are stopped";
}

TEST(TextAnalyser, APageWithoutTextHasNoWords) {
    TextAnalyser analyser;
    for (const std::vector<TextBlock>& blocks :
         {std::vector<TextBlock>{}, std::vector<TextBlock>{{Zone::Body, ""}, {Zone::Title, " "}},
          std::vector<TextBlock>{{Zone::Body, "¶ -- [] ... ©"}}}) {
        const PageTerms terms = analyser.Analyse(blocks, "");
        EXPECT_EQ(terms.lang, "");
        EXPECT_EQ(terms.words, 0u);
        EXPECT_TRUE(terms.candidates.empty());
    }
    EXPECT_EQ(analyser.Analyse({}, "de").lang, "de");
}

TEST(TextAnalyser, MalformedUtf8AndNulSplitWordsAndNeverReachTheKeys) {
    std::string text = "caf\xC3\xA9 cr\xE8me bad\xFF\xFEwords ok\x80"
                       "done ";
    text += std::string("null\0byte", 9);
    text += " trunc\xE4\xB8";
    TextAnalyser analyser;
    const PageTerms terms = analyser.Analyse(std::vector<TextBlock>{{Zone::Body, text}}, "fr");
    EXPECT_EQ(terms.words, 10u);
    for (const char* key : {"caf", "cr", "bad", "word", "ok", "don", "null", "byt", "trunc", "caf cr"}) {
        EXPECT_NE(Find(terms, key), nullptr) << key << " in " << testing::PrintToString(Keys(terms));
    }
    for (const char* key : {"cr me", "bad word", "ok don", "null byt"}) {
        EXPECT_EQ(Find(terms, key), nullptr) << key;
    }
    for (const Candidate& c : terms.candidates) {
        EXPECT_TRUE(ValidUtf8(c.key) && ValidUtf8(c.surface)) << c.key;
    }
}

TEST(TextAnalyser, TenMegabytesOfOneWordIsOneWordInNoPhrase) {
    TextAnalyser analyser;
    const PageTerms terms =
        analyser.Analyse(std::vector<TextBlock>{{Zone::Body, std::string(std::size_t{10} * 1024 * 1024, 'a')}}, "en");
    EXPECT_EQ(terms.words, 1u);
    EXPECT_TRUE(terms.candidates.empty());
}

TEST(TextAnalyser, AMillionDistinctWordsAreReadUpToTheBound) {
    std::mt19937 rng(29);
    std::string text;
    text.reserve(9'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        for (int letter = 0; letter < 7; ++letter) {
            text += static_cast<char>('a' + rng() % 26);
        }
        text += ' ';
    }
    text += "marker";
    std::vector<TextBlock> blocks = {{Zone::Title, "Marker page"}, {Zone::Body, std::move(text)}};
    TextAnalyser analyser;
    const PageTerms terms = analyser.Analyse(blocks, "en");
    EXPECT_EQ(terms.words, kMaxWordsAnalysed);
    EXPECT_EQ(terms.candidates.size(), kCandidatesKept);
    EXPECT_EQ(terms.candidates.front().key, "marker page");
}

TEST(TextAnalyser, TenThousandHeadingsAreTenThousandBlocks) {
    std::vector<TextBlock> blocks;
    blocks.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
        blocks.push_back({Zone::Heading, "Section " + std::to_string(i) + " about keyword maps"});
    }
    TextAnalyser analyser;
    const PageTerms terms = analyser.Analyse(blocks, "en");
    EXPECT_EQ(terms.words, 50000u);
    const Candidate* maps = Find(terms, "keyword map");
    ASSERT_NE(maps, nullptr);
    EXPECT_EQ(maps->inZone[static_cast<std::size_t>(Zone::Heading)], 10000u);
    EXPECT_EQ(Find(terms, "section about"), nullptr) << "the number parts the heading";
    EXPECT_EQ(Find(terms, "map section"), nullptr) << "no phrase crosses a heading";
}

// Texts drawn from pieces of many scripts, marks, broken bytes and blanks: whatever the mix, every kept
// candidate agrees with itself and with the page.
TEST(TextAnalyser, MixedRandomTextKeepsEveryCandidateConsistent) {
    const std::string pieces[] = {"word",     "Word",  "the",  "of",   " ",
                                  " ",        ". ",    ", ",   "-",    "_",
                                  "'",        "+",     "#",    "42",   "3.11",
                                  "中文",     "学习",  "ภาษา", "ไทย",  "Привет",
                                  "мир",      "اللغة", "。",   "\xff", std::string(1, '\0'),
                                  "\xE4\xB8", "café",  "İ",    "ß",    "\xEF\xBF\xBD"};
    std::mt19937 rng(11);
    TextAnalyser analyser;
    for (int round = 0; round < 300; ++round) {
        std::vector<TextBlock> blocks(1 + rng() % 4);
        for (TextBlock& block : blocks) {
            block.zone = static_cast<Zone>(rng() % kZoneCount);
            for (int n = static_cast<int>(rng() % 40); n > 0; --n) {
                block.text += pieces[rng() % std::size(pieces)];
            }
        }
        const char* langs[] = {"", "en", "zh", "th", "ru", "xx"};
        const PageTerms terms = analyser.Analyse(blocks, langs[rng() % std::size(langs)]);
        for (const Candidate& c : terms.candidates) {
            ASSERT_TRUE(ValidUtf8(c.key) && ValidUtf8(c.surface)) << c.key;
            ASSERT_EQ(static_cast<std::size_t>(std::count(c.key.begin(), c.key.end(), ' ')) + 1, c.words) << c.key;
            ASSERT_LE(c.firstWord, c.lastWord);
            ASSERT_LT(c.lastWord, terms.words);
            std::uint32_t occurrences = 0;
            for (const std::uint32_t n : c.inZone) {
                occurrences += n;
            }
            ASSERT_GE(occurrences, 1u);
            ASSERT_LE(c.capitalised, occurrences);
        }
    }
}

} // namespace
} // namespace vortaxel::text
