#include "text/candidate_score.h"

#include <algorithm>

namespace vortaxel::text {
namespace {

constexpr double kZoneWeight[kZoneCount] = {
    6.0, // Title
    5.0, // H1
    3.0, // Heading
    3.0, // Description
    1.5, // ImageAlt
    1.0, // Body
    3.0, // Anchor
    2.0, // Slug
};

// As the ranking lifts an identifier (RankWeights::identifier), so that a reference page's many names,
// each used a few times in a table, are kept rather than its chance runs of prose.
constexpr double kIdentifierWeight = 3.0;

} // namespace

double PageScore(const Candidate& candidate) {
    double weighted = 0;
    for (std::size_t zone = 0; zone < kZoneCount; ++zone) {
        weighted += kZoneWeight[zone] * candidate.inZone[zone];
    }
    const double length = 1.0 + 0.5 * std::min(candidate.words - 1, 2);
    const double identifier = WrittenAsIdentifier(candidate.key) ? kIdentifierWeight : 1.0;
    return weighted * length * identifier + 2.0 / (1.0 + candidate.firstWord / 100.0);
}

void SortByPageScore(std::vector<Candidate>& candidates) {
    std::vector<std::pair<double, std::size_t>> order;
    order.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        order.emplace_back(PageScore(candidates[i]), i);
    }
    std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
        return RanksBefore(a.first, candidates[a.second].key, b.first, candidates[b.second].key);
    });
    std::vector<Candidate> sorted;
    sorted.reserve(candidates.size());
    for (const auto& [score, index] : order) {
        sorted.push_back(std::move(candidates[index]));
    }
    candidates = std::move(sorted);
}

} // namespace vortaxel::text
