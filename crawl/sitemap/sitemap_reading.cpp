#include "crawl/sitemap/sitemap_reading.h"

#include <exception>
#include <new>
#include <utility>

namespace vortaxel::crawl {

SitemapReading::SitemapReading(SiteScope site, NamedLines named, SitemapWalkLimits limits,
                               std::chrono::milliseconds time, const std::atomic<bool>& stop,
                               const FetcherFor& fetcherFor)
    : stop_(stop), deadline_(std::chrono::steady_clock::now() + time) {
    fetcher_ = fetcherFor([this] { return GivingUp(); });
    if (fetcher_) {
        thread_ = std::thread(
            [this, site = std::move(site), named = std::move(named), limits] { Read(site, named, limits); });
    }
}

SitemapReading::~SitemapReading() {
    if (thread_.joinable()) {
        Cancel();
        thread_.join();
    }
}

bool SitemapReading::GivingUp() const {
    return stop_.load(std::memory_order_relaxed) || cancel_.load() || std::chrono::steady_clock::now() >= deadline_;
}

void SitemapReading::Read(const SiteScope& site, const NamedLines& named, const SitemapWalkLimits& limits) {
    SiteSitemaps read;
    try {
        const FileFetch fetch = [this](const std::string& url) {
            try {
                return fetcher_->FetchWhole(url);
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception& error) {
                return FetchedPage::Failure(error.what());
            }
        };
        NamedSitemaps lines;
        if (named) {
            lines = [&named](const std::string& /*robotsUrl*/) { return *named; };
        }
        read = ReadSiteSitemaps(
            site, fetch, [this] { return GivingUp(); }, limits, lines);
    } catch (const std::bad_alloc&) {
        // What could not be held is left unread; the crawl goes on with what it has.
        read = SiteSitemaps{};
        read.problems.emplace_back("sitemaps left unread: out of memory");
    }
    const bool cutShort = stop_.load(std::memory_order_relaxed) || cancel_.load();
    const std::lock_guard lock(mutex_);
    read_ = std::move(read);
    cutShort_ = cutShort;
    done_ = true;
    ended_.notify_all();
}

bool SitemapReading::WaitFor(std::chrono::milliseconds most) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, most, [this] { return done_; });
}

SiteSitemaps SitemapReading::Take() {
    if (thread_.joinable()) {
        thread_.join();
    }
    const std::lock_guard lock(mutex_);
    return std::exchange(read_, {});
}

} // namespace vortaxel::crawl
