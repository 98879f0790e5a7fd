#pragma once

#include "text/text_block.h"

#include <array>
#include <cstdint>

namespace vortaxel::keyphrase {

/// The constants of the key phrase score (the formula is at RankKeyPhrases). The defaults are what the
/// product uses; the offline evaluation passes others to measure them.
struct RankWeights {
    /// Per zone, in text::Zone's order: Title, H1, Heading, Description, ImageAlt, Body, Anchor, Slug.
    std::array<double, text::kZoneCount> zone{4.0, 3.0, 2.0, 1.5, 1.0, 1.0, 2.5, 1.5};
    /// How much each doubling of a zone's count adds, in units of ln 2 (YAKE's and TF-IDF's frequency).
    double frequency = 2.0;
    /// How much an early first occurrence lifts a phrase (YAKE's position).
    double position = 0.5;
    /// How much occurrences spread over the page lift it (YAKE's sentence spread).
    double spread = 0.5;
    /// How much capitalised use inside sentences lifts it (YAKE's casing: names and acronyms).
    double casing = 0.3;
    /// How much a word written as an identifier lifts it (text::WrittenAsIdentifier): the casing of
    /// technical text, where the things a page documents are named `array_length` or `max_connections`.
    double identifier = 2.0;
    /// What each word beyond the first adds to a phrase a title, a heading, an anchor or the slug names.
    double perExtraWord = 0.0;
    /// The same for a phrase that only the running text holds (body, image alt, description): a run of
    /// words no heading, title, anchor or slug names is more often a chance wording than a term.
    double perExtraWordInText = -0.2;
    /// The power of the specificity factor: 0 ignores the site, 1 is plain inverse document frequency.
    double specificity = 1.0;
    /// Added to the pages holding a key (and to the site's), so a phrase on one page is not worth far more
    /// than one on a few: a phrase that only one page says once or twice is as often a chance wording.
    double holdingSmoothing = 2.0;
    /// A phrase inside another adds nothing to it while its count in every zone is at most this many
    /// times the other's (1: it never stands apart from it).
    double apart = 1.0;
    /// A key on more than this share of the site's pages is template and never a key phrase ...
    double templateShare = 0.5;
    /// ... once the site has at least this many pages (on fewer, a share says little).
    std::uint32_t templateMinPages = 20;
};

} // namespace vortaxel::keyphrase
