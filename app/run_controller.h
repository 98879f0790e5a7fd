#pragma once

#include "app/crawl_recorder.h"
#include "app/crawl_store.h"
#include "app/net_page_fetcher.h"
#include "crawl/crawl_engine.h"
#include "crawl/crawl_listener.h"
#include "net/fetcher.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::app {

/// What one run is asked to be, whichever front end starts it.
struct RunSetup {
    crawl::RuleSet rules = crawl::RuleSet::Classic;
    bool obeyRobots = false;
    std::chrono::milliseconds delay{0};
    /// Fetches in flight at most; more than one fetches ahead the pages the engine is sure to visit.
    std::size_t parallel = 1;
    crawl::RunLimits limits;
    /// Fetch options before the rules add their own (a CA bundle, time-outs).
    net::FetchOptions fetch;
    /// Called while a fetch blocks: where a window handles its events.
    std::function<void()> wait;
};

/// Hands every call on to each of its listeners, in the order they were added.
class ListenerFan final : public crawl::CrawlListener {
public:
    void Add(crawl::CrawlListener& listener) { listeners_.push_back(&listener); }

    void RunStarted() override;
    void RunEnded() override;
    void PageFound(std::size_t index, std::string_view url) override;
    void Yield() override;
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override;
    void LinksDropped(std::string_view url, std::size_t count) override;
    void PageBlocked(std::string_view url) override;
    void PageParsed(std::string_view url, const crawl::PageRead& read) override;
    void PageInSitemap(std::string_view url) override;
    void SitemapsRead(std::size_t files, std::size_t pages, const std::vector<std::string>& problems) override;
    void QueuedUnlinked() override;

private:
    std::vector<crawl::CrawlListener*> listeners_;
};

/// One run wired once for every front end: the engine on the net fetcher, the front end's listener
/// and, when asked for, the crawl database the run is kept in.
class RunController {
public:
    RunController(const RunSetup& setup, crawl::CrawlListener& listener);
    /// The same on pages from `pages` instead of the network, which must outlive the controller.
    RunController(const RunSetup& setup, crawl::CrawlListener& listener, crawl::PageFetcher& pages);
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;
    RunController(RunController&&) = delete;
    RunController& operator=(RunController&&) = delete;

    /// Tells `listener` too what the runs do, after the listeners added before it.
    void AddListener(crawl::CrawlListener& listener) { fan_.Add(listener); }
    /// Keeps the runs in `store` from now on; the store must outlive the controller.
    void KeepIn(CrawlStore& store, CrawlRecorder::Batch batch = {});

    /// Runs from `startText`; with `resume`, carries on the crawl kept in the store instead (a kept
    /// crawl that never got past its start starts again).
    crawl::RunEnd Run(const std::string& startText, bool resume = false);
    /// The stop action: the turn in progress completes. Safe from a signal handler.
    void Stop() noexcept { engine_.Stop(); }
    /// Also gives up the fetch in progress.
    void Abort() noexcept {
        if (fetcher_) {
            fetcher_->Abort();
        }
    }

    /// Called while a fetch blocks, besides the setup's wait; replaces an earlier one.
    void OnWait(std::function<void()> wait);
    /// Whether the fetch in progress has sent nothing yet and only waits out a politeness pause.
    bool OnlyWaiting() const { return fetcher_ && fetcher_->IsOnlyWaiting(); }

    crawl::CrawlEngine& Engine() { return engine_; }
    const crawl::CrawlEngine& Engine() const { return engine_; }
    /// Why the last run stopped on its own (a memory bound, the file it is kept in), in words for
    /// the user; empty when it did not.
    std::string StopReason() const;

private:
    std::unique_ptr<net::Fetcher> fetcher_;
    std::unique_ptr<NetPageFetcher> netPages_;
    ListenerFan fan_;
    crawl::CrawlEngine engine_;
    crawl::RuleSet rules_;
    CrawlStore* store_ = nullptr;
    std::unique_ptr<CrawlRecorder> recorder_;
    std::string keepError_;
    std::function<void()> setupWait_;
};

} // namespace vortaxel::app
