#pragma once

#include <string>
#include <string_view>

namespace vortaxel::cli {

/// A found URL as one safe output line: control bytes (0x00-0x1F, 0x7F) become "%XX" in upper-case hex, so a
/// URL can never break the line or drive the terminal; every other byte is written as it is.
std::string EscapeControlBytes(std::string_view url);

} // namespace vortaxel::cli
