#pragma once

#include "crawl/rule_set.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::test {

/// What one crawl through the real engine and fetcher left behind.
struct CrawlOutcome {
    std::vector<std::string> found;
    std::vector<std::string> queue;
    std::vector<std::string> fetched;
    /// Per fetch, in order: whether it succeeded, and the page buffer's size right after it.
    std::vector<bool> fetchOk;
    std::vector<std::size_t> bufferAfterFetch;
    std::vector<std::string> fetchErrors;
    std::string counter;
    /// The run had to be stopped by the watchdog.
    bool timedOut = false;
    std::chrono::milliseconds elapsed{0};
    /// Growth of the process's peak resident memory during the run.
    std::size_t peakGrowthBytes = 0;

    /// The buffer size after the fetch of `url`, if it was fetched.
    std::optional<std::size_t> BufferAfter(const std::string& url) const;
    std::optional<bool> FetchOk(const std::string& url) const;
    /// The fetcher's reason for the failed fetch of `url` (empty after a success), if it was fetched.
    std::optional<std::string> FetchError(const std::string& url) const;

private:
    /// Where the first fetch of `url` stands in the per-fetch lists, if it was fetched.
    std::optional<std::size_t> IndexOf(const std::string& url) const;
};

struct CrawlLimits {
    /// The fetch time limit handed to the fetcher.
    std::chrono::milliseconds fetchTimeout{3000};
    /// The whole run is stopped (and counted as a hang) after this long.
    std::chrono::milliseconds watchdog{30000};
    /// Stops the run once this many URLs are found; 0 for none.
    std::size_t maxPages = 0;
    crawl::RuleSet rules = crawl::RuleSet::Classic;
};

/// Types `startUrl` into the URL field, presses Enter and lets the run go to its end.
CrawlOutcome RunCrawl(const std::string& startUrl, const CrawlLimits& limits = {});

} // namespace vortaxel::test
