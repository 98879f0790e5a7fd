#include "text/phrase_counter.h"

#include "text/candidate_score.h"

#include <algorithm>

namespace vortaxel::text {
namespace {

// A page spells a phrase in few ways; past these, a spelling seen later cannot be the most frequent one
// often enough to matter, and a hostile page cannot grow a phrase's list.
constexpr std::size_t kMaxSpellings = 4;

} // namespace

PhraseCounter::PhraseCounter(std::size_t maxTracked) : maxTracked_(std::max<std::size_t>(maxTracked, 2)) {}

void PhraseCounter::AddRun(Zone zone, std::span<const PhraseWord> run) {
    for (std::size_t first = 0; first < run.size(); ++first) {
        if (run[first].stop) {
            continue;
        }
        for (std::size_t n = 1; n <= kMaxPhraseWords && first + n <= run.size(); ++n) {
            if (!run[first + n - 1].stop) {
                Count(zone, run.subspan(first, n));
            }
        }
    }
}

void PhraseCounter::Count(Zone zone, std::span<const PhraseWord> phrase) {
    std::string key = phrase[0].key;
    std::string surface = phrase[0].surface;
    for (std::size_t i = 1; i < phrase.size(); ++i) {
        key += ' ';
        key += phrase[i].key;
        if (phrase[i].blankBefore) {
            surface += ' ';
        }
        surface += phrase[i].surface;
    }
    auto [it, added] = tallies_.try_emplace(key);
    Tally& tally = it->second;
    Candidate& c = tally.candidate;
    if (added) {
        c.key = std::move(key);
        c.words = static_cast<std::uint8_t>(phrase.size());
        c.firstWord = phrase[0].index;
    }
    ++c.inZone[static_cast<std::size_t>(zone)];
    c.lastWord = phrase[0].index;
    if (phrase[0].capitalised) {
        ++c.capitalised;
    }
    auto spelling = std::find_if(tally.spellings.begin(), tally.spellings.end(),
                                 [&](const Spelling& s) { return s.text == surface; });
    if (spelling != tally.spellings.end()) {
        ++spelling->count;
    } else if (tally.spellings.size() < kMaxSpellings) {
        tally.spellings.push_back({std::move(surface), 1});
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
    std::vector<Candidate> out;
    out.reserve(tallies_.size());
    for (auto& [key, tally] : tallies_) {
        Candidate& c = tally.candidate;
        const Spelling* best = &tally.spellings.front();
        for (const Spelling& s : tally.spellings) {
            if (s.count > best->count) {
                best = &s;
            }
        }
        c.surface = best->text;
        out.push_back(std::move(c));
    }
    tallies_.clear();
    SortByPageScore(out);
    if (out.size() > kept) {
        out.resize(kept);
    }
    return out;
}

} // namespace vortaxel::text
