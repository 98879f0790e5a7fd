#include "bench/measured_crawl.h"

#include "crawl/crawl_engine.h"
#include "crawl/start_text.h"

#include <chrono>
#include <ctime>

namespace vortaxel::bench {

namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

class Stopwatch {
public:
    Seconds Elapsed() const {
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall_;
        return {wall.count(), ThreadCpuSeconds() - cpu_};
    }

private:
    std::chrono::steady_clock::time_point wall_ = std::chrono::steady_clock::now();
    double cpu_ = ThreadCpuSeconds();
};

} // namespace

crawl::FetchedPage MemoryCrawlHost::Fetch(const std::string& url) {
    ++fetches_;
    // Copied out, as a real fetch hands over a body of its own.
    return site_.PageAt(url, page_) ? crawl::FetchedPage::Success(page_) : crawl::FetchedPage::Failure("404");
}

CrawlFigures MeasureCrawl(const GeneratedSite& site) {
    CrawlFigures figures;
    {
        MemoryCrawlHost host(site);
        crawl::CrawlListener listener;
        crawl::CrawlEngine engine(host, listener);
        std::string start = site.Root();
        crawl::PrepareStartText(start);
        const Stopwatch watch;
        engine.Run(start, crawl::RuleSet::Classic);
        figures.run = watch.Elapsed();
        figures.found = engine.List2().Count();
        figures.fetches = host.Fetches();
        figures.storeBytes = engine.StoreBytes();
    }
    // The same pages again, alone. Reading the page number off the address is left in the
    // engine's share, which only makes that share look larger.
    std::string page;
    std::size_t bytes = 0;
    const Stopwatch watch;
    for (std::size_t i = 0; i < figures.fetches; ++i) {
        site.WritePage(i % site.Pages(), page);
        const crawl::FetchedPage result = crawl::FetchedPage::Success(page);
        bytes += result.body.size();
    }
    figures.generation = watch.Elapsed();
    // Keeps the loop from being optimised away.
    figures.generation.wall += bytes == 0 ? 1e-9 : 0;
    return figures;
}

} // namespace vortaxel::bench
