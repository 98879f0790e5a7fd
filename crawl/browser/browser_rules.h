#pragma once

#include "crawl/browser/browser_links.h"
#include "crawl/link_rules.h"
#include "crawl/list/external_checks.h"
#include "crawl/page/page_address.h"
#include "crawl/scope/crawl_gate.h"
#include "crawl/sitemap/sitemap_reading.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vortaxel::crawl {

/// The rules a browser's user expects: links come from an HTML5 parser and are resolved against the
/// page's own address (or its `<base href>`); every page has one identity, fetched at most once; only
/// pages of the site (the start's host, at or below its folder) are fetched, and a page is listed
/// once it has answered 2xx with HTML, under the identity where it landed.
class BrowserRules final : public LinkRules {
public:
    explicit BrowserRules(UrlStore& store) : store_(store) {}

    void Begin(CrawlRun& run) override;
    void Resume(CrawlRun& run, ResumeSource& from) override;
    bool HasWork() const override {
        return head_ < queue_.size() || sitemapNext_ < sitemapPages_.size() || sitemapReading_ != nullptr ||
               listSitemapsDue_ || checks_.HasWork();
    }
    void Turn(CrawlRun& run) override;
    bool End(CrawlRun& run) override;
    void NextVisits(const FoundList& found, std::size_t wanted, std::vector<std::string>& out) const override;
    bool IsNewLink(const FoundList& found, std::string_view url) const override;
    std::size_t QueueCount() const override { return queue_.size() - head_; }
    std::string_view QueueText(std::size_t i) const override { return store_.Text(queue_[head_ + i]); }
    std::size_t QueueOccurrences(std::string_view url) const override;
    QueueProgress Progress() const override { return {head_, 0}; }
    /// Where the site settled: empty before the start page's fetch, else its host and folder.
    std::string RulesNote() const override;
    std::string StartFailure() const override { return startFailure_; }
    std::size_t MemoryBytes() const override;
    /// A stop cut the sitemaps' reading short: a resumed run reads them again.
    bool WorkBesideQueue() const override { return sitemapsCutShort_; }

private:
    /// Fetches the queue's head and lists it when it is a page of the site.
    void Visit(CrawlRun& run);
    /// Notes why the start page, just visited, gave no page; nothing when a stop cut it short.
    void NoteStartOutcome(CrawlRun& run, const FetchedPage* page, bool isPage, bool onSite);
    /// The identity a fetch of `asked` landed on, or none when that lies off the site.
    std::optional<std::string> Landing(const std::string& asked, const FetchedPage& page);
    /// Queues the page's new links while their joined bytes fit `budget`; returns how many were dropped.
    /// Resources are queued to be checked, not listed.
    std::size_t QueueLinks(const std::string& pageAddress, const PageLinks& links, std::uint64_t budget,
                           std::size_t depth, bool resources = false);
    void Enqueue(const std::string& identity, std::size_t depth = 0);
    /// Reads the site's sitemaps, once its site is known: alongside the crawl when the fetcher can, else
    /// here and now.
    void ReadSitemaps(CrawlRun& run);
    /// Takes what the sitemaps list. `late` when the crawl went on while they were read: the pages it met
    /// meanwhile that they list are told as such.
    void TakeSitemaps(CrawlRun& run, SiteSitemaps read, bool late);
    /// Takes the sitemaps read alongside once that has ended; with `wait`, waits for it, while no stop
    /// is asked for.
    void CollectSitemaps(CrawlRun& run, bool wait);
    /// Takes what the reading alongside read, once it has ended.
    void TakeReading(CrawlRun& run);
    /// Whether the site's sitemaps list `url`, as written there.
    bool InSitemap(const std::string& url) const;
    /// Queues the pages only the sitemaps name, once the links have run out.
    void QueueSitemapPages(CrawlRun& run);
    /// Instead of the start page: queues the pages of a list (see CrawlControls::listMode).
    void BeginList(CrawlRun& run);
    /// Asks for the status of the next link target the crawl does not follow.
    void CheckNext(CrawlRun& run);

    UrlStore& store_;
    PageIdentityCache identities_;
    // Every identity ever queued is in the store; its queued mark says whether it still waits.
    std::vector<UrlId> queue_;
    std::size_t head_ = 0;
    std::optional<SiteScope> site_;
    CrawlGate gate_;
    // Clicks from the start of each queued address, beside `queue_`, when the crawl has a depth limit.
    std::vector<std::uint32_t> depths_;
    bool siteSettled_ = false;
    // The start page is the first one visited; what became of it is told once the run ends.
    bool startPending_ = false;
    std::string startFailure_;
    std::string headText_;
    // The site's pages its sitemaps list, in their order, and a lookup into them; the views point into
    // the vector, which never changes once read. Those from `sitemapNext_` on wait to be queued.
    std::vector<std::string> sitemapPages_;
    std::unordered_set<std::string_view> inSitemap_;
    std::size_t sitemapNext_ = 0;
    std::size_t sitemapBytes_ = 0;
    bool sitemapsDue_ = false;
    // While the sitemaps are read alongside the crawl.
    std::unique_ptr<SitemapReading> sitemapReading_;
    bool sitemapsCutShort_ = false;
    // Addresses queued as a page's resources (images, style sheets, scripts): checked, never listed.
    std::unordered_set<UrlId> resources_;
    // List mode: no link is followed, and a page is listed wherever it lands.
    bool listMode_ = false;
    // List mode with sitemaps: they are read in the first turn, for the pages they list or the marks alone.
    bool listSitemapsDue_ = false;
    // With checkExternal: what the pages visited link to and the crawl does not follow.
    ExternalChecks checks_;
};

} // namespace vortaxel::crawl
