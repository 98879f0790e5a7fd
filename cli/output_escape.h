#pragma once

#include <string>
#include <string_view>

namespace vortaxel::cli {

/// A found URL as one safe output line: control bytes (0x00-0x1F, 0x7F) become "%XX" in upper-case hex, so a
/// URL can never break the line or drive the terminal. So that every line still names exactly one URL, a "%"
/// that already stands before such a code, or before "25", becomes "%25"; every other byte, "%20" and the
/// like included, is written as it is. Reading "%XX" back for those codes alone gives the URL again.
std::string EscapeControlBytes(std::string_view url);

} // namespace vortaxel::cli
