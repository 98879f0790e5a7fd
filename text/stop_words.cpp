#include "text/stop_words.h"

#include "text/stop_word_lists.h"
#include "text/unicode_text.h"

namespace vortaxel::text {

StopWords::StopWords(std::string_view list) {
    while (!list.empty()) {
        const std::size_t eol = list.find('\n');
        std::string_view line = list.substr(0, eol);
        list = eol == std::string_view::npos ? std::string_view() : list.substr(eol + 1);
        line = line.substr(0, line.find('|'));
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
        while (!line.empty() && blank(line.front())) {
            line.remove_prefix(1);
        }
        while (!line.empty() && blank(line.back())) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            const icu::UnicodeString word = ReadUtf8(line);
            words_.insert(FoldCase(word, 0, word.length()));
        }
    }
}

StopWords StopWords::ForLanguage(std::string_view name) {
    for (const EmbeddedStopWords& list : EmbeddedStopWordLists()) {
        if (!name.empty() && list.language == name) {
            return StopWords(list.words);
        }
    }
    return {};
}

bool StopWords::Contains(std::string_view folded) const {
    if (words_.empty() || folded.empty()) {
        return false;
    }
    if (words_.contains(std::string(folded))) {
        return true;
    }
    if (folded.find('\'') == std::string_view::npos) {
        return false;
    }
    while (!folded.empty()) {
        const std::size_t cut = folded.find('\'');
        if (!words_.contains(std::string(folded.substr(0, cut)))) {
            return false;
        }
        folded = cut == std::string_view::npos ? std::string_view() : folded.substr(cut + 1);
    }
    return true;
}

std::string_view StopWords::WithoutElision(std::string_view folded) const {
    const std::size_t cut = folded.find('\'');
    if (cut == 0 || cut == std::string_view::npos || cut + 1 == folded.size() ||
        !words_.contains(std::string(folded.substr(0, cut)))) {
        return folded;
    }
    const std::string_view rest = folded.substr(cut + 1);
    return Contains(rest) ? folded : rest;
}

} // namespace vortaxel::text
