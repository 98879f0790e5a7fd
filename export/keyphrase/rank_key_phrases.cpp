#include "export/keyphrase/key_phrases.h"
#include "text/candidate_score.h"

#include <algorithm>
#include <cmath>

namespace vortaxel::keyphrase {
namespace {

constexpr std::size_t kOwnZones = static_cast<std::size_t>(text::Zone::Body) + 1;

struct Scored {
    const text::Candidate* candidate = nullptr;
    double score = 0;
};

std::uint32_t OwnCount(const text::Candidate& candidate) {
    std::uint32_t own = 0;
    for (std::size_t zone = 0; zone < kOwnZones; ++zone) {
        own += candidate.inZone[zone];
    }
    return own;
}

// Whether the words of `shorter` are a run of the words of `longer` (keys are stems joined by one blank).
bool HoldsWords(std::string_view longer, std::string_view shorter) {
    if (shorter.empty() || longer.size() <= shorter.size()) {
        return false;
    }
    for (auto at = longer.find(shorter); at != std::string_view::npos; at = longer.find(shorter, at + 1)) {
        const bool startsWord = at == 0 || longer[at - 1] == ' ';
        const auto end = at + shorter.size();
        const bool endsWord = end == longer.size() || longer[end] == ' ';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

// Every use of `part` inside `whole` counts for both, so `part` adds nothing when it is used no more often.
bool AddsNothing(const text::Candidate& part, const text::Candidate& whole, double apart) {
    for (std::size_t zone = 0; zone < text::kZoneCount; ++zone) {
        if (part.inZone[zone] > apart * whole.inZone[zone]) {
            return false;
        }
    }
    return true;
}

// Whether a title, a heading, an anchor or the slug names it: the places where a site names its topics.
bool NamedSomewhere(const text::Candidate& candidate) {
    for (const auto zone :
         {text::Zone::Title, text::Zone::H1, text::Zone::Heading, text::Zone::Anchor, text::Zone::Slug}) {
        if (candidate.inZone[static_cast<std::size_t>(zone)] > 0) {
            return true;
        }
    }
    return false;
}

double Score(const text::Candidate& candidate, double specificity, std::uint32_t pageWords,
             const RankWeights& weights) {
    double evidence = 0;
    for (std::size_t zone = 0; zone < text::kZoneCount; ++zone) {
        if (const auto count = candidate.inZone[zone]; count > 0) {
            evidence += weights.zone[zone] * (1.0 + weights.frequency * std::log(static_cast<double>(count)));
        }
    }
    double position = 1;
    double spread = 1;
    double casing = 1;
    if (const auto own = OwnCount(candidate); own > 0) {
        position += weights.position / (1.0 + std::log1p(candidate.firstWord / 10.0));
        const auto span = candidate.lastWord > candidate.firstWord ? candidate.lastWord - candidate.firstWord : 0;
        spread += weights.spread * std::min(1.0, static_cast<double>(span) / pageWords);
        casing += weights.casing * std::min(1.0, static_cast<double>(candidate.capitalised) / own);
    }
    const double perExtraWord = NamedSomewhere(candidate) ? weights.perExtraWord : weights.perExtraWordInText;
    const double length = std::max(0.0, 1.0 + perExtraWord * std::max(0, candidate.words - 1));
    const double identifier = text::WrittenAsIdentifier(candidate.surface) ? 1.0 + weights.identifier : 1.0;
    return evidence * specificity * position * spread * casing * length * identifier;
}

} // namespace

std::vector<KeyPhrase> RankKeyPhrases(std::span<const text::Candidate> candidates, const PagesHolding& pagesHolding,
                                      std::uint32_t sitePages, std::size_t top) {
    return RankKeyPhrases(candidates, pagesHolding, sitePages, top, RankWeights{});
}

std::vector<KeyPhrase> RankKeyPhrases(std::span<const text::Candidate> candidates, const PagesHolding& pagesHolding,
                                      std::uint32_t sitePages, std::size_t top, const RankWeights& weights) {
    if (top == 0 || candidates.empty()) {
        return {};
    }
    const std::uint32_t site = std::max<std::uint32_t>(sitePages, 1);
    std::uint32_t pageWords = 1;
    for (const auto& candidate : candidates) {
        if (OwnCount(candidate) > 0) {
            pageWords = std::max(pageWords, candidate.lastWord + 1);
        }
    }
    std::vector<Scored> scored;
    scored.reserve(candidates.size());
    for (const auto& candidate : candidates) {
        if (candidate.key.empty()) {
            continue;
        }
        const std::uint32_t holding =
            std::clamp<std::uint32_t>(pagesHolding ? pagesHolding(candidate.key) : 1, 1, site);
        if (site >= weights.templateMinPages && holding > weights.templateShare * site) {
            continue;
        }
        const double specificity =
            std::pow(std::log((site + 1.0 + weights.holdingSmoothing) / (holding + weights.holdingSmoothing)),
                     weights.specificity);
        const double score = Score(candidate, specificity, pageWords, weights);
        if (std::isfinite(score) && score > 0) {
            scored.push_back({&candidate, score});
        }
    }
    std::sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
        if (a.score != b.score) {
            return a.score > b.score;
        }
        return a.candidate->key < b.candidate->key;
    });

    std::vector<Scored> chosen;
    for (const auto& next : scored) {
        if (chosen.size() == top) {
            break;
        }
        const auto& key = next.candidate->key;
        const bool covered = std::any_of(chosen.begin(), chosen.end(), [&](const Scored& kept) {
            return kept.candidate->key == key || (HoldsWords(kept.candidate->key, key) &&
                                                  AddsNothing(*next.candidate, *kept.candidate, weights.apart));
        });
        if (covered) {
            continue;
        }
        const auto subsumes = [&](const Scored& kept) {
            return HoldsWords(key, kept.candidate->key) && AddsNothing(*kept.candidate, *next.candidate, weights.apart);
        };
        const auto first = std::find_if(chosen.begin(), chosen.end(), subsumes);
        if (first == chosen.end()) {
            chosen.push_back(next);
            continue;
        }
        // Takes the place of the first phrase it adds to and drops the others, as none of them stands apart.
        first->score = std::max(first->score, next.score);
        first->candidate = next.candidate;
        chosen.erase(std::remove_if(std::next(first), chosen.end(), subsumes), chosen.end());
    }

    std::vector<KeyPhrase> phrases;
    phrases.reserve(chosen.size());
    for (const auto& kept : chosen) {
        phrases.push_back({kept.candidate->key,
                           kept.candidate->surface.empty() ? kept.candidate->key : kept.candidate->surface,
                           kept.score});
    }
    return phrases;
}

} // namespace vortaxel::keyphrase
