#pragma once

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// Why `pattern` is no address pattern the crawl can match (RE2's own message), empty when it is one.
/// Patterns are RE2's, matched in linear time, so no pattern can hang a crawl however it is written.
std::string AddressPatternError(std::string_view pattern);

} // namespace vortaxel::crawl
