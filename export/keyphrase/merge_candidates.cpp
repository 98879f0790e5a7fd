#include "export/keyphrase/key_phrases.h"

#include <algorithm>
#include <unordered_map>

namespace vortaxel::keyphrase {
namespace {

// Anchor and slug text stand outside the page, so their word positions say nothing of where the page
// itself uses a phrase.
bool StandsInPageText(const text::Candidate& candidate) {
    for (std::size_t zone = 0; zone < text::kZoneCount; ++zone) {
        const auto z = static_cast<text::Zone>(zone);
        if (z != text::Zone::Anchor && z != text::Zone::Slug && candidate.inZone[zone] > 0) {
            return true;
        }
    }
    return false;
}

void AddInto(text::Candidate& into, const text::Candidate& from) {
    const bool intoHasPlace = StandsInPageText(into);
    const bool fromHasPlace = StandsInPageText(from);
    if (fromHasPlace && intoHasPlace) {
        into.firstWord = std::min(into.firstWord, from.firstWord);
        into.lastWord = std::max(into.lastWord, from.lastWord);
    } else if (fromHasPlace) {
        into.firstWord = from.firstWord;
        into.lastWord = from.lastWord;
    }
    for (std::size_t zone = 0; zone < text::kZoneCount; ++zone) {
        into.inZone[zone] += from.inZone[zone];
    }
    into.capitalised += from.capitalised;
    if (into.surface.empty()) {
        into.surface = from.surface;
    }
    if (into.words == 0) {
        into.words = from.words;
    }
}

} // namespace

std::vector<text::Candidate> MergeCandidates(std::span<const text::Candidate> page,
                                             std::span<const text::Candidate> fromElsewhere) {
    std::vector<text::Candidate> merged;
    merged.reserve(page.size() + fromElsewhere.size());
    std::unordered_map<std::string_view, std::size_t> byKey;
    byKey.reserve(page.size() + fromElsewhere.size());
    for (const auto list : {page, fromElsewhere}) {
        for (const auto& candidate : list) {
            if (const auto found = byKey.find(candidate.key); found != byKey.end()) {
                AddInto(merged[found->second], candidate);
                continue;
            }
            merged.push_back(candidate);
            // The key's bytes live in the span, not in the vector that may move them.
            byKey.emplace(candidate.key, merged.size() - 1);
        }
    }
    return merged;
}

} // namespace vortaxel::keyphrase
