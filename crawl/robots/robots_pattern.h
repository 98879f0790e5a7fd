#pragma once

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// One robots.txt path and the path it is compared with are brought to the same spelling first, so
/// that "/caf%C3%A9", "/café" and "/caf%c3%a9" are one address, and so are "/%7Euser" and "/~user":
/// an escape of an unreserved character is decoded, other escapes get upper-case hex, and every byte
/// that may not stand raw in a URL (controls, blank, 0x7F and up) is escaped. Reserved characters keep
/// the form they were written in, since decoding them could change what the address means.
std::string NormaliseRobotsPath(std::string_view path);

/// True when a normalised robots.txt pattern matches the start of a normalised path: "*" stands for
/// any run of bytes, a "$" that ends the pattern ties it to the end of the path, and every other byte
/// (a "$" inside the pattern too) stands for itself, letter case included.
bool RobotsPatternMatches(std::string_view pattern, std::string_view path);

} // namespace vortaxel::crawl
