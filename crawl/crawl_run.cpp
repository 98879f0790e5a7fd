#include "crawl/crawl_run.h"

#include "crawl/robots/robots_rules.h"

#include <exception>
#include <new>

namespace vortaxel::crawl {

void CrawlRun::List(UrlId id) {
    found_.Append(id);
    listener_.PageFound(found_.Count() - 1, found_.Text(found_.Count() - 1));
    if (found_.Count() >= limits_.pages) {
        stop_.store(true, std::memory_order_relaxed);
    }
}

FetchedPage CrawlRun::Fetch(const std::string& url) {
    pageBuffer_.clear();
    FetchedPage page;
    try {
        page = gate_ != nullptr ? gate_->Fetch(url) : fetcher_.Fetch(url);
    } catch (const std::bad_alloc&) {
        throw; // not the page's failure but the run's: it stops
    } catch (const std::exception& error) {
        // A fetch that fails in any way is a page without links; the run goes on.
        page = FetchedPage::Failure(error.what());
    }
    if (page) {
        pageBuffer_ = std::move(page.body);
    }
    page.body.clear();
    listener_.PageFetched(url, page);
    return page;
}

FetchedPage CrawlRun::FetchFile(const std::string& url) {
    try {
        return fetcher_.FetchWhole(url);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        return FetchedPage::Failure(error.what());
    }
}

FetchedPage CrawlRun::FetchStatus(const std::string& url) {
    FetchedPage page;
    try {
        page = fetcher_.FetchStatus(url);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        page = FetchedPage::Failure(error.what());
    }
    page.body.clear();
    page.read.reset();
    listener_.PageFetched(url, page);
    return page;
}

std::vector<std::string> CrawlRun::RobotsSitemaps(const std::string& robotsUrl) {
    if (gate_ != nullptr) {
        return gate_->SitemapsNamed(robotsUrl);
    }
    const FetchedPage robots = FetchFile(robotsUrl);
    if (!robots.ok || robots.status < 200 || robots.status >= 300) {
        return {};
    }
    return crawl::RobotsSitemaps(robots.body);
}

std::uint64_t CrawlRun::MemoryRoom() const {
    const std::uint64_t used = std::uint64_t{held_ ? held_() : 0} + pageBuffer_.capacity();
    return used >= limits_.storeBytes ? 0 : limits_.storeBytes - used;
}

bool CrawlRun::Admit(const std::string& url) {
    if (gate_ == nullptr || gate_->Allows(url)) {
        return true;
    }
    // A robots.txt fetch that a stop cut short says nothing about the host: no block to report.
    const bool stopping = stop_.load(std::memory_order_relaxed);
    if (!stopping && gate_->FirstBlock(url)) {
        listener_.PageBlocked(url);
    }
    return false;
}

} // namespace vortaxel::crawl
