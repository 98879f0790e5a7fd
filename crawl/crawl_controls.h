#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// Which hosts a browser-rules crawl takes as its site's.
enum class CrawlScope {
    /// The start page's host alone, at or below its folder: what every crawl did before scopes existed.
    Host,
    /// Every host under the start host's registrable domain ("shop.example.com" from "www.example.com").
    Subdomains,
    /// The registrable domain itself and all of its hosts.
    Domain,
};

/// "host", "subdomains" or "domain", exactly; anything else is no scope.
std::optional<CrawlScope> ParseCrawlScope(std::string_view name);
const char* CrawlScopeName(CrawlScope scope);

/// What a user narrows or widens a browser-rules crawl with. Each default is the crawl as it was before the
/// control existed, so a run with all of them at their defaults requests and writes exactly what it did.
struct CrawlControls {
    CrawlScope scope = CrawlScope::Host;
    /// RE2 patterns matched against an absolute address before it is queued: with any include given, an
    /// address must match one of them; an address matching any exclude is never requested.
    std::vector<std::string> include{};
    std::vector<std::string> exclude{};
    /// Clicks from the start page past which no link is followed; 0 takes the start page alone.
    std::optional<std::size_t> maxDepth{};
    /// Query parameters removed from an address before it is queued: a name, or a prefix ending in "*".
    std::vector<std::string> stripQuery{};
    /// The token robots.txt groups are matched for (falling back to "*"); empty for the program's own.
    std::string robotsAgent{};
    /// List mode: exactly the addresses in `listed` are audited and no link is followed; with
    /// `listFromSitemaps`, exactly the pages the site's sitemaps list.
    bool listMode = false;
    std::vector<std::string> listed{};
    bool listFromSitemaps = false;
    /// Each distinct target of a link the crawl does not follow is requested once for its status.
    bool checkExternal = false;

    bool operator==(const CrawlControls&) const = default;
};

} // namespace vortaxel::crawl
