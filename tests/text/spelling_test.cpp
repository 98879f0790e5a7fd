// Spelling: which words a dictionary is asked about, where a language's dictionary is found, what a file that
// is no dictionary gives, and a page checked whole. The dictionaries are Debian's hunspell-en-us and
// hunspell-de-de (scripts/install-deps.sh installs them).

#include "tests/support/scratch_folder.h"
#include "text/spell_checker.h"
#include "text/spelling.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::text {
namespace {

using Words = std::vector<std::string>;

void Write(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(SpellingWords, KeepsTheWordsADictionaryJudges) {
    const struct {
        const char* name;
        std::string text;
        Words words;
    } rows[] = {
        {"plain", "Teh quick brown fox", {"Teh", "quick", "brown", "fox"}},
        {"each once", "the cat and the hat", {"the", "cat", "and", "hat"}},
        {"numbers and digits", "Top 10 mp3 players 2026 x86", {"Top", "players"}},
        {"acronyms", "NASA and USB at CERN", {"and", "at"}},
        {"a single capital is a word", "I am A", {"I", "am", "A"}},
        {"inner capitals", "iPhone JavaScript cases", {"cases"}},
        {"addresses", "see https://exmple.com/pth or www.exmple.org now", {"see", "or", "now"}},
        {"mail", "write to infoo@exmple.com today", {"write", "to", "today"}},
        {"domains and code", "exmple.com C++ snake_case C#", {}},
        {"typographic apostrophe", "don\u2019t stop", {"don't", "stop"}},
        {"hyphenated whole", "well-known facts", {"well-known", "facts"}},
        {"ideographs", "\u4E2D\u6587 text", {"text"}},
        {"malformed UTF-8 parts words", "bro\xFFken t\xC3", {"bro", "ken", "t"}},
        {"overlong word", std::string(70, 'a') + " short", {"short"}},
        {"umlauts", "Stra\u00DFe \u00FCber", {"Stra\u00DFe", "\u00FCber"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SpellingWords(row.text, "en"), row.words) << row.name;
    }
}

TEST(RegionOf, NamesTheRegionOfTheSameLanguage) {
    const struct {
        const char* tag;
        const char* lang;
        const char* region;
    } rows[] = {
        {"en-GB", "en", "GB"},    {"en_us", "en", "us"}, {"en", "en", ""}, {"de-DE", "en", ""},
        {"zh-Hant-TW", "zh", ""}, {"en-419", "en", ""},  {"", "en", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RegionOf(row.tag, row.lang), row.region) << row.tag;
    }
}

TEST(FindDictionary, PrefersTheRegionThenTheLanguageThenItsOwnCountry) {
    test::ScratchFolder first("dictionaries");
    test::ScratchFolder second("dictionaries");
    for (const char* name : {"en_GB", "en_US", "de_AT", "de_CH", "fr", "fr_FR", "pt_BR", "pt_PT"}) {
        Write(first / (std::string(name) + ".aff"), "SET UTF-8\n");
        Write(first / (std::string(name) + ".dic"), "1\nword\n");
    }
    Write(first / "it_IT.dic", "1\nparola\n"); // no affix file: no dictionary
    Write(second / "it_IT.aff", "SET UTF-8\n");
    Write(second / "it_IT.dic", "1\nparola\n");
    const std::vector<std::string> folders = {first.Path().string(), second.Path().string()};
    const struct {
        const char* lang;
        const char* region;
        std::string found;
    } rows[] = {
        {"en", "GB", (first / "en_GB").string()},
        {"en", "", (first / "en_US").string()},
        {"en", "AU", (first / "en_US").string()},
        {"fr", "CA", (first / "fr").string()},
        {"de", "", (first / "de_AT").string()},
        {"pt", "BR", (first / "pt_BR").string()},
        {"pt", "", (first / "pt_PT").string()},
        {"it", "", (second / "it_IT").string()},
        {"nl", "", ""},
        {"../en", "", ""},
    };
    for (const auto& row : rows) {
        const std::optional<DictionaryFiles> files = FindDictionary(folders, row.lang, row.region);
        EXPECT_EQ(files ? files->dic : std::string(), row.found.empty() ? "" : row.found + ".dic") << row.lang;
    }
}

TEST(DictionaryFolders, DicPathComesFirst) {
    EXPECT_EQ(DictionaryFolders(nullptr), (Words{"/usr/share/hunspell"}));
    EXPECT_EQ(DictionaryFolders("/a::/b"), (Words{"/a", "/b", "/usr/share/hunspell"}));
}

TEST(SpellChecker, RefusesFilesThatAreNoDictionary) {
    test::ScratchFolder folder("dictionaries");
    Write(folder / "good.aff", "SET UTF-8\n");
    Write(folder / "nul.aff", std::string("SET UTF-8\n\0\0", 12));
    Write(folder / "count.dic", "2\nhouse\nmouse\n");
    Write(folder / "nocount.dic", "house\nmouse\n");
    Write(folder / "empty.dic", "");
    Write(folder / "binary.dic", std::string("\x7F"
                                             "ELF\0\0\0",
                                             7));
    const auto path = [&folder](const char* name) { return (folder / name).string(); };
    const struct {
        const char* name;
        DictionaryFiles files;
        std::string problem;
    } rows[] = {
        {"a word list", {path("good.aff"), path("count.dic")}, ""},
        {"no count", {path("good.aff"), path("nocount.dic")}, path("nocount.dic") + " is no Hunspell word list"},
        {"empty", {path("good.aff"), path("empty.dic")}, path("empty.dic") + " is no Hunspell word list"},
        {"binary", {path("good.aff"), path("binary.dic")}, path("binary.dic") + " is no text"},
        {"binary affixes", {path("nul.aff"), path("count.dic")}, path("nul.aff") + " is no text"},
        {"missing", {path("none.aff"), path("count.dic")}, path("none.aff") + " is no file"},
        {"a folder", {folder.Path().string(), path("count.dic")}, folder.Path().string() + " is no file"},
    };
    for (const auto& row : rows) {
        std::string problem;
        const std::unique_ptr<SpellChecker> checker = SpellChecker::Open(row.files, problem);
        EXPECT_EQ(checker != nullptr, row.problem.empty()) << row.name;
        EXPECT_TRUE(problem.starts_with(row.problem)) << row.name << ": " << problem;
        if (checker) {
            EXPECT_TRUE(checker->Knows("mouse")) << row.name;
            EXPECT_FALSE(checker->Knows("moose")) << row.name;
        }
    }
}

TEST(SpellChecker, WritesWordsInTheDictionarysOwnEncoding) {
    test::ScratchFolder folder("dictionaries");
    Write(folder / "l1.aff", "SET ISO8859-1\n");
    Write(folder / "l1.dic", "1\nf\xFCr\n");
    std::string problem;
    const std::unique_ptr<SpellChecker> checker =
        SpellChecker::Open({(folder / "l1.aff").string(), (folder / "l1.dic").string()}, problem);
    ASSERT_TRUE(checker) << problem;
    EXPECT_TRUE(checker->Knows("f\u00FCr"));
    EXPECT_FALSE(checker->Knows("fur"));
    EXPECT_FALSE(checker->Knows("f\u4E2Dr")); // a character Latin-1 cannot write
}

TEST(Speller, ChecksAPageInItsLanguageAndSaysWhyNot) {
    test::ScratchFolder folder("dictionaries");
    Write(folder / "fr.aff", "SET UTF-8\n");
    Write(folder / "fr.dic", "bonjour\n");
    Speller speller({folder.Path().string(), "/usr/share/hunspell"});
    const struct {
        const char* name;
        std::vector<std::string_view> texts;
        std::string lang;
        SpellingOutcome::State state;
        Words unknown;
    } rows[] = {
        {"English",
         {"Welcom to teh shop", "Cheap lamps", "Welcom"},
         "en",
         SpellingOutcome::State::Checked,
         {"Welcom", "teh"}},
        {"German", {"Willkommen im Laden", "Hauss"}, "de", SpellingOutcome::State::Checked, {"Hauss"}},
        {"no dictionary", {"Welkom"}, "nl", SpellingOutcome::State::NoDictionary, {}},
        {"no dictionary again", {"Welkom"}, "nl", SpellingOutcome::State::NoDictionary, {}},
        {"a file that is none", {"bonjour"}, "fr", SpellingOutcome::State::BadDictionary, {}},
        {"no language", {"whatever"}, "", SpellingOutcome::State::NoLanguage, {}},
    };
    for (const auto& row : rows) {
        const SpellingOutcome outcome = speller.Check(row.texts, row.lang, "");
        EXPECT_EQ(outcome.state, row.state) << row.name;
        EXPECT_EQ(outcome.unknown, row.unknown) << row.name;
    }
    ASSERT_EQ(speller.Languages().size(), 4u);
    EXPECT_EQ(speller.Languages().at("nl").problem, "no Hunspell dictionary for nl");
    EXPECT_TRUE(speller.Languages().at("fr").problem.ends_with("fr.dic is no Hunspell word list (its first line "
                                                               "holds no word count)"));
    EXPECT_EQ(speller.Languages().at("en").files.dic, "/usr/share/hunspell/en_US.dic");
}

TEST(Speller, ReportsAtMostItsBoundOfWords) {
    Speller speller({"/usr/share/hunspell"});
    std::string title;
    for (int i = 0; i < 200; ++i) {
        title += "qz" + std::string(1, static_cast<char>('a' + i % 26)) +
                 std::string(1, static_cast<char>('a' + i / 26)) + " ";
    }
    EXPECT_EQ(speller.Check(std::vector<std::string_view>{title}, "en", "").unknown.size(), kMostUnknownWords);
}

TEST(PageLanguage, TheDeclaredLanguageUnlessTheTextClearlyDenies) {
    const std::string german =
        "Der schnelle braune Fuchs springt über den faulen Hund. Die Katze schläft auf dem warmen Sofa, während "
        "draußen der Regen fällt und die Kinder in der Schule sitzen. Wir gehen morgen in den Wald und suchen "
        "Pilze, wenn das Wetter besser wird. Das Haus am Ende der Straße gehört meiner Großmutter, die dort seit "
        "vierzig Jahren wohnt und jeden Morgen frisches Brot backt. Im Sommer fahren wir an die See.";
    const std::vector<TextBlock> blocks = {{Zone::Title, "Willkommen"}, {Zone::Body, german}, {Zone::Body, german}};
    EXPECT_EQ(PageLanguage(blocks, "en-US"), "de");
    EXPECT_EQ(PageLanguage(blocks, ""), "de");
    const std::vector<TextBlock> shortText = {{Zone::Title, "Willkommen im Laden"}};
    EXPECT_EQ(PageLanguage(shortText, "en"), "en");
    EXPECT_EQ(PageLanguage({}, "fr-CA"), "fr");
}

} // namespace
} // namespace vortaxel::text
