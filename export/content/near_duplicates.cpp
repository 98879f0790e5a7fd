#include "export/content/near_duplicates.h"

#include "web/bit_mix.h"

#include <algorithm>
#include <array>
#include <limits>

namespace vortaxel::content {

namespace {

static_assert(kMinHashes % kBands == 0);
constexpr std::size_t kRows = kMinHashes / kBands;
// Wider than four times the estimate's standard deviation at 128 hashes.
constexpr double kEstimateMargin = 0.2;

struct HashFunctions {
    std::array<std::uint64_t, kMinHashes> a{};
    std::array<std::uint64_t, kMinHashes> b{};
    HashFunctions() {
        for (std::size_t i = 0; i < kMinHashes; ++i) {
            a[i] = web::MixBits(2 * i + 1) | 1;
            b[i] = web::MixBits(2 * i + 2);
        }
    }
};

const HashFunctions& Functions() {
    static const HashFunctions functions;
    return functions;
}

} // namespace

std::vector<std::uint64_t> Shingles(std::span<const std::uint32_t> words) {
    std::vector<std::uint64_t> shingles;
    if (words.size() < kShingleWords) {
        return shingles;
    }
    shingles.reserve(words.size() - kShingleWords + 1);
    for (std::size_t i = 0; i + kShingleWords <= words.size(); ++i) {
        std::uint64_t hash = 0x9e3779b97f4a7c15ULL;
        for (std::size_t k = 0; k < kShingleWords; ++k) {
            hash = web::MixBits(hash ^ words[i + k]);
        }
        shingles.push_back(hash);
    }
    std::sort(shingles.begin(), shingles.end());
    shingles.erase(std::unique(shingles.begin(), shingles.end()), shingles.end());
    return shingles;
}

double Similarity(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b) {
    if (a.empty() || b.empty()) {
        return 0;
    }
    std::size_t shared = 0;
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i] == b[j]) {
            ++shared;
            ++i;
            ++j;
        } else if (a[i] < b[j]) {
            ++i;
        } else {
            ++j;
        }
    }
    return static_cast<double>(shared) / static_cast<double>(std::max(a.size(), b.size()));
}

std::vector<std::uint64_t> BoilerplateBlocks(std::vector<std::uint64_t> pageBlocks, std::size_t pages) {
    std::sort(pageBlocks.begin(), pageBlocks.end());
    std::vector<std::uint64_t> common;
    for (std::size_t i = 0; i < pageBlocks.size();) {
        std::size_t j = i;
        while (j < pageBlocks.size() && pageBlocks[j] == pageBlocks[i]) {
            ++j;
        }
        if (j - i >= 3 && 2 * (j - i) > pages) {
            common.push_back(pageBlocks[i]);
        }
        i = j;
    }
    return common;
}

void NearDuplicateFinder::Add(std::uint32_t page, std::span<const std::uint64_t> shingles) {
    if (shingles.empty()) {
        return;
    }
    const HashFunctions& f = Functions();
    std::array<std::uint64_t, kMinHashes> least;
    least.fill(std::numeric_limits<std::uint64_t>::max());
    for (const std::uint64_t shingle : shingles) {
        for (std::size_t i = 0; i < kMinHashes; ++i) {
            least[i] = std::min(least[i], f.a[i] * shingle + f.b[i]);
        }
    }
    pages_.push_back(page);
    sizes_.push_back(static_cast<std::uint32_t>(shingles.size()));
    for (const std::uint64_t value : least) {
        signatures_.push_back(static_cast<std::uint32_t>(value >> 32));
    }
}

double NearDuplicateFinder::Estimate(std::size_t a, std::size_t b) const {
    std::size_t agree = 0;
    for (std::size_t i = 0; i < kMinHashes; ++i) {
        agree += signatures_[a * kMinHashes + i] == signatures_[b * kMinHashes + i] ? 1 : 0;
    }
    const double jaccard = static_cast<double>(agree) / kMinHashes;
    // |A ∩ B| = J (|A| + |B|) / (1 + J).
    const double sizeA = sizes_[a];
    const double sizeB = sizes_[b];
    return jaccard * (sizeA + sizeB) / ((1 + jaccard) * std::max(sizeA, sizeB));
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> NearDuplicateFinder::Candidates() const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> buckets(pages_.size());
    for (std::size_t band = 0; band < kBands; ++band) {
        for (std::size_t p = 0; p < pages_.size(); ++p) {
            std::uint64_t hash = band;
            for (std::size_t r = 0; r < kRows; ++r) {
                hash = web::MixBits(hash ^ signatures_[p * kMinHashes + band * kRows + r]);
            }
            buckets[p] = {hash, static_cast<std::uint32_t>(p)};
        }
        std::sort(buckets.begin(), buckets.end());
        for (std::size_t i = 0; i < buckets.size();) {
            std::size_t j = i;
            while (j < buckets.size() && buckets[j].first == buckets[i].first) {
                ++j;
            }
            for (std::size_t x = i; x < j; ++x) {
                for (std::size_t y = i; y < std::min(j, i + kMostBucketPairs); ++y) {
                    if (y != x) {
                        pairs.emplace_back(std::min(buckets[x].second, buckets[y].second),
                                           std::max(buckets[x].second, buckets[y].second));
                    }
                }
            }
            i = j;
        }
        // Kept distinct as they come, so that a site of alike pages does not hold every band's pairs at once.
        std::sort(pairs.begin(), pairs.end());
        pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    }
    std::erase_if(
        pairs, [this](const auto& pair) { return Estimate(pair.first, pair.second) < threshold_ - kEstimateMargin; });
    for (auto& pair : pairs) {
        pair = {pages_[pair.first], pages_[pair.second]};
    }
    return pairs;
}

} // namespace vortaxel::content
