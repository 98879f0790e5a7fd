#pragma once

#include "crawl_listener.h"
#include "fetched_page.h"
#include "found_list.h"
#include "page_fetcher.h"
#include "robots_gate.h"
#include "run_limits.h"
#include "url_store.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// What a rule set reaches of the engine during a run: the shared store and found list, the page
/// buffer, the fetcher, the start text as the user has it now and the run's memory bounds.
class CrawlRun {
public:
    CrawlRun(UrlStore& store, FoundList& found, PageFetcher& fetcher, CrawlListener& listener,
             const std::string& startText, std::string& pageBuffer, const RunLimits& limits)
        : store_(store), found_(found), fetcher_(fetcher), listener_(listener), startText_(startText),
          pageBuffer_(pageBuffer), limits_(limits) {}

    UrlStore& Store() { return store_; }
    const FoundList& Found() const { return found_; }
    /// The start text now; the user may change it between turns.
    const std::string& StartText() const { return startText_; }
    std::string& PageBuffer() { return pageBuffer_; }
    const RunLimits& Limits() const { return limits_; }

    /// Appends a stored URL to the found list and tells the listener.
    void List(UrlId id);
    /// Empties the page buffer, then fetches `url` into it and returns the rest of the outcome. A fetch
    /// that throws is a failure; the buffer stays empty unless the fetch succeeded.
    FetchedPage Fetch(const std::string& url);
    /// Tells the listener that page `url` had `count` links past its budget dropped.
    void LinksDropped(std::string_view url, std::size_t count) { listener_.LinksDropped(url, count); }

    /// Obeys robots.txt through `gate` from now on; `stop` is the engine's stop flag.
    void SetGate(RobotsGate* gate, const std::atomic<bool>* stop) {
        gate_ = gate;
        stop_ = stop;
    }
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
    RobotsGate* gate_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
};

/// One rule set: which links a page yields, which are queued, which pages are listed. The engine's
/// loop calls `Turn` while `HasWork` holds and no stop was asked for; one object serves one run.
class LinkRules {
public:
    virtual ~LinkRules() = default;

    /// Queues the start page.
    virtual void Begin(CrawlRun& run) = 0;
    virtual bool HasWork() const = 0;
    /// Visits (or drops) the queue's head.
    virtual void Turn(CrawlRun& run) = 0;

    /// Appends up to `wanted` pages the loop is sure to fetch next, soonest first, the turn in
    /// progress excluded: a later link may postpone them but never cancel them.
    virtual void NextVisits(const FoundList& found, std::size_t wanted, std::vector<std::string>& out) const = 0;
    /// Whether a link found now would still be queued as new.
    virtual bool IsNewLink(const FoundList& found, std::string_view url) const = 0;

    virtual std::size_t QueueCount() const = 0;
    /// Entry `i`, 0 being the head. Valid until the queue next changes.
    virtual std::string_view QueueText(std::size_t i) const = 0;
    virtual std::size_t QueueOccurrences(std::string_view url) const = 0;
    /// Bytes the rules hold beside the store's URLs, counted against the run's budget.
    virtual std::size_t MemoryBytes() const { return 0; }
};

} // namespace vortaxel::crawl
