#pragma once

#include "text/page_terms.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

namespace vortaxel::keyphrase::test {

/// A candidate written as a table row: its key, its counts per zone, where it is first and last used.
inline text::Candidate MakeCandidate(std::string key,
                                     std::initializer_list<std::pair<text::Zone, std::uint32_t>> counts,
                                     std::uint32_t firstWord = 0, std::uint32_t lastWord = 0,
                                     std::uint32_t capitalised = 0) {
    text::Candidate candidate;
    candidate.surface = key;
    candidate.words = 1;
    for (const char c : key) {
        candidate.words += c == ' ' ? 1 : 0;
    }
    candidate.key = std::move(key);
    for (const auto& [zone, count] : counts) {
        candidate.inZone[static_cast<std::size_t>(zone)] = count;
    }
    candidate.firstWord = firstWord;
    candidate.lastWord = lastWord;
    candidate.capitalised = capitalised;
    return candidate;
}

} // namespace vortaxel::keyphrase::test
