#pragma once

#include "crawl/page_fetcher.h"
#include "crawl/sitemap/site_sitemaps.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::crawl {

/// Reads a site's sitemaps while the crawl goes on: on a thread of its own, through a fetcher of its
/// own, so that sitemaps slow to answer cost the crawl nothing until it runs out of links. The reading
/// gives up, a fetch in flight included, once the run's stop flag is raised, Cancel is called or its
/// time has passed.
class SitemapReading {
public:
    /// The fetcher the reading's thread uses, given the question it asks while a fetch waits.
    using FetcherFor = std::function<std::unique_ptr<PageFetcher>(std::function<bool()> giveUp)>;
    /// What robots.txt's Sitemap lines name, when they are known already; otherwise the reading fetches
    /// robots.txt itself.
    using NamedLines = std::optional<std::vector<std::string>>;

    /// Starts reading. When `fetcherFor` gives no fetcher, nothing is started and Alongside is false.
    SitemapReading(SiteScope site, NamedLines named, SitemapWalkLimits limits, std::chrono::milliseconds time,
                   const std::atomic<bool>& stop, const FetcherFor& fetcherFor);
    ~SitemapReading();
    SitemapReading(const SitemapReading&) = delete;
    SitemapReading& operator=(const SitemapReading&) = delete;
    SitemapReading(SitemapReading&&) = delete;
    SitemapReading& operator=(SitemapReading&&) = delete;

    /// Whether the reading runs beside the crawl.
    bool Alongside() const { return thread_.joinable(); }
    /// Waits up to `most` for the reading to end; true once it has.
    bool WaitFor(std::chrono::milliseconds most);
    /// Gives up what is left unread.
    void Cancel() { cancel_.store(true); }
    /// What was read, once it has ended: waits for that.
    SiteSitemaps Take();
    /// After Take: whether a stop or Cancel came before the reading ended, which may then have left
    /// sitemaps unread.
    bool CutShort() const { return cutShort_; }

    /// Whether the reading is to give up.
    bool GivingUp() const;

private:
    void Read(const SiteScope& site, const NamedLines& named, const SitemapWalkLimits& limits);

    const std::atomic<bool>& stop_;
    std::atomic<bool> cancel_{false};
    const std::chrono::steady_clock::time_point deadline_;
    std::unique_ptr<PageFetcher> fetcher_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool cutShort_ = false;
    SiteSitemaps read_;
    // Last, so that it starts once everything it reads is in place.
    std::thread thread_;
};

} // namespace vortaxel::crawl
