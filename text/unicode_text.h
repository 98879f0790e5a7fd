#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unicode/unistr.h>

namespace vortaxel::text {

/// `bytes` read as UTF-8 into ICU's UTF-16: every byte that starts or continues no valid sequence reads as
/// U+FFFD, and so does NUL, which no text holds; neither is a letter, so both split words and phrases.
icu::UnicodeString ReadUtf8(std::string_view bytes);

/// The characters [start, end) of `text`, as UTF-8.
std::string WriteUtf8(const icu::UnicodeString& text, std::int32_t start, std::int32_t end);

/// The characters [start, end) of `text`, case-folded and normalised as UTF-8 (ICU's NFKC_Casefold:
/// full case folding, so "Straße" and "STRASSE" fold alike; composed and decomposed accents alike;
/// full-width letters and ligatures as their plain forms; soft hyphens and zero-width joiners dropped),
/// with the typographic apostrophe U+2019 read as "'": what words are compared and stemmed by, never
/// what is shown.
std::string FoldCase(const icu::UnicodeString& text, std::int32_t start, std::int32_t end);

} // namespace vortaxel::text
