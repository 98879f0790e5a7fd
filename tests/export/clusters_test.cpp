#include "export/keyphrase/site_map.h"
#include "tests/support/named_rows.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::keyphrase {
namespace {

using vortaxel::test::PrintTo;

// A page whose key phrases are the given keys, each scored `score`.
ClusterPage Page(std::string url, const std::vector<std::string>& keys, std::vector<std::string> linksTo = {},
                 double score = 1) {
    ClusterPage page;
    page.url = std::move(url);
    for (const auto& key : keys) {
        page.phrases.push_back({key, key, score});
    }
    page.linksTo = std::move(linksTo);
    return page;
}

std::vector<std::string> Keys(const std::string& prefix, int from, int to) {
    std::vector<std::string> keys;
    for (int i = from; i < to; ++i) {
        keys.push_back(prefix + std::to_string(i));
    }
    return keys;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct OverlapCase {
    std::string name;
    std::vector<std::string> a;
    std::vector<std::string> b;
    bool together = false;
};

class ClusterOverlapTest : public testing::TestWithParam<OverlapCase> {};

TEST_P(ClusterOverlapTest, JoinsAtTheThreshold) {
    const auto& row = GetParam();
    const std::vector<ClusterPage> pages{Page("http://s/a", row.a), Page("http://s/b", row.b)};
    const auto clusters = ClusterPages(pages);
    if (row.together) {
        ASSERT_EQ(clusters.size(), 1u);
        EXPECT_EQ(clusters[0].pages, (std::vector<std::string>{"http://s/a", "http://s/b"}));
    } else {
        EXPECT_TRUE(clusters.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ClusterOverlapTest,
                         testing::Values(
                             // Three shared of ten in all: exactly 0.3.
                             OverlapCase{"ThreeOfTenJoin", Join(Keys("s", 0, 3), Keys("a", 0, 3)),
                                         Join(Keys("s", 0, 3), Keys("b", 0, 4)), true},
                             // Three shared of eleven: 0.27.
                             OverlapCase{"ThreeOfElevenStayApart", Join(Keys("s", 0, 3), Keys("a", 0, 4)),
                                         Join(Keys("s", 0, 3), Keys("b", 0, 4)), false},
                             OverlapCase{"FiveOfFifteenJoin", Join(Keys("s", 0, 5), Keys("a", 0, 5)),
                                         Join(Keys("s", 0, 5), Keys("b", 0, 5)), true},
                             OverlapCase{"FourOfSixteenStayApart", Join(Keys("s", 0, 4), Keys("a", 0, 6)),
                                         Join(Keys("s", 0, 4), Keys("b", 0, 6)), false},
                             OverlapCase{"RepeatedKeysCountOnce", {"x", "x", "x", "y"}, {"x", "z", "w"}, false},
                             OverlapCase{"SameKeysJoin", {"x", "y"}, {"y", "x"}, true},
                             OverlapCase{"NoKeysNoCluster", {}, {}, false}),
                         vortaxel::test::RowName());

TEST(ClusterPages, SingleLinkChainsNamesByStrongestPhraseAndFindsTheHub) {
    const std::vector<std::string> topic{"replic", "standbi", "wal"};
    std::vector<ClusterPage> pages{
        Page("http://s/c", Join(topic, {"c1"}), {"http://s/a", "http://s/b"}),
        Page("http://s/a", Join(topic, {"a1"}), {"http://s/b", "http://s/b", "http://s/a"}),
        // Shares 3 of 6 with a, and 3 of 8 with d: joins d to the others though a and d share one key.
        Page("http://s/b", {"replic", "standbi", "wal", "x", "y"}, {"http://s/d"}),
        Page("http://s/d", {"x", "y", "wal", "d1", "d2", "d3"}, {"http://s/b"}),
        Page("http://s/lone", {"tsvector", "tsqueri"}, {"http://s/a"}),
        Page("http://s/e", {"json", "jsonb"}),
        Page("http://s/f", {"json", "jsonb"}, {"http://s/e"}),
    };
    pages[0].phrases[0].score = 5;
    pages[0].phrases[0].phrase = "Replication";
    const auto clusters = ClusterPages(pages);
    ASSERT_EQ(clusters.size(), 2u);
    EXPECT_EQ(clusters[0].pages, (std::vector<std::string>{"http://s/a", "http://s/b", "http://s/c", "http://s/d"}));
    EXPECT_EQ(clusters[0].name, "Replication");
    // b is linked from a (twice, counted once), c and d; a's link to itself and lone's link to a do not count.
    EXPECT_EQ(clusters[0].hub, "http://s/b");
    EXPECT_EQ(clusters[1].pages, (std::vector<std::string>{"http://s/e", "http://s/f"}));
    EXPECT_EQ(clusters[1].hub, "http://s/e");
    EXPECT_EQ(clusters[1].name, "json");
}

TEST(ClusterPages, SameClustersWhateverTheOrderOfPages) {
    std::vector<ClusterPage> pages;
    pages.reserve(12);
    for (int i = 0; i < 12; ++i) {
        // Groups of three pages sharing two keys with an own key each.
        pages.push_back(Page("http://s/" + std::to_string(i),
                             {"g" + std::to_string(i / 3), "h" + std::to_string(i / 3), "own" + std::to_string(i)}));
    }
    const auto forward = ClusterPages(pages);
    std::reverse(pages.begin(), pages.end());
    const auto backward = ClusterPages(pages);
    ASSERT_EQ(forward.size(), 4u);
    ASSERT_EQ(backward.size(), 4u);
    for (std::size_t i = 0; i < forward.size(); ++i) {
        EXPECT_EQ(forward[i].pages, backward[i].pages);
        EXPECT_EQ(forward[i].name, backward[i].name);
        EXPECT_EQ(forward[i].hub, backward[i].hub);
    }
}

TEST(ClusterPages, KeyOfTooManyPagesFindsNoPairsButCountsInTheOverlap) {
    std::vector<ClusterPage> pages;
    // Every page holds the site-wide key "postgresql"; two of them also share a rare key.
    for (std::size_t i = 0; i <= kClusterKeyPages; ++i) {
        pages.push_back(Page("http://s/p" + std::to_string(i), {"postgresql", "own" + std::to_string(i)}));
    }
    pages[0].phrases.push_back({"rare", "rare", 1});
    pages[1].phrases.push_back({"rare", "rare", 1});
    const auto clusters = ClusterPages(pages);
    // Without the bound the pages of one own key each would join (1 of 3 shared); with it only the pair
    // does, and it does because "postgresql" still counts as shared: 2 of 4.
    ASSERT_EQ(clusters.size(), 1u);
    EXPECT_EQ(clusters[0].pages, (std::vector<std::string>{"http://s/p0", "http://s/p1"}));
}

} // namespace
} // namespace vortaxel::keyphrase
