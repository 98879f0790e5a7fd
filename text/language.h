#pragma once

#include <string>
#include <string_view>

namespace vortaxel::text {

/// What the analyser knows of a language: the ICU locale its words are split in, and the Snowball stemmer
/// and stop word list it has (empty when it has none: the lower-cased word stands for its stem, and no word
/// is stopped).
struct LanguageInfo {
    std::string_view code;
    std::string_view stemmer;
    std::string_view stopWords;
};

/// The language of an ISO 639-1 code the analyser knows, or nullptr.
const LanguageInfo* FindLanguage(std::string_view code);

/// The known language a page's `lang` attribute or Content-Language names: its primary subtag, lower-cased,
/// with the retired codes (iw, in, ji) and Norwegian's written forms (nb, nn) read as today's codes. The
/// first of a Content-Language list counts ("de, en" is German). Empty when the tag names no language the
/// analyser knows ("x-klingon", "und", "").
std::string DeclaredLanguage(std::string_view tag);

} // namespace vortaxel::text
