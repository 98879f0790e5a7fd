#include "keyword_file.h"

#include "keyword_phrase.h"

#include <algorithm>
#include <utility>

namespace vortaxel::keywords {

bool IsWrittenPhrase(std::string_view phrase) {
    return phrase.find_first_not_of(' ') != std::string_view::npos;
}

void KeywordFileBuilder::Add(std::string_view url) {
    AddPhrase(MakeKeywordPhrase(url));
}

void KeywordFileBuilder::AddPhrase(std::string phrase) {
    std::replace(phrase.begin(), phrase.end(), '\r', ' ');
    std::replace(phrase.begin(), phrase.end(), '\n', ' ');
    if (!IsWrittenPhrase(phrase)) {
        return;
    }
    bytes_ += phrase;
    bytes_ += "\r\n";
    ++lines_;
}

std::string BuildKeywordFile(std::span<const std::string_view> urls) {
    KeywordFileBuilder builder;
    for (const auto url : urls) {
        builder.Add(url);
    }
    return std::move(builder).Bytes();
}

} // namespace vortaxel::keywords
