#include "app/net_page_fetcher.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace vortaxel::app {

crawl::FetchedPage ToFetchedPage(net::FetchResult result) {
    crawl::FetchedPage page;
    page.ok = result.ok;
    page.body = std::move(result.body);
    page.error = std::move(result.error);
    page.status = result.status;
    page.finalUrl = std::move(result.finalUrl);
    page.contentType = std::move(result.contentType);
    page.bodySkipped = result.bodySkipped;
    page.bytes = result.bytes;
    page.elapsed = result.elapsed;
    page.redirects = result.redirects;
    page.redirectTo = std::move(result.redirectTo);
    return page;
}

net::FetchOptions FetchOptionsFor(const RunFetchChoices& choices, net::FetchOptions base) {
    if (choices.rules == crawl::RuleSet::Browser) {
        base.htmlOnly = true;
        base.probeFirst = [](std::string_view) { return true; };
    }
    base.delay = std::max(base.delay, choices.delay);
    base.politeRetry = base.politeRetry || choices.obeyRobots || choices.delay.count() > 0;
    // Each hop of a redirect is a page that robots.txt may forbid, so the crawl follows them itself.
    base.redirectsOneByOne = base.redirectsOneByOne || choices.obeyRobots;
    return base;
}

} // namespace vortaxel::app
