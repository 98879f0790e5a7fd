#pragma once

#include "crawl/crawl_listener.h"
#include "crawl/page_fetcher.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::crawl::testing {

using Texts = std::vector<std::string>;
using Site = std::map<std::string, std::string>;

/// A site in memory: serves its pages by exact address (a missing page is a failed fetch) and keeps
/// every request in order. `onFetch` runs inside the n-th fetch (1-based), where a user's input
/// would reach the engine while the page is on its way.
class SiteFetcher : public PageFetcher {
public:
    FetchedPage Fetch(const std::string& url) override {
        requests.push_back(url);
        if (onFetch) {
            onFetch(requests.size());
        }
        const auto page = pages.find(url);
        return page == pages.end() ? FetchedPage::Failure("not found") : FetchedPage::Success(page->second);
    }

    Site pages;
    Texts requests;
    std::function<void(std::size_t)> onFetch;
};

/// Keeps what a run reports: the pages listed, the turns, and how runs began and ended (a run begun
/// inside another would show as depth 2). `onYield` runs inside the n-th yield (1-based), where a
/// window delivers the user's input.
class RunRecorder : public CrawlListener {
public:
    void RunStarted() override {
        ++started;
        deepest = std::max(deepest, ++depth);
    }
    void RunEnded() override {
        ++ended;
        --depth;
    }
    void PageFound(std::size_t index, std::string_view url) override {
        // The index is the counter a window shows: it must be the entry's place in the list.
        if (index == found.size()) {
            found.emplace_back(url);
        } else {
            found.push_back("index " + std::to_string(index) + " for " + std::string(url));
        }
    }
    void Yield() override {
        ++yields;
        if (onYield) {
            onYield(yields);
        }
    }

    Texts found;
    int yields = 0;
    int started = 0;
    int ended = 0;
    int depth = 0;
    int deepest = 0;
    std::function<void(int)> onYield;
};

} // namespace vortaxel::crawl::testing
