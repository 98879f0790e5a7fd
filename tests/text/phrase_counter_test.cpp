#include "text/candidate_score.h"
#include "text/phrase_counter.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vortaxel::text {
namespace {

const std::set<std::string> kStops = {"the", "of", "a", "and", "to"};

// Blank-separated words; the key is the word lower-cased, and a word of kStops is a stop word.
std::vector<PhraseWord> WordsOf(const std::string& text, std::uint32_t firstIndex = 0) {
    std::vector<PhraseWord> run;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        PhraseWord w;
        w.surface = word;
        std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
        w.key = word;
        w.stop = kStops.contains(word);
        w.capitalised = !run.empty() && std::isupper(static_cast<unsigned char>(w.surface[0]));
        w.blankBefore = !run.empty();
        w.index = firstIndex + static_cast<std::uint32_t>(run.size());
        run.push_back(std::move(w));
    }
    return run;
}

std::set<std::string> Keys(const std::vector<Candidate>& candidates) {
    std::set<std::string> keys;
    for (const Candidate& c : candidates) {
        keys.insert(c.key);
    }
    return keys;
}

struct PhraseRow {
    const char* run;
    std::set<std::string> keys;
};

const PhraseRow kPhraseRows[] = {
    {"", {}},
    {"the of a", {}},
    {"sale", {"sale"}},
    {"point of sale", {"point", "sale", "point of sale"}},
    {"the role of distributions", {"role", "distributions", "role of distributions"}},
    {"network infrastructure setup",
     {"network", "infrastructure", "setup", "network infrastructure", "infrastructure setup",
      "network infrastructure setup"}},
    {"one of the best", {"one", "best"}},
    {"Tom and Jerry", {"tom", "jerry", "tom and jerry"}},
    // Section numbering with a letter parts a run as a number does; other dotted words are words.
    {"F.42 sslinfo", {"sslinfo"}},
    {"appendix A.2.1 ubuntu", {"appendix", "ubuntu"}},
    {"F.42x sslinfo", {"f.42x", "sslinfo", "f.42x sslinfo"}},
    {"e.g sslinfo", {"e.g", "sslinfo", "e.g sslinfo"}},
    {"F.4.2 hstore operators F.18", {"hstore", "operators", "hstore operators"}},
};

TEST(PhraseCounter, PhrasesNeitherBeginNorEndWithAStopWord) {
    for (const PhraseRow& row : kPhraseRows) {
        SCOPED_TRACE(row.run);
        PhraseCounter counter;
        counter.AddRun(Zone::Body, WordsOf(row.run));
        EXPECT_EQ(Keys(counter.Take(1000)), row.keys);
    }
}

TEST(PhraseCounter, CountsZonesPositionsCapitalsAndTheUsualSpelling) {
    PhraseCounter counter;
    counter.AddRun(Zone::Title, WordsOf("apt Cache", 0));
    counter.AddRun(Zone::Body, WordsOf("the apt cache", 10));
    counter.AddRun(Zone::Body, WordsOf("apt cache", 20));
    counter.AddRun(Zone::H1, WordsOf("APT cache", 30));
    const std::vector<Candidate> all = counter.Take(100);
    const auto found = std::find_if(all.begin(), all.end(), [](const Candidate& c) { return c.key == "apt cache"; });
    ASSERT_NE(found, all.end());
    EXPECT_EQ(found->words, 2);
    EXPECT_EQ(found->surface, "apt cache");
    EXPECT_EQ(found->inZone[static_cast<std::size_t>(Zone::Title)], 1u);
    EXPECT_EQ(found->inZone[static_cast<std::size_t>(Zone::Body)], 2u);
    EXPECT_EQ(found->inZone[static_cast<std::size_t>(Zone::H1)], 1u);
    EXPECT_EQ(found->firstWord, 0u);
    EXPECT_EQ(found->lastWord, 30u);
    const auto cache = std::find_if(all.begin(), all.end(), [](const Candidate& c) { return c.key == "cache"; });
    ASSERT_NE(cache, all.end());
    EXPECT_EQ(cache->capitalised, 1u);
    EXPECT_EQ(cache->surface, "cache");
}

TEST(PhraseCounter, TheSurfaceIsTheUsualSpellingAndTheFirstOnTies) {
    struct Row {
        std::vector<std::string> spellings;
        std::string surface;
    };
    const Row rows[] = {
        {{"Samba", "SAMBA", "SAMBA"}, "SAMBA"},
        {{"Samba", "SAMBA", "SAMBA", "Samba"}, "Samba"},
        {{"samba", "Samba", "SAMBA", "SaMba", "sAmba", "sAmba", "sAmba"}, "samba"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.surface);
        PhraseCounter counter;
        for (const std::string& spelling : row.spellings) {
            counter.AddRun(Zone::Body, WordsOf(spelling));
        }
        const std::vector<Candidate> all = counter.Take(10);
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].surface, row.surface);
        EXPECT_EQ(all[0].inZone[static_cast<std::size_t>(Zone::Body)], row.spellings.size());
    }
}

TEST(PhraseCounter, JoinsWordsWrittenWithoutBlanksWithoutOne) {
    std::vector<PhraseWord> run = WordsOf("中文 学习");
    run[1].blankBefore = false;
    PhraseCounter counter;
    counter.AddRun(Zone::Body, run);
    const std::vector<Candidate> all = counter.Take(10);
    const auto both = std::find_if(all.begin(), all.end(), [](const Candidate& c) { return c.words == 2; });
    ASSERT_NE(both, all.end());
    EXPECT_EQ(both->surface, "中文学习");
    EXPECT_EQ(both->key, "中文 学习");
}

TEST(PhraseCounter, StaysWithinItsBoundAndKeepsWhatRepeats) {
    constexpr std::size_t kBound = 200;
    PhraseCounter counter(kBound);
    for (std::uint32_t i = 0; i < 20000; ++i) {
        counter.AddRun(Zone::Body, WordsOf("word" + std::to_string(i), i));
        if (i % 10 == 0) {
            counter.AddRun(Zone::Body, WordsOf("keeper", i));
        }
        ASSERT_LE(counter.tracked(), kBound);
    }
    const std::vector<Candidate> best = counter.Take(1);
    ASSERT_EQ(best.size(), 1u);
    EXPECT_EQ(best[0].key, "keeper");
}

TEST(PageScore, WeighsZonesLengthAndPosition) {
    Candidate body;
    body.inZone[static_cast<std::size_t>(Zone::Body)] = 1;
    body.firstWord = 1000;
    Candidate title = body;
    title.inZone = {};
    title.inZone[static_cast<std::size_t>(Zone::Title)] = 1;
    Candidate longer = body;
    longer.words = 3;
    Candidate early = body;
    early.firstWord = 0;
    EXPECT_GT(PageScore(title), PageScore(body));
    EXPECT_GT(PageScore(longer), PageScore(body));
    EXPECT_GT(PageScore(early), PageScore(body));
    EXPECT_DOUBLE_EQ(PageScore(early), 1.0 + 2.0);
}

struct IdentifierRow {
    const char* word;
    bool identifier;
};

TEST(WrittenAsIdentifier, LettersOnBothSidesOfAnUnderscore) {
    const IdentifierRow rows[] = {
        {"array_length", true},
        {"CMAKE_BUILD_TYPE", true},
        {"pg_stat_get_xact_blocks_fetched", true},
        {"lo_tell64", true},
        {"caf\xc3\xa9_cr\xc3\xa8me", true},
        {"length", false},
        {"apt-get", false},
        {"dpkg_1", false},
        {"9_amd64", false},
        {"_init", false},
        {"init_", false},
        {"__", false},
        {"", false},
        {"call array_length", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WrittenAsIdentifier(row.word), row.identifier) << row.word;
    }
}

TEST(PageScore, KeepsAnIdentifierBeforeAWordOfTheSameUse) {
    Candidate word;
    word.key = "length";
    word.inZone[static_cast<std::size_t>(Zone::Body)] = 2;
    word.firstWord = 300;
    Candidate identifier = word;
    identifier.key = "array_length";
    Candidate numbered = word;
    numbered.key = "dpkg_1";
    Candidate phrase = word;
    phrase.key = "call array_length";
    phrase.words = 2;
    Candidate phraseOfWords = phrase;
    phraseOfWords.key = "call length";
    EXPECT_GT(PageScore(identifier), PageScore(word));
    EXPECT_DOUBLE_EQ(PageScore(numbered), PageScore(word));
    EXPECT_DOUBLE_EQ(PageScore(phrase), PageScore(phraseOfWords));
}

TEST(SortByPageScore, BreaksTiesByKeyBytes) {
    std::vector<Candidate> candidates(4);
    const char* keys[] = {"b", "a", "c", "ab"};
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        candidates[i].key = keys[i];
        candidates[i].inZone[static_cast<std::size_t>(Zone::Body)] = 1;
    }
    candidates[2].inZone[static_cast<std::size_t>(Zone::Body)] = 5;
    SortByPageScore(candidates);
    std::vector<std::string> order;
    order.reserve(candidates.size());
    for (const Candidate& c : candidates) {
        order.push_back(c.key);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"c", "a", "ab", "b"}));
}

} // namespace
} // namespace vortaxel::text
