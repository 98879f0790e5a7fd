#pragma once

#include "crawl/crawl_listener.h"
#include "crawl/page_fetcher.h"
#include "crawl/robots/robots_rules.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vortaxel::crawl {

/// The most redirect hops the gate follows for one page, as many as the fetcher follows by itself.
inline constexpr long kMaxRedirectHops = 10;

/// The longest Crawl-delay obeyed; a host asking for more gets this, so one line of robots.txt
/// cannot stall a run for hours per page.
inline constexpr std::chrono::seconds kMaxCrawlDelay{120};

/// Decides, per address, whether a host's robots.txt lets the crawler fetch it. Each host's
/// robots.txt (scheme, host and port) is fetched once, through the run's own fetcher, the first time
/// an address of that host is asked about; its Crawl-delay is handed to the fetcher's pacing. One
/// gate serves one run.
class RobotsGate {
public:
    /// Each robots.txt is read for the groups of `agent` (a product token), falling back to "*"; an empty
    /// one is the program's own.
    explicit RobotsGate(PageFetcher& fetcher, std::string agent = {})
        : fetcher_(fetcher), agent_(agent.empty() ? std::string(kRobotsAgent) : std::move(agent)) {}

    /// Whether `url` may be fetched; fetches its host's robots.txt first when that is not known yet.
    /// An address that is not http or https has no robots.txt and is allowed (its fetch fails anyway).
    bool Allows(std::string_view url);
    /// The page at `url`, its redirects followed one hop at a time (when the fetcher leaves them to the
    /// caller) and only into addresses robots.txt allows, the target host's own robots.txt asked first.
    /// A redirect into a forbidden address is a failed fetch.
    FetchedPage Fetch(const std::string& url);

    /// Whether `url` is known to be allowed without any request: its host is decided and allows it.
    /// What fetching ahead may be told about.
    bool KnownToAllow(std::string_view url) const;
    /// The addresses on the Sitemap lines of the robots.txt that governs `url`, fetching it first when it
    /// is not known yet: one request per host serves the gate and the sitemaps alike.
    std::vector<std::string> SitemapsNamed(std::string_view url);
    /// True the first time a blocked `url` is met, so it is reported once however often it is linked.
    bool FirstBlock(std::string_view url);

    /// Bytes the gate holds, counted against the run's memory budget.
    std::size_t MemoryBytes() const { return bytes_; }

private:
    struct Host {
        RobotsRules rules;
        std::vector<std::string> sitemaps;
    };
    /// The host whose robots.txt is at `robotsUrl`, asked for first when it is not known.
    const Host& Known(const std::string& robotsUrl);

    PageFetcher& fetcher_;
    std::string agent_;
    // Keyed by the host's robots.txt address, which names scheme, host and port as one text.
    std::unordered_map<std::string, Host> hosts_;
    std::unordered_set<std::string> blocked_;
    std::size_t bytes_ = 0;
};

} // namespace vortaxel::crawl
