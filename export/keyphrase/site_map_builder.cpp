#include "export/keyphrase/site_map.h"

#include <algorithm>

namespace vortaxel::keyphrase {
namespace {

// The most frequent of a tally; ties go to the first in byte order, which a std::map visits first.
std::string MostFrequent(const std::map<std::string, std::uint32_t>& tally) {
    const auto best =
        std::max_element(tally.begin(), tally.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return best == tally.end() ? std::string() : best->first;
}

bool Flag(const std::vector<bool>& flags, std::size_t index) {
    return index < flags.size() && flags[index];
}

} // namespace

void SiteMapBuilder::Add(const MappedPage& page) {
    for (std::size_t rank = 0; rank < page.phrases.size() && rank < kKeyPhrasesPerPage; ++rank) {
        const auto& phrase = page.phrases[rank];
        if (phrase.key.empty()) {
            continue;
        }
        auto found = entries_.find(phrase.key);
        if (found == entries_.end()) {
            found = entries_.emplace(phrase.key, Entry{}).first;
            found->second.row.key = phrase.key;
        }
        auto& entry = found->second;
        auto& row = entry.row;
        row.score += phrase.score;
        ++row.pages;
        row.inTitles += Flag(page.inTitle, rank) ? 1 : 0;
        row.inH1 += Flag(page.inH1, rank) ? 1 : 0;
        row.inAnchors += Flag(page.inAnchors, rank) ? 1 : 0;
        ++entry.spellings[phrase.phrase.empty() ? phrase.key : phrase.phrase];
        if (!page.lang.empty()) {
            ++entry.langs[page.lang];
        }
        if (phrase.score > entry.bestScore || (phrase.score == entry.bestScore && page.url < row.bestPage)) {
            entry.bestScore = phrase.score;
            row.bestPage = page.url;
        }
        // Every page it is the target of, the best one among them until Build leaves it out.
        if (rank == 0) {
            row.competingPages.push_back(page.url);
        }
    }
}

std::vector<SitePhrase> SiteMapBuilder::Build() const {
    std::vector<SitePhrase> rows;
    rows.reserve(entries_.size());
    for (const auto& [key, entry] : entries_) {
        auto row = entry.row;
        row.phrase = MostFrequent(entry.spellings);
        row.lang = MostFrequent(entry.langs);
        auto& competing = row.competingPages;
        std::sort(competing.begin(), competing.end());
        competing.erase(std::unique(competing.begin(), competing.end()), competing.end());
        competing.erase(std::remove(competing.begin(), competing.end(), row.bestPage), competing.end());
        rows.push_back(std::move(row));
    }
    std::sort(rows.begin(), rows.end(), [](const SitePhrase& a, const SitePhrase& b) {
        if (a.score != b.score) {
            return a.score > b.score;
        }
        if (a.phrase != b.phrase) {
            return a.phrase < b.phrase;
        }
        return a.key < b.key;
    });
    return rows;
}

} // namespace vortaxel::keyphrase
