#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// Links longer than this are skipped: no real page address comes near it.
inline constexpr std::size_t kMaxLinkBytes = std::size_t{64} * 1024;

/// A link as a browser takes it: leading and trailing blanks (space, tab, CR, LF, form feed) and
/// every tab, CR and LF inside removed.
std::string StripLinkBlanks(std::string_view link);

/// The one address that stands for every spelling of a page: `link` (stripped of blanks) resolved
/// against `base` per RFC 3986, fragment dropped, user information dropped, scheme and host
/// lower-cased, an international host in its ASCII (punycode) form, default port dropped, dot
/// segments removed, percent escapes in the path upper-cased, query as written. No
/// value for a link that does not resolve, is over kMaxLinkBytes, or has a scheme other than http
/// and https.
std::optional<std::string> PageIdentity(std::string_view base, std::string_view link);

/// Where a site lies: its origin (scheme, host and port, as a browser's same-origin rule has it),
/// and the folder of its start page, path up to and including the last "/".
struct SiteScope {
    /// "http://site.test:8080", as PageIdentity spells it.
    std::string origin;
    /// The host alone, lower-cased.
    std::string host;
    std::string folder;

    /// Scope of an identity; none for a malformed one.
    static std::optional<SiteScope> Of(std::string_view identity);
    /// Same origin and a path at or below the folder. `identity` must come from PageIdentity.
    bool Contains(std::string_view identity) const;
};

/// Whether an address is never fetched whatever its site: it ends in ".zip", ".pdf" or ".exe"
/// in any letter case.
bool IsNeverFetchedKind(std::string_view identity);

} // namespace vortaxel::crawl
