#include "bench/keyphrase_truth.h"

#include <algorithm>
#include <libstemmer.h>
#include <stdexcept>

namespace vortaxel::bench {
namespace {

std::string StripTags(std::string_view html) {
    std::string text;
    bool inTag = false;
    for (const char c : html) {
        if (c == '<') {
            inTag = true;
        } else if (c == '>') {
            inTag = false;
        } else if (!inTag) {
            text.push_back(c);
        }
    }
    return text;
}

std::string DecodeEntities(std::string_view text) {
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "}};
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        bool replaced = false;
        for (const auto& [entity, value] : kEntities) {
            if (text.substr(at, entity.size()) == entity) {
                out.append(value);
                at += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out.push_back(text[at++]);
        }
    }
    return out;
}

std::string Trim(std::string text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == ','; };
    while (!text.empty() && isBlank(text.back())) {
        text.pop_back();
    }
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start])) {
        ++start;
    }
    return text.substr(start);
}

bool IsWordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c >= 0x80;
}

std::vector<std::string_view> Words(std::string_view normalised) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at < normalised.size();) {
        const auto end = std::min(normalised.find(' ', at), normalised.size());
        words.push_back(normalised.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

bool IsRunOf(const std::vector<std::string_view>& part, const std::vector<std::string_view>& whole) {
    if (part.empty() || part.size() > whole.size()) {
        return false;
    }
    return std::search(whole.begin(), whole.end(), part.begin(), part.end()) != whole.end();
}

} // namespace

Truth ReadBookIndex(std::string_view html) {
    Truth truth;
    int depth = 0;
    std::string mainTerm;
    for (std::size_t at = 0; at < html.size();) {
        const auto tag = html.find('<', at);
        if (tag == std::string_view::npos) {
            break;
        }
        const auto rest = html.substr(tag);
        if (rest.starts_with("<dd>")) {
            ++depth;
        } else if (rest.starts_with("</dd>")) {
            --depth;
        } else if (rest.starts_with("<dt>") || rest.starts_with("<dt ")) {
            const auto open = html.find('>', tag);
            const auto close = html.find("</dt>", open);
            if (open == std::string_view::npos || close == std::string_view::npos) {
                break;
            }
            const auto content = html.substr(open + 1, close - open - 1);
            const auto firstLink = content.find("<a");
            const auto term = Trim(DecodeEntities(StripTags(content.substr(0, firstLink))));
            std::vector<std::string> terms;
            if (depth == 0) {
                mainTerm = term;
                terms = {term};
            } else {
                terms = {mainTerm, std::string(term).append(" ").append(mainTerm)};
            }
            constexpr std::string_view kLink = "<a class=\"indexterm\" href=\"";
            for (auto link = content.find(kLink); link != std::string_view::npos;
                 link = content.find(kLink, link + 1)) {
                const auto start = link + kLink.size();
                const auto end = content.find_first_of("\"#", start);
                const auto page = std::string(content.substr(start, end - start));
                truth[page].insert(terms.begin(), terms.end());
            }
            at = close + 5;
            continue;
        }
        at = tag + 1;
    }
    return truth;
}

std::set<std::string> ReadMetaKeywords(std::string_view html) {
    constexpr std::string_view kTag = "<meta name=\"keywords\" content=\"";
    const auto at = html.find(kTag);
    if (at == std::string_view::npos) {
        return {};
    }
    const auto start = at + kTag.size();
    const auto content = DecodeEntities(html.substr(start, html.find('"', start) - start));
    std::set<std::string> terms;
    for (std::size_t from = 0; from <= content.size();) {
        const auto comma = std::min(content.find(',', from), content.size());
        if (auto term = Trim(content.substr(from, comma - from)); !term.empty()) {
            terms.insert(std::move(term));
        }
        from = comma + 1;
    }
    return terms;
}

PhraseNormaliser::PhraseNormaliser() : stemmer_(sb_stemmer_new("porter", "UTF_8")) {
    if (stemmer_ == nullptr) {
        throw std::runtime_error("no Porter stemmer");
    }
}

PhraseNormaliser::~PhraseNormaliser() {
    sb_stemmer_delete(stemmer_);
}

std::string PhraseNormaliser::operator()(std::string_view phrase) {
    std::string out;
    std::string word;
    const auto flush = [&] {
        if (word.empty()) {
            return;
        }
        const auto* stem =
            sb_stemmer_stem(stemmer_, reinterpret_cast<const sb_symbol*>(word.data()), static_cast<int>(word.size()));
        if (!out.empty()) {
            out.push_back(' ');
        }
        out.append(reinterpret_cast<const char*>(stem), static_cast<std::size_t>(sb_stemmer_length(stemmer_)));
        word.clear();
    };
    for (const char c : phrase) {
        const auto lower = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (IsWordByte(lower)) {
            word.push_back(static_cast<char>(lower));
        } else {
            flush();
        }
    }
    flush();
    return out;
}

namespace {

Quality Measure(const Truth& truth, const std::map<std::string, std::vector<std::string>>& phrases,
                PhraseNormaliser& normalise, std::size_t k, bool hitsFirst) {
    Quality quality;
    for (const auto& [page, rawTerms] : truth) {
        std::set<std::string> terms;
        for (const auto& term : rawTerms) {
            if (auto normal = normalise(term); !normal.empty()) {
                terms.insert(std::move(normal));
            }
        }
        if (terms.empty()) {
            continue;
        }
        ++quality.pages;
        const auto found = phrases.find(page);
        if (found == phrases.end()) {
            continue;
        }
        std::vector<std::string> predicted;
        for (const auto& phrase : found->second) {
            auto normal = normalise(phrase);
            if (hitsFirst && !terms.contains(normal)) {
                continue;
            }
            if (predicted.size() < k && !normal.empty() &&
                std::find(predicted.begin(), predicted.end(), normal) == predicted.end()) {
                predicted.push_back(std::move(normal));
            }
        }
        if (predicted.empty()) {
            continue;
        }
        std::size_t hits = 0;
        std::size_t partialHits = 0;
        bool firstHit = false;
        bool firstPartial = false;
        for (std::size_t i = 0; i < predicted.size(); ++i) {
            const bool hit = terms.contains(predicted[i]);
            bool partial = hit;
            const auto words = Words(predicted[i]);
            for (auto term = terms.begin(); !partial && term != terms.end(); ++term) {
                const auto termWords = Words(*term);
                partial = IsRunOf(words, termWords) || IsRunOf(termWords, words);
            }
            hits += hit ? 1 : 0;
            partialHits += partial ? 1 : 0;
            if (i == 0) {
                firstHit = hit;
                firstPartial = partial;
            }
        }
        const auto f1 = [&](std::size_t h) {
            const double p = static_cast<double>(h) / static_cast<double>(k);
            const double r = static_cast<double>(std::min(h, terms.size())) / static_cast<double>(terms.size());
            return p + r > 0 ? 2 * p * r / (p + r) : 0.0;
        };
        quality.f1 += f1(hits);
        quality.partialF1 += f1(partialHits);
        quality.precision += static_cast<double>(hits) / static_cast<double>(k);
        quality.recall += static_cast<double>(hits) / static_cast<double>(terms.size());
        quality.precisionAt1 += firstHit ? 1 : 0;
        quality.partialPrecisionAt1 += firstPartial ? 1 : 0;
    }
    if (quality.pages > 0) {
        const double n = static_cast<double>(quality.pages);
        quality.f1 /= n;
        quality.partialF1 /= n;
        quality.precision /= n;
        quality.recall /= n;
        quality.precisionAt1 /= n;
        quality.partialPrecisionAt1 /= n;
    }
    return quality;
}

} // namespace

Quality Score(const Truth& truth, const std::map<std::string, std::vector<std::string>>& phrases,
              PhraseNormaliser& normalise, std::size_t k) {
    return Measure(truth, phrases, normalise, k, false);
}

Quality Ceiling(const Truth& truth, const std::map<std::string, std::vector<std::string>>& phrases,
                PhraseNormaliser& normalise, std::size_t k) {
    return Measure(truth, phrases, normalise, k, true);
}

} // namespace vortaxel::bench
