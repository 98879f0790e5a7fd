#pragma once

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// The address relative links are joined to: the start URL without leading and trailing blanks,
/// ending in "/". An empty start URL gives "/". Only the space character counts as a blank.
std::string MakeBaseUrl(std::string_view startUrl);

/// What a link value that is not absolute adds to the base URL: the value without one leading
/// "/". Nothing else is resolved.
constexpr std::string_view RelativeTail(std::string_view value) {
    return !value.empty() && value.front() == '/' ? value.substr(1) : value;
}

/// True when "http://" or "https://" occurs anywhere in a link value, in any letter case.
bool ContainsWebScheme(std::string_view value);

} // namespace vortaxel::crawl
