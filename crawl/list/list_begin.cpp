#include "crawl/browser/browser_rules.h"

namespace vortaxel::crawl {

void BrowserRules::BeginList(CrawlRun& run) {
    const CrawlControls& controls = run.Limits().controls;
    listMode_ = true;
    // The site is the start address's without asking it: the start page is audited only when listed, and
    // the sitemaps are the ones its site names.
    if (const auto start = PageIdentity(run.StartText(), run.StartText())) {
        site_ = SiteScope::Of(*start);
    }
    siteSettled_ = true;
    listSitemapsDue_ = run.Limits().sitemaps && site_.has_value();
    UrlId known;
    for (const std::string& address : controls.listed) {
        // A list read by ReadAddressList holds each page once; any other is taken as given, each page once.
        if (const auto identity = PageIdentity(address, address); identity && !store_.Find(*identity, known)) {
            Enqueue(*identity);
        }
    }
}

} // namespace vortaxel::crawl
