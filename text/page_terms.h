#pragma once

#include "text/text_block.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vortaxel::text {

/// A phrase of one to three words (four where it pays) that a page's text holds, with what the key phrase
/// score needs of it. Counts are of occurrences; positions are word indexes over the page's blocks in order.
struct Candidate {
    /// Its words' stems, lower-cased, joined by one blank: the same key on every page and in every spelling.
    std::string key;
    /// The spelling the page uses most often (ties: the first), as the text writes it.
    std::string surface;
    std::uint8_t words = 1;
    std::array<std::uint32_t, kZoneCount> inZone{};
    std::uint32_t firstWord = 0;
    std::uint32_t lastWord = 0;
    /// Occurrences that begin with a capital letter where a sentence does not begin.
    std::uint32_t capitalised = 0;
};

/// How many candidates a page keeps, chosen by a score of the page alone, so a page of a million distinct
/// words costs no more than any other in the crawl database. 96 rather than 64: the ranking then finds
/// more of the terms people name a page by, while 128 gains nothing more and 256 loses on some sites.
inline constexpr std::size_t kCandidatesKept = 96;

/// What the text pass makes of a page.
struct PageTerms {
    /// The language the words were split, stopped and stemmed in: an ISO 639-1 code ("en"), or empty when
    /// neither the page nor the detector could tell (words are then split but neither stopped nor stemmed).
    std::string lang;
    /// The words read, numbers among them (at most kMaxWordsAnalysed, text_analyser.h).
    std::uint32_t words = 0;
    /// At most kCandidatesKept, best first.
    std::vector<Candidate> candidates;
};

} // namespace vortaxel::text
