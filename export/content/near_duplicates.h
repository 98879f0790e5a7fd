#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace vortaxel::content {

// Near-duplicates are found by MinHash over word shingles with LSH banding:
//  - a shingle is kShingleWords words in a row of the page's text once its boilerplate is left out;
//  - a page's signature is the least value of each of kMinHashes hash functions over its shingles, so that
//    two signatures agree at one place with the chance that is the Jaccard index of the two shingle sets;
//  - the signature is cut into kBands bands of kMinHashes / kBands rows, and pages whose band agrees whole
//    are candidates: at 32 bands of 4 rows, pages whose shingles share 80% or more (Jaccard 0.67 and over)
//    are candidates with a chance above 99.9%, and at 60% still 95%;
//  - each candidate pair is then measured on the shingles themselves, not on the estimate.
// The similarity of two pages is the share of the larger one's shingles that the other holds too
// (|A ∩ B| / max(|A|, |B|)): two pages of one size of which 95% of the text is the same are 95% alike.
inline constexpr std::size_t kShingleWords = 3;
inline constexpr std::size_t kMinHashes = 128;
inline constexpr std::size_t kBands = 32;
/// A bucket of more pages than this (a band all of them share) pairs each of its pages with its first
/// kMostBucketPairs pages alone, so that a site of many alike pages costs time linear in its pages.
inline constexpr std::size_t kMostBucketPairs = 64;

/// The distinct shingle hashes of a run of words, sorted; none for fewer than kShingleWords words.
std::vector<std::uint64_t> Shingles(std::span<const std::uint32_t> words);

/// |A ∩ B| / max(|A|, |B|) of two sorted, distinct shingle sets; 0 when either is empty.
double Similarity(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b);

/// Block hashes that stand on more than half of `pages` pages (and on three at least): a site's
/// navigation, header and footer. `pageBlocks` holds each page's distinct block hashes, all pages together.
std::vector<std::uint64_t> BoilerplateBlocks(std::vector<std::uint64_t> pageBlocks, std::size_t pages);

/// Gathers pages' MinHash signatures (kMinHashes 32-bit values each) and names the pairs worth measuring.
class NearDuplicateFinder {
public:
    /// `threshold` in 0..1: the similarity asked for.
    explicit NearDuplicateFinder(double threshold) : threshold_(threshold) {}

    /// Adds the page numbered `page` (pages are added in a rising order of numbers) by its shingles.
    void Add(std::uint32_t page, std::span<const std::uint64_t> shingles);

    /// The pairs (lower number first, sorted, distinct) that share a band and whose estimated similarity
    /// reaches the threshold less a margin wider than the estimate's error.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Candidates() const;

    std::size_t Pages() const { return pages_.size(); }

private:
    double Estimate(std::size_t a, std::size_t b) const;

    double threshold_;
    std::vector<std::uint32_t> pages_;
    std::vector<std::uint32_t> sizes_;
    std::vector<std::uint32_t> signatures_;
};

} // namespace vortaxel::content
