#pragma once

#include "crawl/crawl_listener.h"
#include "crawl/fetched_page.h"
#include "crawl/found_list.h"
#include "crawl/page_fetcher.h"
#include "crawl/robots/robots_gate.h"
#include "crawl/run_limits.h"
#include "crawl/url_store.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vortaxel::crawl {

/// What a rule set reaches of the engine during a run: the shared store and found list, the page
/// buffer, the fetcher, the start text as the user has it now and the run's limits.
class CrawlRun {
public:
    CrawlRun(UrlStore& store, FoundList& found, PageFetcher& fetcher, CrawlListener& listener,
             const std::string& startText, std::string& pageBuffer, const RunLimits& limits, std::atomic<bool>& stop)
        : store_(store), found_(found), fetcher_(fetcher), listener_(listener), startText_(startText),
          pageBuffer_(pageBuffer), limits_(limits), stop_(stop) {}

    UrlStore& Store() { return store_; }
    const FoundList& Found() const { return found_; }
    /// The start text now; the user may change it between turns.
    const std::string& StartText() const { return startText_; }
    std::string& PageBuffer() { return pageBuffer_; }
    const RunLimits& Limits() const { return limits_; }

    /// Appends a stored URL to the found list and tells the listener. The page that reaches the
    /// run's page limit asks for a stop: the turn in progress still completes.
    void List(UrlId id);
    /// Appends a page an earlier run listed, telling no one: a resumed run starts from it.
    void ListKept(UrlId id) { found_.Append(id); }
    /// Empties the page buffer, then fetches `url` into it and returns the rest of the outcome. A fetch
    /// that throws is a failure; the buffer stays empty unless the fetch succeeded.
    FetchedPage Fetch(const std::string& url);
    /// A file that is no page (a sitemap), fetched whole up to the fetcher's cap for such files, neither
    /// obeying nor touching robots.txt's gate, the page buffer or the listener. A fetch that throws is a
    /// failure.
    FetchedPage FetchFile(const std::string& url);
    /// An address wanted for its status alone (PageFetcher::FetchStatus), its outcome told to the listener as
    /// a page's is; the page buffer is left as it is. Robots.txt is for the caller to ask (Admit).
    FetchedPage FetchStatus(const std::string& url);
    /// Tells the listener of an outcome known without a request, as if `url` had been fetched.
    void TellFetched(const std::string& url, const FetchedPage& page) { listener_.PageFetched(url, page); }
    /// The Sitemap lines of the robots.txt at `robotsUrl`; a run that obeys robots.txt asks its gate, so
    /// the file is requested once for both.
    std::vector<std::string> RobotsSitemaps(const std::string& robotsUrl);
    /// Whether a stop was asked for.
    bool Stopping() const { return stop_.load(std::memory_order_relaxed); }
    void PageInSitemap(std::string_view url) { listener_.PageInSitemap(url); }
    void MetPageInSitemap(std::string_view url) { listener_.MetPageInSitemap(url); }
    /// Lets the window deliver the user's input while a turn waits for something other than a fetch.
    void Yield() { listener_.Yield(); }
    /// See PageFetcher::FileFetcher.
    std::unique_ptr<PageFetcher> FileFetcher(std::function<bool()> giveUp) {
        return fetcher_.FileFetcher(std::move(giveUp));
    }
    /// The flag behind Stopping, for work on another thread; it outlives the rule set.
    const std::atomic<bool>& StopFlag() const { return stop_; }
    /// Whether robots.txt is obeyed, and so read by the gate.
    bool ObeysRobots() const { return gate_ != nullptr; }

    /// What the run's memory budget (RunLimits::storeBytes) has room for beside what the run holds and the
    /// page in hand: what a turn may still queue.
    std::uint64_t MemoryRoom() const;
    /// The turn left links unqueued for want of room: the run ends with it, as the memory budget's stop.
    void MemoryFull() { memoryFull_ = true; }
    bool IsMemoryFull() const { return memoryFull_; }
    /// How the engine counts what the run holds, for MemoryRoom.
    void CountHeldWith(std::function<std::size_t()> held) { held_ = std::move(held); }
    void SitemapsRead(std::size_t files, std::size_t pages, const std::vector<std::string>& problems) {
        listener_.SitemapsRead(files, pages, problems);
    }
    void QueuedUnlinked() { listener_.QueuedUnlinked(); }
    /// Tells the listener that page `url` had `count` links past its budget dropped.
    void LinksDropped(std::string_view url, std::size_t count) { listener_.LinksDropped(url, count); }
    /// Tells the listener what page `url` says about itself and links to.
    void PageParsed(std::string_view url, const std::shared_ptr<const PageRead>& read) {
        listener_.PageParsed(url, read);
    }

    /// Obeys robots.txt through `gate` from now on.
    void SetGate(RobotsGate* gate) { gate_ = gate; }
    /// Whether the page `url` may be fetched and listed. A rule set asks before it lists or fetches
    /// a page; a refusal is told to the listener once per address.
    bool Admit(const std::string& url);

private:
    UrlStore& store_;
    FoundList& found_;
    PageFetcher& fetcher_;
    CrawlListener& listener_;
    const std::string& startText_;
    std::string& pageBuffer_;
    const RunLimits& limits_;
    std::atomic<bool>& stop_;
    RobotsGate* gate_ = nullptr;
    std::function<std::size_t()> held_;
    bool memoryFull_ = false;
};

} // namespace vortaxel::crawl
