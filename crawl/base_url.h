#pragma once

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// The address relative links are joined to: the start URL without leading and trailing blanks,
/// ending in "/". An empty start URL gives "/". Only the space character counts as a blank.
std::string MakeBaseUrl(std::string_view startUrl);

/// Writes `base` joined with a link value that is not absolute into `out`: one leading "/" of
/// the value is dropped, nothing else is resolved.
void JoinToBase(std::string_view base, std::string_view value, std::string& out);

/// True when a link value begins with "http://" or "https://", in any letter case.
bool BeginsWithWebScheme(std::string_view value);

/// True when "http://" or "https://" occurs anywhere in a link value, in any letter case.
bool ContainsWebScheme(std::string_view value);

} // namespace vortaxel::crawl
