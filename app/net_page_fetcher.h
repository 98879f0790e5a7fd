#pragma once

#include "crawl/fetched_page.h"
#include "crawl/page_fetcher.h"
#include "crawl/rule_set.h"
#include "net/fetch_options.h"
#include "net/fetch_result.h"
#include "net/fetcher.h"

#include <chrono>
#include <string>
#include <string_view>

namespace vortaxel::app {

/// The engine's view of one fetch.
crawl::FetchedPage ToFetchedPage(net::FetchResult result);

/// What a run asks of its fetches, whichever front end starts it.
struct RunFetchChoices {
    crawl::RuleSet rules = crawl::RuleSet::Classic;
    /// Least time between the starts of two requests to the same host.
    std::chrono::milliseconds delay{0};
    bool obeyRobots = false;
};

/// The fetch options a run with `choices` needs on top of `base`. Browser rules read pages only: every
/// address is asked for once, with GET, and a reply that is no HTML page (or not a success) stops after
/// its headers, so a broken link or a file costs no download. Whoever asks for one kind of politeness gets the other: a
/// host that says "come back later" is waited for only then, so the default run stays one request per
/// page.
net::FetchOptions FetchOptionsFor(const RunFetchChoices& choices, net::FetchOptions base);

/// Pages for the engine from the net fetch loop.
class NetPageFetcher final : public crawl::PageFetcher {
public:
    explicit NetPageFetcher(net::Fetcher& fetcher) : fetcher_(fetcher) {}
    crawl::FetchedPage Fetch(const std::string& url) override { return ToFetchedPage(fetcher_.Fetch(url)); }
    crawl::FetchedPage FetchWhole(const std::string& url) override { return ToFetchedPage(fetcher_.FetchWhole(url)); }
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay) override {
        fetcher_.SetHostDelay(url, delay);
    }

private:
    net::Fetcher& fetcher_;
};

} // namespace vortaxel::app
