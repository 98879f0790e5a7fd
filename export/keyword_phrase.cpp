#include "keyword_phrase.h"

#include <algorithm>

namespace vortaxel::keywords {

std::string MakeKeywordPhrase(std::string_view url) {
    std::string_view segment = url;
    if (const auto slash = segment.rfind('/'); slash != std::string_view::npos) {
        segment.remove_prefix(slash + 1);
    }
    // "." has no letter case, so a byte search finds what a case-insensitive one would.
    if (const auto dot = segment.find('.'); dot != std::string_view::npos) {
        segment = segment.substr(0, dot);
    }
    std::string phrase(segment);
    std::replace(phrase.begin(), phrase.end(), '_', ' ');
    std::replace(phrase.begin(), phrase.end(), '-', ' ');
    return phrase;
}

} // namespace vortaxel::keywords
