#include "text_phrase.h"

#include "keyword_phrase.h"
#include "phrase_cleaning.h"
#include "utf8.h"
#include "web/ascii.h"

#include <algorithm>
#include <unordered_map>

namespace vortaxel::keywords {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = web::ToLowerAscii(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

/// The byte an escape at `at` stands for, or -1 when no "%XX" of a printable or non-ASCII byte is there.
int EscapedByte(std::string_view text, std::size_t at) {
    if (at + 2 >= text.size() || text[at] != '%') {
        return -1;
    }
    const int high = HexValue(text[at + 1]);
    const int low = HexValue(text[at + 2]);
    if (high < 0 || low < 0) {
        return -1;
    }
    const int byte = high * 16 + low;
    return byte < 0x20 || byte == 0x7F ? -1 : byte;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (EscapedByte(text, i) < 0) {
            out += text[i++];
            continue;
        }
        // A run of escapes decodes together: one character may take several.
        const std::size_t start = i;
        std::string run;
        for (int byte = EscapedByte(text, i); byte >= 0; byte = EscapedByte(text, i)) {
            run += static_cast<char>(byte);
            i += 3;
        }
        out += IsWellFormedUtf8(run) ? std::string_view(run) : text.substr(start, i - start);
    }
    return out;
}

void TurnSeparatorsToBlanks(std::string& phrase) {
    std::replace(phrase.begin(), phrase.end(), '_', ' ');
    std::replace(phrase.begin(), phrase.end(), '-', ' ');
}

} // namespace

std::optional<PhraseSource> PhraseSourceNamed(std::string_view name) {
    if (web::EqualsIgnoreCase(name, "slug")) {
        return PhraseSource::Slug;
    }
    if (web::EqualsIgnoreCase(name, "title")) {
        return PhraseSource::Title;
    }
    if (web::EqualsIgnoreCase(name, "h1")) {
        return PhraseSource::H1;
    }
    if (web::EqualsIgnoreCase(name, "anchor")) {
        return PhraseSource::Anchor;
    }
    if (web::EqualsIgnoreCase(name, "keyphrase")) {
        return PhraseSource::KeyPhrase;
    }
    return std::nullopt;
}

std::string MakeTextPhrase(std::string_view text) {
    return CleanTextPhrase(text, TextRole::Heading);
}

std::string MakeDecodedSlugPhrase(std::string_view url) {
    // The classic phrase first, so that "." and "/" cut where they always did; an escaped "%2E" stays text.
    std::string phrase = PercentDecoded(MakeKeywordPhrase(url));
    TurnSeparatorsToBlanks(phrase);
    return phrase;
}

std::string ChooseAnchorText(std::span<const std::string_view> anchors) {
    std::unordered_map<std::string, std::size_t> counts;
    std::string best;
    std::size_t bestCount = 0;
    for (const std::string_view anchor : anchors) {
        std::string text = CleanTextPhrase(anchor, TextRole::Anchor);
        if (text.empty()) {
            continue;
        }
        const std::size_t count = ++counts[text];
        if (count > bestCount) {
            bestCount = count;
            best = std::move(text);
        }
    }
    return best;
}

} // namespace vortaxel::keywords
