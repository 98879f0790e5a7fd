#pragma once

#include <string_view>

namespace vortaxel::crawl {

/// Whether the queue pass drops an entry that does not depend on the start URL: it ends in
/// ".zip", ".pdf" or ".exe", or holds "mailto:", "javascript:" or "document.write", any case.
bool IsUnwantedKind(std::string_view entry);

/// Whether an entry lies outside the site: the start URL does not occur in it, ignoring ASCII
/// case. The start URL is taken exactly as typed, blanks included; an empty one is in everything.
bool IsOutsideSite(std::string_view entry, std::string_view startUrl);

/// Whether the queue pass run against `startUrl` removes `entry`.
inline bool IsFilteredOut(std::string_view entry, std::string_view startUrl) {
    return IsUnwantedKind(entry) || IsOutsideSite(entry, startUrl);
}

} // namespace vortaxel::crawl
