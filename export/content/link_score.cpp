#include "export/content/link_score.h"

#include <algorithm>
#include <cmath>

namespace vortaxel::content {

std::vector<double> PageRanks(const LinkGraph& graph, double tolerance, int mostRounds) {
    const std::uint32_t pages = graph.Pages();
    if (pages == 0) {
        return {};
    }
    // Each page's distinct targets other than itself, so that repeats and self links pass nothing.
    std::vector<std::uint32_t> offsets(pages + 1, 0);
    std::vector<std::uint32_t> targets;
    targets.reserve(graph.targets.size());
    std::vector<std::uint32_t> seen(pages, pages);
    for (std::uint32_t p = 0; p < pages; ++p) {
        for (std::uint32_t i = graph.offsets[p]; i < graph.offsets[p + 1]; ++i) {
            const std::uint32_t t = graph.targets[i];
            if (t < pages && t != p && seen[t] != p) {
                seen[t] = p;
                targets.push_back(t);
            }
        }
        offsets[p + 1] = static_cast<std::uint32_t>(targets.size());
    }
    const double n = pages;
    std::vector<double> rank(pages, 1.0 / n);
    std::vector<double> next(pages);
    for (int round = 0; round < mostRounds; ++round) {
        double dangling = 0;
        for (std::uint32_t p = 0; p < pages; ++p) {
            if (offsets[p] == offsets[p + 1]) {
                dangling += rank[p];
            }
        }
        const double base = (1 - kDamping) / n + kDamping * dangling / n;
        std::fill(next.begin(), next.end(), base);
        for (std::uint32_t p = 0; p < pages; ++p) {
            const std::uint32_t out = offsets[p + 1] - offsets[p];
            if (out == 0) {
                continue;
            }
            const double share = kDamping * rank[p] / out;
            for (std::uint32_t i = offsets[p]; i < offsets[p + 1]; ++i) {
                next[targets[i]] += share;
            }
        }
        double moved = 0;
        for (std::uint32_t p = 0; p < pages; ++p) {
            moved += std::fabs(next[p] - rank[p]);
        }
        rank.swap(next);
        if (moved < tolerance) {
            break;
        }
    }
    return rank;
}

std::vector<double> LinkScores(std::span<const double> ranks) {
    std::vector<double> scores(ranks.size(), 100.0);
    if (ranks.empty()) {
        return scores;
    }
    const auto [least, most] = std::minmax_element(ranks.begin(), ranks.end());
    const double low = std::log(*least);
    const double span = std::log(*most) - low;
    // Ranks alike to within rounding are one rank.
    if (!(span > 1e-9)) {
        return scores;
    }
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        scores[i] = std::clamp(100.0 * (std::log(ranks[i]) - low) / span, 0.0, 100.0);
    }
    return scores;
}

} // namespace vortaxel::content
