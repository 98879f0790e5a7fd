#pragma once

#include "bench/generated_site.h"
#include "crawl/page_fetcher.h"

#include <cstddef>
#include <string>

namespace vortaxel::bench {

/// The network in memory: every fetch drawn from a generated site.
class MemoryCrawlHost final : public crawl::PageFetcher {
public:
    explicit MemoryCrawlHost(const GeneratedSite& site) : site_(site) {}

    crawl::FetchedPage Fetch(const std::string& url) override;

    std::size_t Fetches() const { return fetches_; }

private:
    const GeneratedSite& site_;
    std::string page_;
    std::size_t fetches_ = 0;
};

/// Seconds by the wall clock and by the thread's processor clock.
struct Seconds {
    double wall = 0;
    double cpu = 0;
};

struct CrawlFigures {
    std::size_t found = 0;
    std::size_t fetches = 0;
    std::size_t storeBytes = 0;
    /// The whole run, page generation included.
    Seconds run;
    /// Drawing and handing over as many pages as the run fetched, timed on its own after the run.
    Seconds generation;

    Seconds Engine() const { return {run.wall - generation.wall, run.cpu - generation.cpu}; }
};

/// One whole crawl of `site` through the engine, from its root until the queue runs empty.
CrawlFigures MeasureCrawl(const GeneratedSite& site);

} // namespace vortaxel::bench
