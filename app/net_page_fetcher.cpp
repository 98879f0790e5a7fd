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
    page.hops.reserve(result.hops.size());
    for (net::RedirectStep& hop : result.hops) {
        page.hops.push_back({hop.code, std::move(hop.url)});
    }
    page.robotsTag = std::move(result.robotsTag);
    return page;
}

net::FetchOptions FetchOptionsFor(const RunFetchChoices& choices, net::FetchOptions base) {
    if (choices.rules == crawl::RuleSet::Browser) {
        // One GET per page, cut after the headers when the reply is not a page: a HEAD first would cost
        // every page a second request, and servers answer HEAD less faithfully than GET.
        base.htmlOnly = true;
        // A site that needs its session cookie sends every cookie-less client round a redirect loop.
        base.keepCookies = true;
    }
    base.delay = std::max(base.delay, choices.delay);
    base.politeRetry = base.politeRetry || choices.obeyRobots || choices.delay.count() > 0;
    return base;
}

} // namespace vortaxel::app
