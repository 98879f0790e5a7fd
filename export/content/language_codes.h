#pragma once

#include <span>
#include <string_view>

namespace vortaxel::audit {

/// ISO 639-1's two-letter language codes and ISO 3166-1's two-letter country codes, sorted, in lower case.
std::span<const std::string_view> LanguageCodes();
std::span<const std::string_view> RegionCodes();

/// Whether `code` is an hreflang value search engines take: "x-default", or an ISO 639-1 language, then
/// optionally a four-letter script and an ISO 3166-1 alpha-2 region, joined by '-', in any letter case.
bool IsHreflangCode(std::string_view code);

} // namespace vortaxel::audit
