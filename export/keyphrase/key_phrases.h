#pragma once

#include "text/page_terms.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::keyphrase {

/// A key phrase of a page: the candidate's key and spelling, and its score (higher is better).
struct KeyPhrase {
    std::string key;
    std::string phrase;
    double score = 0;
};

/// How many key phrases a page gets; the first is its target phrase.
inline constexpr std::size_t kKeyPhrasesPerPage = 10;

/// What the site says of one key: on how many of its pages it is a candidate.
using PagesHolding = std::function<std::uint32_t(std::string_view key)>;

/// A page's key phrases, best first, at most `top`. `candidates` are the page's own (from the text pass)
/// merged with those of its inlink anchors and slug (zones Anchor and Slug); `pagesHolding` and `sitePages`
/// tell how specific a key is to the page: one that stands on most of the site's pages is template, not a
/// target. The score is a plain function of these counts, so the same input always ranks the same.
std::vector<KeyPhrase> RankKeyPhrases(std::span<const text::Candidate> candidates, const PagesHolding& pagesHolding,
                                      std::uint32_t sitePages, std::size_t top = kKeyPhrasesPerPage);

/// Sums the counts of candidates with the same key (first and last word: the lowest and the highest;
/// surface: the first list's), so the anchor and slug candidates join the page's.
std::vector<text::Candidate> MergeCandidates(std::span<const text::Candidate> page,
                                             std::span<const text::Candidate> fromElsewhere);

} // namespace vortaxel::keyphrase
