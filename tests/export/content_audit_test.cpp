// The duplicate checks and the link score on their own: shingles and their similarity, the boilerplate
// a site's pages share, the candidates MinHash names, and PageRank against a reference power iteration.

#include "export/content/link_score.h"
#include "export/content/near_duplicates.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <set>
#include <vector>

namespace vortaxel::content {
namespace {

/// `count` distinct words from `first` on.
std::vector<std::uint32_t> Words(std::uint32_t first, std::size_t count) {
    std::vector<std::uint32_t> words(count);
    std::iota(words.begin(), words.end(), first);
    return words;
}

std::vector<std::uint32_t> Joined(std::vector<std::uint32_t> a, const std::vector<std::uint32_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(NearDuplicates, SimilarityIsTheShareOfTheLargerPagesShingles) {
    const auto base = Shingles(Words(0, 400));
    const struct {
        const char* name;
        std::vector<std::uint32_t> words;
        double similarity;
    } cases[] = {
        {"the same words", Words(0, 400), 1.0},
        {"first 20 words replaced", Joined(Words(10'000, 20), Words(20, 380)), 378.0 / 398},
        {"first 60 words replaced", Joined(Words(10'000, 60), Words(60, 340)), 338.0 / 398},
        {"half replaced", Joined(Words(10'000, 200), Words(200, 200)), 198.0 / 398},
        {"a tenth of the page", Words(0, 40), 38.0 / 398},
        {"nothing alike", Words(50'000, 400), 0.0},
        {"too short to shingle", Words(0, 2), 0.0},
    };
    for (const auto& item : cases) {
        EXPECT_NEAR(Similarity(base, Shingles(item.words)), item.similarity, 1e-9) << item.name;
    }
    // A repeated shingle counts once.
    EXPECT_EQ(Shingles(Joined(Words(0, 3), Words(0, 3))).size(), 3U);
}

TEST(NearDuplicates, CandidatesHoldEveryPairAtTheThresholdAndFewBelow) {
    // Pages sharing 100, 95, 85, 50 and 0 percent of a 400-word article.
    const std::vector<std::vector<std::uint32_t>> pages = {
        Words(0, 400),
        Joined(Words(10'000, 20), Words(20, 380)),
        Joined(Words(20'000, 60), Words(60, 340)),
        Joined(Words(30'000, 200), Words(200, 200)),
        Words(40'000, 400),
    };
    const struct {
        double threshold;
        std::set<std::pair<std::uint32_t, std::uint32_t>> mustHold;
        std::set<std::pair<std::uint32_t, std::uint32_t>> mustNotHold;
    } cases[] = {
        {0.9, {{1, 2}}, {{1, 4}, {1, 5}, {4, 5}}},
        {0.8, {{1, 2}, {1, 3}, {2, 3}}, {{1, 5}, {4, 5}}},
    };
    for (const auto& item : cases) {
        NearDuplicateFinder finder(item.threshold);
        for (std::uint32_t i = 0; i < pages.size(); ++i) {
            finder.Add(i + 1, Shingles(pages[i]));
        }
        const auto found = finder.Candidates();
        const std::set<std::pair<std::uint32_t, std::uint32_t>> got(found.begin(), found.end());
        for (const auto& pair : item.mustHold) {
            EXPECT_TRUE(got.contains(pair)) << item.threshold << ": " << pair.first << "-" << pair.second;
        }
        for (const auto& pair : item.mustNotHold) {
            EXPECT_FALSE(got.contains(pair)) << item.threshold << ": " << pair.first << "-" << pair.second;
        }
    }
}

TEST(NearDuplicates, BoilerplateIsWhatMostPagesShare) {
    // Blocks 1 and 2 on every page of ten, 3 on six, 4 on five (half: not most), 5 on two of a site of three.
    std::vector<std::uint64_t> blocks;
    for (int page = 0; page < 10; ++page) {
        blocks.insert(blocks.end(), {1, 2});
        if (page < 6) {
            blocks.push_back(3);
        }
        if (page < 5) {
            blocks.push_back(4);
        }
    }
    EXPECT_EQ(BoilerplateBlocks(blocks, 10), (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_EQ(BoilerplateBlocks({5, 5}, 3), std::vector<std::uint64_t>{});
}

/// PageRank the slow way: a dense matrix of the distinct links, no self links, and the dangling pages'
/// rank spread over all pages.
std::vector<double> ReferenceRanks(std::size_t n, const std::vector<std::pair<std::size_t, std::size_t>>& links) {
    std::vector<std::vector<bool>> to(n, std::vector<bool>(n, false));
    for (const auto& [from, target] : links) {
        if (from != target) {
            to[from][target] = true;
        }
    }
    std::vector<double> rank(n, 1.0 / static_cast<double>(n));
    for (int round = 0; round < 1000; ++round) {
        std::vector<double> next(n, (1 - 0.85) / static_cast<double>(n));
        for (std::size_t i = 0; i < n; ++i) {
            const auto out = static_cast<double>(std::count(to[i].begin(), to[i].end(), true));
            for (std::size_t j = 0; j < n; ++j) {
                next[j] += out == 0 ? 0.85 * rank[i] / static_cast<double>(n) : (to[i][j] ? 0.85 * rank[i] / out : 0);
            }
        }
        rank = next;
    }
    return rank;
}

TEST(LinkScore, EqualsAReferencePowerIterationWithinHalfAPoint) {
    const struct {
        const char* name;
        std::size_t pages;
        std::vector<std::pair<std::size_t, std::size_t>> links;
    } cases[] = {
        {"a hub and its spokes", 6, {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}},
        {"a chain with a dead end", 5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}}},
        {"repeats and self links", 4, {{0, 1}, {0, 1}, {0, 0}, {1, 2}, {2, 0}, {2, 3}, {3, 3}}},
        {"a site and an orphan", 5, {{0, 1}, {1, 0}, {0, 2}, {2, 3}, {3, 0}}},
    };
    for (const auto& item : cases) {
        LinkGraph graph;
        graph.offsets.assign(item.pages + 1, 0);
        std::vector<std::vector<std::uint32_t>> out(item.pages);
        for (const auto& [from, target] : item.links) {
            out[from].push_back(static_cast<std::uint32_t>(target));
        }
        for (std::size_t p = 0; p < item.pages; ++p) {
            graph.targets.insert(graph.targets.end(), out[p].begin(), out[p].end());
            graph.offsets[p + 1] = static_cast<std::uint32_t>(graph.targets.size());
        }
        const std::vector<double> ranks = PageRanks(graph);
        const std::vector<double> reference = ReferenceRanks(item.pages, item.links);
        EXPECT_NEAR(std::accumulate(ranks.begin(), ranks.end(), 0.0), 1.0, 1e-9) << item.name;
        const std::vector<double> scores = LinkScores(ranks);
        const std::vector<double> expected = LinkScores(reference);
        // The scale itself: the reference's log span.
        const double low = std::log(*std::min_element(reference.begin(), reference.end()));
        const double high = std::log(*std::max_element(reference.begin(), reference.end()));
        for (std::size_t p = 0; p < item.pages; ++p) {
            EXPECT_NEAR(scores[p], 100 * (std::log(reference[p]) - low) / (high - low), 0.5) << item.name << " " << p;
            EXPECT_NEAR(scores[p], expected[p], 0.5) << item.name << " " << p;
        }
    }
    // Pages all alike score 100; no pages, no scores.
    EXPECT_EQ(LinkScores(std::vector<double>{0.25, 0.25, 0.25, 0.25}), (std::vector<double>{100, 100, 100, 100}));
    EXPECT_TRUE(PageRanks(LinkGraph{}).empty());
}

} // namespace
} // namespace vortaxel::content
