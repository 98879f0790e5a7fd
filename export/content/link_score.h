#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vortaxel::content {

/// A site's followed internal links as arrays indexed by page number: page p links to
/// targets[offsets[p]] .. targets[offsets[p + 1] - 1]. Memory is linear in pages and links, never a map.
struct LinkGraph {
    std::vector<std::uint32_t> offsets{0};
    std::vector<std::uint32_t> targets;

    std::uint32_t Pages() const { return static_cast<std::uint32_t>(offsets.size() - 1); }
};

inline constexpr double kDamping = 0.85;

/// PageRank by power iteration: each page passes kDamping of its rank to the pages it links to, in equal
/// shares (a link repeated counts once, a link to itself not at all); a page that links nowhere shares
/// its rank with every page, as does the rest (1 - kDamping). Iterates until the ranks move by less than
/// `tolerance` in sum, or `mostRounds` rounds. The ranks add up to 1.
std::vector<double> PageRanks(const LinkGraph& graph, double tolerance = 1e-10, int mostRounds = 500);

/// Ranks as scores 0-100 on a log scale: the highest rank is 100, the lowest 0, and each page stands
/// between at the share of the span of log(rank) it reaches. All pages alike (or one) all score 100.
std::vector<double> LinkScores(std::span<const double> ranks);

} // namespace vortaxel::content
