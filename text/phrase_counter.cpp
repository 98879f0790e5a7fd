#include "text/phrase_counter.h"

#include "text/candidate_score.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace vortaxel::text {
namespace {

// A page spells a phrase in few ways; past these, a spelling seen later cannot be the most frequent one
// often enough to matter, and a hostile page cannot grow a phrase's list.
constexpr std::size_t kMaxSpellings = 4;

// Section numbering that holds a letter ("F.42", "A.2.1", the appendices' numbers), which the word splitter
// takes for a word: it names a place in a book, not a topic, so it parts a run as a number does.
bool IsSectionNumber(std::string_view word) {
    if (word.size() < 3 || !std::isalpha(static_cast<unsigned char>(word[0])) || word[1] != '.') {
        return false;
    }
    bool digit = false;
    for (std::size_t i = 2; i < word.size(); ++i) {
        const char c = word[i];
        if (c == '.') {
            if (!digit) {
                return false;
            }
            digit = false;
        } else if (c >= '0' && c <= '9') {
            digit = true;
        } else {
            return false;
        }
    }
    return digit;
}

} // namespace

PhraseCounter::PhraseCounter(std::size_t maxTracked) : maxTracked_(std::max<std::size_t>(maxTracked, 2)) {}

void PhraseCounter::AddRun(Zone zone, std::span<const PhraseWord> run) {
    const bool naming = zone == Zone::Title || zone == Zone::H1 || zone == Zone::Heading || zone == Zone::Anchor;
    const std::size_t longest = naming ? kMaxNamingPhraseWords : kMaxPhraseWords;
    for (std::size_t first = 0; first < run.size(); ++first) {
        if (run[first].stop || IsSectionNumber(run[first].surface)) {
            continue;
        }
        for (std::size_t n = 1; n <= longest && first + n <= run.size(); ++n) {
            if (IsSectionNumber(run[first + n - 1].surface)) {
                break;
            }
            if (!run[first + n - 1].stop) {
                Count(zone, run.subspan(first, n));
            }
        }
    }
}

void PhraseCounter::Count(Zone zone, std::span<const PhraseWord> phrase) {
    // The key and the spelling are built in buffers kept from phrase to phrase: most occurrences find
    // their phrase counted already and need no allocation.
    key_.assign(phrase[0].key);
    surface_.assign(phrase[0].surface);
    for (std::size_t i = 1; i < phrase.size(); ++i) {
        key_ += ' ';
        key_ += phrase[i].key;
        if (phrase[i].blankBefore) {
            surface_ += ' ';
        }
        surface_ += phrase[i].surface;
    }
    auto it = tallies_.find(key_);
    if (it == tallies_.end()) {
        it = tallies_.try_emplace(key_).first;
        Candidate& c = it->second.candidate;
        c.key = key_;
        c.words = static_cast<std::uint8_t>(phrase.size());
        c.firstWord = phrase[0].index;
    }
    Tally& tally = it->second;
    Candidate& c = tally.candidate;
    ++c.inZone[static_cast<std::size_t>(zone)];
    c.lastWord = phrase[0].index;
    if (phrase[0].capitalised) {
        ++c.capitalised;
    }
    auto spelling = std::find_if(tally.spellings.begin(), tally.spellings.end(),
                                 [&](const Spelling& s) { return s.text == surface_; });
    if (spelling != tally.spellings.end()) {
        ++spelling->count;
    } else if (tally.spellings.size() < kMaxSpellings) {
        tally.spellings.push_back({surface_, 1});
    }
    if (tallies_.size() > maxTracked_) {
        Prune();
    }
}

void PhraseCounter::Prune() {
    std::vector<std::pair<double, const std::string*>> ranked;
    ranked.reserve(tallies_.size());
    for (const auto& [key, tally] : tallies_) {
        ranked.emplace_back(PageScore(tally.candidate), &key);
    }
    const std::size_t keep = maxTracked_ / 2;
    std::nth_element(
        ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(keep), ranked.end(),
        [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : *a.second < *b.second; });
    std::vector<std::string> dropped;
    dropped.reserve(ranked.size() - keep);
    for (std::size_t i = keep; i < ranked.size(); ++i) {
        dropped.push_back(*ranked[i].second);
    }
    for (const std::string& key : dropped) {
        tallies_.erase(key);
    }
}

std::vector<Candidate> PhraseCounter::Take(std::size_t kept) {
    std::vector<std::pair<double, Tally*>> ranked;
    ranked.reserve(tallies_.size());
    for (auto& [key, tally] : tallies_) {
        ranked.emplace_back(PageScore(tally.candidate), &tally);
    }
    const auto best = ranked.begin() + static_cast<std::ptrdiff_t>(std::min(kept, ranked.size()));
    std::partial_sort(ranked.begin(), best, ranked.end(), [](const auto& a, const auto& b) {
        return RanksBefore(a.first, a.second->candidate.key, b.first, b.second->candidate.key);
    });
    std::vector<Candidate> out;
    out.reserve(static_cast<std::size_t>(best - ranked.begin()));
    for (auto it = ranked.begin(); it != best; ++it) {
        Tally& tally = *it->second;
        const Spelling* usual = &tally.spellings.front();
        for (const Spelling& s : tally.spellings) {
            if (s.count > usual->count) {
                usual = &s;
            }
        }
        tally.candidate.surface = usual->text;
        out.push_back(std::move(tally.candidate));
    }
    tallies_.clear();
    return out;
}

} // namespace vortaxel::text
