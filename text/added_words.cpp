#include "text/added_words.h"

#include "text/word_splitter.h"

#include <map>
#include <string>

namespace vortaxel::text {

namespace {

bool Shown(Zone zone) {
    return zone == Zone::H1 || zone == Zone::Heading || zone == Zone::Body;
}

/// Adds `step` to the count of every visible word of `blocks`.
void Count(WordSplitter& splitter, const std::vector<TextBlock>& blocks, long step,
           std::map<std::string, long>& counts) {
    for (const TextBlock& block : blocks) {
        if (!Shown(block.zone)) {
            continue;
        }
        const icu::UnicodeString text = icu::UnicodeString::fromUTF8(block.text);
        std::string word;
        for (const Word& found : splitter.Split(text)) {
            word.clear();
            text.tempSubStringBetween(found.start, found.end).toUTF8String(word);
            counts[word] += step;
        }
    }
}

} // namespace

std::size_t AddedWords(const std::vector<TextBlock>& before, const std::vector<TextBlock>& after) {
    WordSplitter splitter("");
    std::map<std::string, long> counts;
    Count(splitter, after, 1, counts);
    Count(splitter, before, -1, counts);
    std::size_t added = 0;
    for (const auto& [word, count] : counts) {
        if (count > 0) {
            added += static_cast<std::size_t>(count);
        }
    }
    return added;
}

} // namespace vortaxel::text
