#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// Appends code point `c` as UTF-8.
void AppendUtf8(char32_t c, std::string& out);

/// A page that starts with a UTF-16 byte order mark, as UTF-8 without the mark (a browser lets
/// the mark decide over any other sign of the encoding); nothing for any other page. A lone
/// surrogate becomes U+FFFD, and an odd last byte is dropped.
std::optional<std::string> Utf16PageAsUtf8(std::string_view page);

} // namespace vortaxel::crawl
