#pragma once

#include <cstddef>
#include <string_view>

namespace vortaxel::web {

/// True when url begins with "http://" or "https://" in any letter case: the only addresses fetched.
bool HasWebScheme(std::string_view url);

/// The host and port of `url` without user information, as a view into it; empty when the url names no
/// scheme. `schemeEnd` receives where "://" starts.
std::string_view AuthorityOf(std::string_view url, std::size_t& schemeEnd);

/// The host name in url, as a view into it, without user or port (an IPv6 address keeps its brackets);
/// empty when url has no "//" authority.
std::string_view HostOf(std::string_view url);

} // namespace vortaxel::web
