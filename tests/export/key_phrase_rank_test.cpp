#include "export/keyphrase/key_phrases.h"
#include "tests/export/key_phrase_candidates.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::keyphrase {
namespace {

using test::MakeCandidate;
using text::Zone;
using vortaxel::test::PrintTo;

struct RankCase {
    std::string name;
    std::vector<text::Candidate> candidates;
    std::map<std::string, std::uint32_t> holding;
    std::uint32_t sitePages = 0;
    std::size_t top = kKeyPhrasesPerPage;
    std::vector<std::string> ranked;
};

class RankKeyPhrasesTest : public testing::TestWithParam<RankCase> {};

TEST_P(RankKeyPhrasesTest, RanksAsTheRowSays) {
    const auto& row = GetParam();
    const PagesHolding holding = [&](std::string_view key) {
        const auto found = row.holding.find(std::string(key));
        return found == row.holding.end() ? 1u : found->second;
    };
    std::vector<std::string> keys;
    for (const auto& phrase : RankKeyPhrases(row.candidates, holding, row.sitePages, row.top)) {
        keys.push_back(phrase.key);
    }
    EXPECT_EQ(keys, row.ranked);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RankKeyPhrasesTest,
    testing::Values(
        RankCase{"TemplatePhraseNeverWinsHoweverPlaced",
                 {MakeCandidate("document", {{Zone::Title, 1}, {Zone::H1, 1}, {Zone::Body, 30}}, 0, 900),
                  MakeCandidate("vacuum", {{Zone::Body, 2}}, 400, 420)},
                 {{"document", 21}, {"vacuum", 2}},
                 40,
                 kKeyPhrasesPerPage,
                 {"vacuum"}},
        RankCase{"HalfTheSiteIsNotYetTemplate",
                 {MakeCandidate("document", {{Zone::Body, 1}}, 5, 5)},
                 {{"document", 20}},
                 40,
                 kKeyPhrasesPerPage,
                 {"document"}},
        RankCase{"SmallSiteKeepsPhraseOnEveryPage",
                 {MakeCandidate("document", {{Zone::Body, 1}}, 5, 5)},
                 {{"document", 19}},
                 19,
                 kKeyPhrasesPerPage,
                 {"document"}},
        RankCase{"TitleH1AnchorBeatsBodyOnly",
                 {MakeCandidate("tabl", {{Zone::Body, 12}}, 20, 900),
                  MakeCandidate("row secur", {{Zone::Title, 1}, {Zone::H1, 1}, {Zone::Anchor, 3}}, 0, 3)},
                 {{"tabl", 10}, {"row secur", 10}},
                 1000,
                 kKeyPhrasesPerPage,
                 {"row secur", "tabl"}},
        RankCase{"SpecificPhraseBeatsCommonOneOfSameUse",
                 {MakeCandidate("queri", {{Zone::Body, 5}}, 10, 500),
                  MakeCandidate("brin index", {{Zone::Body, 5}}, 10, 500)},
                 {{"queri", 300}, {"brin index", 3}},
                 1000,
                 kKeyPhrasesPerPage,
                 {"brin index", "queri"}},
        RankCase{"LongerPhraseBeforeItsStrongWord",
                 {MakeCandidate("aggreg", {{Zone::Title, 1}, {Zone::Body, 8}}, 0, 800),
                  MakeCandidate("aggreg function", {{Zone::Title, 1}, {Zone::Body, 6}}, 0, 800)},
                 {{"aggreg", 30}, {"aggreg function", 15}},
                 1000,
                 kKeyPhrasesPerPage,
                 {"aggreg function", "aggreg"}},
        RankCase{"WordNeverApartFromItsPhraseDropped",
                 {MakeCandidate("aggreg", {{Zone::Title, 1}, {Zone::Body, 6}}, 0, 800),
                  MakeCandidate("aggreg function", {{Zone::Title, 1}, {Zone::Body, 6}}, 0, 800),
                  MakeCandidate("count", {{Zone::Body, 2}}, 50, 60)},
                 {{"aggreg", 30}, {"aggreg function", 15}, {"count", 40}},
                 1000,
                 kKeyPhrasesPerPage,
                 {"aggreg function", "count"}},
        RankCase{"PhraseTakesPlaceOfWordThatNeverStandsApart",
                 {MakeCandidate("pg", {{Zone::Body, 4}}, 10, 400), MakeCandidate("pg dump", {{Zone::Body, 4}}, 10, 400),
                  MakeCandidate("archiv", {{Zone::Body, 3}}, 10, 400)},
                 {{"pg", 1}, {"pg dump", 200}, {"archiv", 2}},
                 1000,
                 kKeyPhrasesPerPage,
                 {"pg dump", "archiv"}},
        RankCase{"PhraseTakesPlaceOfAllItsWords",
                 {MakeCandidate("row", {{Zone::Body, 4}}, 10, 400), MakeCandidate("secur", {{Zone::Body, 4}}, 10, 400),
                  MakeCandidate("row secur", {{Zone::Body, 4}}, 10, 400)},
                 {{"row", 1}, {"secur", 1}, {"row secur", 400}},
                 1000,
                 kKeyPhrasesPerPage,
                 {"row secur"}},
        RankCase{
            "WordsInsideAWordAreNotContained",
            {MakeCandidate("index", {{Zone::Body, 4}}, 10, 400), MakeCandidate("reindex", {{Zone::Body, 4}}, 10, 400)},
            {},
            1000,
            kKeyPhrasesPerPage,
            {"index", "reindex"}},
        RankCase{"RunningTextsLongPhraseLosesToItsEqual",
                 {MakeCandidate("aaa bbb ccc", {{Zone::Body, 3}}, 10, 400),
                  MakeCandidate("zzz", {{Zone::Body, 3}}, 10, 400)},
                 {},
                 1000,
                 kKeyPhrasesPerPage,
                 {"zzz", "aaa bbb ccc"}},
        RankCase{"NamedLongPhraseEqualsItsEqual",
                 {MakeCandidate("zzz", {{Zone::Heading, 1}, {Zone::Body, 3}}, 10, 400),
                  MakeCandidate("aaa bbb ccc", {{Zone::Heading, 1}, {Zone::Body, 3}}, 10, 400)},
                 {},
                 1000,
                 kKeyPhrasesPerPage,
                 {"aaa bbb ccc", "zzz"}},
        RankCase{"EarlierFirstUseWins",
                 {MakeCandidate("late", {{Zone::Body, 2}}, 900, 950), MakeCandidate("earli", {{Zone::Body, 2}}, 0, 50)},
                 {},
                 1000,
                 kKeyPhrasesPerPage,
                 {"earli", "late"}},
        RankCase{
            "WiderSpreadWins",
            {MakeCandidate("narrow", {{Zone::Body, 2}}, 100, 101), MakeCandidate("wide", {{Zone::Body, 2}}, 100, 999)},
            {},
            1000,
            kKeyPhrasesPerPage,
            {"wide", "narrow"}},
        RankCase{"CapitalisedInSentencesWins",
                 {MakeCandidate("plain", {{Zone::Body, 2}}, 100, 200),
                  MakeCandidate("name", {{Zone::Body, 2}}, 100, 200, 2)},
                 {},
                 1000,
                 kKeyPhrasesPerPage,
                 {"name", "plain"}},
        RankCase{"IdentifierBeatsWordOfSameUse",
                 {MakeCandidate("abs", {{Zone::Body, 2}}, 100, 200),
                  MakeCandidate("width_bucket", {{Zone::Body, 2}}, 100, 200)},
                 {},
                 1000,
                 kKeyPhrasesPerPage,
                 {"width_bucket", "abs"}},
        RankCase{"IdentifierNeedsLettersAroundItsUnderscore",
                 {MakeCandidate("abs", {{Zone::Body, 2}}, 100, 200),
                  MakeCandidate("dpkg_1", {{Zone::Body, 2}}, 100, 200),
                  MakeCandidate("_init", {{Zone::Body, 2}}, 100, 200)},
                 {},
                 1000,
                 kKeyPhrasesPerPage,
                 {"_init", "abs", "dpkg_1"}},
        RankCase{"IdentifierInsideAPhraseIsNoLift",
                 {MakeCandidate("call abs", {{Zone::Body, 2}}, 100, 200),
                  MakeCandidate("call width_bucket", {{Zone::Body, 2}}, 100, 200)},
                 {},
                 1000,
                 kKeyPhrasesPerPage,
                 {"call abs", "call width_bucket"}},
        RankCase{"TiesInByteOrderAndTopCuts",
                 {MakeCandidate("b", {{Zone::Body, 1}}, 7, 7), MakeCandidate("c", {{Zone::Body, 1}}, 7, 7),
                  MakeCandidate("a", {{Zone::Body, 1}}, 7, 7)},
                 {},
                 1000,
                 2,
                 {"a", "b"}},
        RankCase{
            "EmptyKeyAndNoUseLeftOut",
            {MakeCandidate("", {{Zone::Title, 3}}), MakeCandidate("unus", {}), MakeCandidate("x", {{Zone::Slug, 1}})},
            {},
            0,
            kKeyPhrasesPerPage,
            {"x"}},
        RankCase{"HoldingAboveSiteIsClamped",
                 {MakeCandidate("a", {{Zone::Body, 1}}, 7, 7)},
                 {{"a", 5000}},
                 10,
                 kKeyPhrasesPerPage,
                 {"a"}}),
    vortaxel::test::RowName());

TEST(RankKeyPhrasesScore, TakenPlaceKeepsTheHigherScoreAndSpelling) {
    auto word = MakeCandidate("pg", {{Zone::Body, 4}}, 10, 400);
    auto phrase = MakeCandidate("pg dump", {{Zone::Body, 4}}, 10, 400);
    phrase.surface = "pg_dump";
    const std::vector<text::Candidate> candidates{word, phrase};
    const PagesHolding holding = [](std::string_view key) { return key == "pg" ? 1u : 200u; };
    const auto alone = RankKeyPhrases(std::span(candidates).first(1), holding, 1000);
    const auto both = RankKeyPhrases(candidates, holding, 1000);
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].phrase, "pg_dump");
    EXPECT_DOUBLE_EQ(both[0].score, alone.at(0).score);
}

TEST(RankKeyPhrasesScore, NoWeightOfTheSiteWithoutSpecificity) {
    RankWeights weights;
    weights.specificity = 0;
    const std::vector<text::Candidate> candidates{MakeCandidate("queri", {{Zone::Body, 5}}, 10, 500),
                                                  MakeCandidate("brin index", {{Zone::Body, 5}}, 10, 500)};
    const PagesHolding holding = [](std::string_view key) { return key == "queri" ? 300u : 3u; };
    const auto ranked = RankKeyPhrases(candidates, holding, 1000, 10, weights);
    ASSERT_EQ(ranked.size(), 2u);
    // Only the length of the running text's phrase tells them apart now.
    EXPECT_EQ(ranked[0].key, "queri");
    EXPECT_NEAR(ranked[1].score / ranked[0].score, 1 + weights.perExtraWordInText, 1e-9);
}

} // namespace
} // namespace vortaxel::keyphrase
