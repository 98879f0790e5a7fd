#pragma once

#include "crawl/fetched_page.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// Fetches pages for the engine. Given to the engine directly, so a page travels from the network
/// to the engine without passing through the window.
class PageFetcher {
public:
    virtual ~PageFetcher() = default;
    /// One blocking fetch of the URL exactly as queued. May throw; the engine takes that as a failure.
    virtual FetchedPage Fetch(const std::string& url) = 0;
    /// A fetch of a file that is no page (robots.txt): its body is wanted whatever its type, and it
    /// is never fetched ahead. A fetcher that reads every body anyway needs nothing else.
    virtual FetchedPage FetchWhole(const std::string& url) { return Fetch(url); }
    /// A fetch of an address wanted for its status alone (a link's target the crawl does not follow): no
    /// body is read, no redirect followed, and it is never fetched ahead. A fetcher that has no cheaper way
    /// fetches it as a page.
    virtual FetchedPage FetchStatus(const std::string& url) { return Fetch(url); }
    /// From now on, at least `delay` between the starts of two requests to url's host, when that is
    /// more than the fetcher keeps already. A fetcher without pacing ignores it.
    virtual void SetHostDelay(std::string_view /*url*/, std::chrono::milliseconds /*delay*/) {}
    /// A fetcher of files for another thread, whose requests go alongside this one's and keep its pace
    /// (sitemaps read while the crawl goes on). `giveUp` is asked on that thread while one of its fetches
    /// waits: once it says yes, that fetch and every later one fail at once. None when this fetcher has
    /// no such thing, and files are then fetched here, in turn.
    // NOLINTNEXTLINE(performance-unnecessary-value-param): a fetcher that has one keeps `giveUp`.
    virtual std::unique_ptr<PageFetcher> FileFetcher(std::function<bool()> /*giveUp*/) { return nullptr; }
};

} // namespace vortaxel::crawl
