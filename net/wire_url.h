#pragma once

#include <string>
#include <string_view>

namespace vortaxel::net {

/// The address as it goes out in the request: the fragment is dropped, and in the path and query
/// every blank, control byte, byte from 0x80 up and each of " < > ` becomes %XX (upper-case hex),
/// as a browser sends it. Scheme, host and port are left alone, and so are escapes already present.
std::string EncodeForWire(std::string_view url);

/// The site of url, as robots.txt has one: scheme and host in lower case and the port, a default port
/// left out ("http://Example.com:80/x" gives "http://example.com"); empty when url has no "//" authority.
std::string SiteOf(std::string_view url);

} // namespace vortaxel::net
