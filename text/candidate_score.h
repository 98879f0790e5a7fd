#pragma once

#include "text/page_terms.h"

#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::text {

/// The score a candidate has on its page alone, which chooses the kCandidatesKept a page keeps (the site's
/// ranking comes later, from the kept counts): each occurrence weighs by where it stands (title 6, H1 5,
/// other headings 3, description and anchors 3, slug 2, image alt 1.5, body 1), a phrase of n words
/// weighs (1 + 0.5 (n - 1)) times as much, up to three words (longer phrases occur less often and say more;
/// a four-word heading phrase weighs as its three-word runs, so it does not crowd out one-word topics), a word
/// written as an identifier (WrittenAsIdentifier) three times as much, and a phrase that begins early gains up
/// to 2 more (2 / (1 + firstWord / 100)).
double PageScore(const Candidate& candidate);

/// Whether `word` is written as an identifier: one word with letters on both sides of a `_` (`array_length`,
/// `CMAKE_BUILD_TYPE`; not `dpkg_1` or `9_amd64`, the numbered parts of a file name). Prose never joins its words so;
/// technical text names its functions, settings and variables this way, and those names are what its readers look it up
/// by. Inline: the ranking (export/) asks it of every candidate and links no more of text/ than its headers.
inline bool WrittenAsIdentifier(std::string_view word) {
    // A letter, or a byte of a character beyond ASCII (most of which are letters).
    const auto letter = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 || ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z');
    };
    if (word.find(' ') != std::string_view::npos) {
        return false;
    }
    for (std::size_t i = 1; i + 1 < word.size(); ++i) {
        if (word[i] == '_' && letter(word[i - 1]) && letter(word[i + 1])) {
            return true;
        }
    }
    return false;
}

/// Whether a candidate of score `a` and key `aKey` stands before one of score `b` and key `bKey`: the
/// higher score first, and on equal scores the key first in byte order.
inline bool RanksBefore(double a, const std::string& aKey, double b, const std::string& bKey) {
    return a != b ? a > b : aKey < bKey;
}

/// Best first by PageScore; equal scores in the byte order of their keys, so the order never depends on
/// how the candidates were counted.
void SortByPageScore(std::vector<Candidate>& candidates);

} // namespace vortaxel::text
