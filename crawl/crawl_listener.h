#pragma once

#include "crawl/fetched_page.h"
#include "crawl/page/page_reader.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// Hears what a run does. Every call comes on the thread running the loop; each does nothing
/// unless overridden.
class CrawlListener {
public:
    virtual ~CrawlListener() = default;
    /// The run has begun; its lists are empty and the start page is queued.
    virtual void RunStarted() {}
    /// The loop has ended, by an empty queue or a stop; the engine's `StopReason` says whether a
    /// memory bound or an allocation failure stopped it.
    virtual void RunEnded() {}
    /// Entry `index` of the found list, `url`, was just appended. The text is valid during the call.
    virtual void PageFound(std::size_t /*index*/, std::string_view /*url*/) {}
    /// Once per turn, before the turn: where a window delivers the user's input.
    virtual void Yield() {}
    /// A fetch has ended; `page` holds its outcome without the body.
    virtual void PageFetched(const std::string& /*url*/, const FetchedPage& /*page*/) {}
    /// Page `url` offered more links than its budget allows; the last `count` were dropped and the
    /// run goes on. At most once per page.
    virtual void LinksDropped(std::string_view /*url*/, std::size_t /*count*/) {}
    /// With robots.txt obeyed: `url` is disallowed by its host's robots.txt (or that host's robots.txt
    /// could not be read), so it is neither fetched nor listed. Once per address and run.
    virtual void PageBlocked(std::string_view /*url*/) {}
    /// Browser rules read the page just listed as `url` (where it landed): its facts and every link it
    /// holds, as written, before the rules pick the ones they follow.
    virtual void PageParsed(std::string_view /*url*/, const std::shared_ptr<const PageRead>& /*read*/) {}
    /// The site's sitemaps list `url`, which this turn fetched (or robots.txt blocked) or where that fetch
    /// landed: told for the address asked for before it is known to be a page, and for the page about
    /// to be told by PageParsed when that is where the address landed.
    virtual void PageInSitemap(std::string_view /*url*/) {}
    /// The sitemaps, read alongside the crawl, list `url`, which an earlier turn fetched (or robots.txt
    /// blocked) or where such a fetch landed: the sitemaps came too late for PageInSitemap.
    virtual void MetPageInSitemap(std::string_view /*url*/) {}
    /// The site's sitemaps were read: `files` fetched, `pages` of the site listed, `problems` a line per
    /// sitemap that could not be read whole.
    virtual void SitemapsRead(std::size_t /*files*/, std::size_t /*pages*/,
                              const std::vector<std::string>& /*problems*/) {}
    /// This turn queued the pages only a sitemap names, which no link led to: they have no depth.
    virtual void QueuedUnlinked() {}
};

} // namespace vortaxel::crawl
