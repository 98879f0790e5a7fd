#pragma once

#include "text/page_terms.h"
#include "text/text_block.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace vortaxel::text {

/// A word as the phrase counter needs it.
struct PhraseWord {
    std::string surface;
    /// Its stem (or its folded form where the language has no stemmer).
    std::string key;
    bool stop = false;
    /// Begins with a capital letter where no sentence begins.
    bool capitalised = false;
    /// Written after a blank (Chinese, Japanese and Thai write their words without one).
    bool blankBefore = false;
    /// Its index over the page's words, blocks in order.
    std::uint32_t index = 0;
};

/// Phrases are one to three words long, four in the title, the headings and the anchors: there a site
/// names its topics ("general settings of recovery configuration"), while each four-word run of running
/// text adds a candidate per word and is mostly chance wording.
inline constexpr std::size_t kMaxPhraseWords = 3;
inline constexpr std::size_t kMaxNamingPhraseWords = 4;

/// How many distinct phrases a page's counter holds before it drops the weaker half (by PageScore), so a
/// page of a million distinct words is counted in bounded memory; a phrase dropped and seen again counts
/// anew from there.
inline constexpr std::size_t kMaxTrackedPhrases = 20000;

/// Counts the candidate phrases of one page.
class PhraseCounter {
public:
    explicit PhraseCounter(std::size_t maxTracked = kMaxTrackedPhrases);

    /// Counts the phrases of one run: consecutive words of one block and one sentence with only blanks
    /// between them, none of them a number alone. A phrase neither begins nor ends with a stop word; stop
    /// words inside it stay ("point of sale").
    void AddRun(Zone zone, std::span<const PhraseWord> run);

    /// The candidates, best first by PageScore, at most `kept`.
    std::vector<Candidate> Take(std::size_t kept);

    std::size_t tracked() const { return tallies_.size(); }

private:
    struct Spelling {
        std::string text;
        std::uint32_t count = 0;
    };
    struct Tally {
        Candidate candidate;
        std::vector<Spelling> spellings;
    };

    void Count(Zone zone, std::span<const PhraseWord> phrase);
    void Prune();

    std::size_t maxTracked_;
    std::unordered_map<std::string, Tally> tallies_;
    std::string key_;
    std::string surface_;
};

} // namespace vortaxel::text
