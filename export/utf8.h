#pragma once

#include <cstddef>
#include <string_view>

namespace vortaxel::keywords {

/// The length of the well-formed UTF-8 sequence starting at `at`, or 0 when the byte there starts none
/// (a stray continuation byte, an overlong form, a surrogate, a code point past U+10FFFF, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

/// True when every byte belongs to a well-formed UTF-8 sequence.
bool IsWellFormedUtf8(std::string_view text);

} // namespace vortaxel::keywords
