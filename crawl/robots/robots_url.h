#pragma once

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// "scheme://host[:port]/robots.txt" for a page's address: scheme and host in lower case, a default
/// port left out, user name and password dropped, so every page of one host gives the same text and it
/// can key a per-host cache. Empty when the address is not http or https or cannot be parsed.
std::string RobotsUrlFor(std::string_view pageUrl);

/// The path and query of a page's address as RobotsRules::Allows wants them: no fragment, "/" when the
/// address has no path.
std::string RobotsPathOf(std::string_view pageUrl);

} // namespace vortaxel::crawl
