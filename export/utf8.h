#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortaxel::keywords {

/// The length of the well-formed UTF-8 sequence starting at `at`, or 0 when the byte there starts none
/// (a stray continuation byte, an overlong form, a surrogate, a code point past U+10FFFF, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

/// True when every byte belongs to a well-formed UTF-8 sequence.
bool IsWellFormedUtf8(std::string_view text);

/// `text` with each byte that belongs to no well-formed sequence replaced by U+FFFD, as the audit page
/// shows it: text files that say they are UTF-8 then are.
std::string WellFormedUtf8(std::string_view text);

/// Characters (code points) in `text`, each malformed byte counted as one.
std::size_t Utf8Length(std::string_view text);

} // namespace vortaxel::keywords
