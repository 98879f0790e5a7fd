#pragma once

#include "export/keyphrase/rank_weights.h"
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
///
/// With c_z a candidate's count in zone z, N = max(sitePages, 1) and df = pagesHolding(key) clamped to [1, N]:
///
///     score = E * I * P * S * C * L * D
///     E = sum over zones with c_z > 0 of w_z * (1 + f ln c_z)   where it stands, how often (log-damped)
///     I = ln((N + 1 + s) / (df + s)) ^ specificity              how specific it is to the page in the site
///     P = 1 + position / (1 + ln(1 + firstWord / 10))           an early first use (YAKE's position)
///     S = 1 + spread * (lastWord - firstWord) / pageWords       use all over the page (YAKE's spread)
///     C = 1 + casing * min(1, capitalised / own)                capitalised inside sentences (YAKE's casing)
///     L = max(0, 1 + x * (words - 1))                           a run of words against the words alone
///     D = 1 + identifier for a word written as one (text::WrittenAsIdentifier), else 1
///
/// where `own` counts the occurrences in the page's own text (Title to Body) and pageWords is the highest
/// lastWord of the page's candidates plus one; a phrase only anchors or the slug hold has P = S = 1. The
/// constants are RankWeights': zone weights Title 4, H1 3, Heading 2, Description 1.5, ImageAlt 1, Body 1,
/// Anchor 2.5, Slug 1.5; frequency f = 2, position 0.5, spread 0.5, casing 0.3, identifier 2 (technical text's casing:
/// the names a reference page documents, `array_length`, stand out as a name does in prose), specificity 1, s = 2 (a
/// phrase one page holds is worth little more than one a few hold: it is as often a chance wording as a term); x = 0
/// for a phrase a title, heading, anchor or the slug names and -0.2 for one only the running text holds (a run of words
/// nobody names is more often a chance wording than a term). A key held by more than templateShare (a half) of the
/// pages of a site of templateMinPages (20) pages or more is template and never ranked. YAKE's relatedness to the words
/// around a term needs the text itself; I stands in for it, as a word used everywhere is what relatedness finds. The
/// constants were measured against two sites' own views of their pages (a manual's book index, a handbook's meta
/// keywords) and kept where both agree.
///
/// Longer phrases compete with the words they contain through I (a phrase is held by no more pages than
/// its words), and where a phrase adds nothing to another (its count is no higher in any zone, so it
/// never stands apart from it) only one of the two is kept: the shorter one contained in a higher-ranked
/// longer one is dropped, and a longer one that holds a higher-ranked shorter one takes its place and its
/// score ("aggregate function" for "aggregate" when "aggregate" is only ever said in "aggregate
/// function"). A shorter phrase that also stands apart stays beside the longer one. Ties: the key in
/// byte order.
std::vector<KeyPhrase> RankKeyPhrases(std::span<const text::Candidate> candidates, const PagesHolding& pagesHolding,
                                      std::uint32_t sitePages, std::size_t top = kKeyPhrasesPerPage);

/// The same with other constants, for measuring them.
std::vector<KeyPhrase> RankKeyPhrases(std::span<const text::Candidate> candidates, const PagesHolding& pagesHolding,
                                      std::uint32_t sitePages, std::size_t top, const RankWeights& weights);

/// Sums the counts of candidates with the same key (first and last word: the lowest and the highest;
/// surface: the first list's), so the anchor and slug candidates join the page's.
std::vector<text::Candidate> MergeCandidates(std::span<const text::Candidate> page,
                                             std::span<const text::Candidate> fromElsewhere);

} // namespace vortaxel::keyphrase
