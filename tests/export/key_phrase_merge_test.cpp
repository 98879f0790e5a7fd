#include "export/keyphrase/key_phrases.h"
#include "tests/export/key_phrase_candidates.h"

#include <gtest/gtest.h>
#include <vector>

namespace vortaxel::keyphrase {
namespace {

using test::MakeCandidate;
using text::Zone;

std::uint32_t In(const text::Candidate& candidate, Zone zone) {
    return candidate.inZone[static_cast<std::size_t>(zone)];
}

TEST(MergeCandidates, SumsCountsOfOneKeyAndAppendsNewKeysInOrder) {
    auto pageWord = MakeCandidate("vacuum", {{Zone::Title, 1}, {Zone::Body, 3}}, 4, 300, 1);
    pageWord.surface = "VACUUM";
    const std::vector<text::Candidate> page{pageWord, MakeCandidate("autovacuum", {{Zone::Body, 2}}, 50, 60)};
    auto anchor = MakeCandidate("vacuum", {{Zone::Anchor, 5}});
    anchor.surface = "vacuum";
    anchor.capitalised = 2;
    const std::vector<text::Candidate> elsewhere{MakeCandidate("routin vacuum", {{Zone::Anchor, 1}}), anchor,
                                                 MakeCandidate("vacuum", {{Zone::Slug, 1}})};

    const auto merged = MergeCandidates(page, elsewhere);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0].key, "vacuum");
    EXPECT_EQ(merged[1].key, "autovacuum");
    EXPECT_EQ(merged[2].key, "routin vacuum");
    EXPECT_EQ(merged[0].surface, "VACUUM");
    EXPECT_EQ(In(merged[0], Zone::Title), 1u);
    EXPECT_EQ(In(merged[0], Zone::Body), 3u);
    EXPECT_EQ(In(merged[0], Zone::Anchor), 5u);
    EXPECT_EQ(In(merged[0], Zone::Slug), 1u);
    EXPECT_EQ(merged[0].capitalised, 3u);
    // Anchors and slugs stand outside the page: their zero positions must not move the page's first use.
    EXPECT_EQ(merged[0].firstWord, 4u);
    EXPECT_EQ(merged[0].lastWord, 300u);
}

TEST(MergeCandidates, PositionsSpanBothWhereBothStandInThePage) {
    const std::vector<text::Candidate> page{MakeCandidate("index", {{Zone::Body, 1}}, 40, 50)};
    const std::vector<text::Candidate> more{MakeCandidate("index", {{Zone::Heading, 1}}, 10, 20),
                                            MakeCandidate("index", {{Zone::Body, 1}}, 60, 70)};
    const auto merged = MergeCandidates(page, more);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].firstWord, 10u);
    EXPECT_EQ(merged[0].lastWord, 70u);
    EXPECT_EQ(In(merged[0], Zone::Body), 2u);
}

TEST(MergeCandidates, KeyOnlyElsewhereKeepsItsSurfaceAndIsRankedWithoutPosition) {
    auto slug = MakeCandidate("sql creat", {{Zone::Slug, 1}}, 0, 0);
    slug.surface = "sql create";
    const auto merged = MergeCandidates({}, std::vector{slug, MakeCandidate("sql creat", {{Zone::Anchor, 2}}, 9, 9)});
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].surface, "sql create");
    EXPECT_EQ(In(merged[0], Zone::Anchor), 2u);
    EXPECT_EQ(In(merged[0], Zone::Slug), 1u);
}

} // namespace
} // namespace vortaxel::keyphrase
