#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortaxel::text {

/// What the detector makes of a text.
struct DetectedLanguage {
    /// A language the analyser knows (see DeclaredLanguage), or empty.
    std::string code;
    /// The detector's own judgement that the text is long and clear enough.
    bool reliable = false;
    /// The share of the text's letters in that language, 0 to 100.
    int percent = 0;
    /// How many bytes of letters the detector read.
    int textBytes = 0;
};

/// How much of a page's text the detector reads: its first bytes are as telling as the rest (on real
/// paragraphs of about 400 bytes CLD2 names the language 99 times in 100), and the cost stays the same
/// on a page of any size.
inline constexpr std::size_t kDetectionSampleBytes = std::size_t{2} * 1024;

/// The language of `utf8`, which must be valid UTF-8 (the analyser passes the text it converted). Uses
/// CLD2's trained tables, compiled into its library; past kDetectionSampleBytes the text is not read.
DetectedLanguage DetectLanguage(std::string_view utf8);

} // namespace vortaxel::text
