#include "crawl/browser/browser_rules.h"

namespace vortaxel::crawl {

void BrowserRules::CheckNext(CrawlRun& run) {
    const std::string target = checks_.Take();
    UrlId known;
    // A page of the crawl, or a resource it asks for: its own fetch tells its status.
    if (store_.Find(target, known) || !run.Admit(target)) {
        return;
    }
    if (const std::optional<FetchedPage> silent = checks_.KnownSilent(target)) {
        run.TellFetched(target, *silent);
        return;
    }
    checks_.Answered(target, run.FetchStatus(target));
}

} // namespace vortaxel::crawl
