#pragma once

#include "app/net_page_fetcher.h"
#include "app/rendering_fetcher.h"
#include "crawl/crawl_engine.h"
#include "crawl/crawl_listener.h"
#include "net/fetcher.h"
#include "store/crawl_store.h"
#include "store/write/crawl_recorder.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
    /// With browser rules: each HTML page is also shown in headless Chromium.
    std::optional<RenderSetup> render;
};

/// Hands every call on to each of its listeners, in the order they were added.
class ListenerFan final : public crawl::CrawlListener {
public:
    void Add(crawl::CrawlListener& listener) { listeners_.push_back(&listener); }
    void Remove(const crawl::CrawlListener& listener) { std::erase(listeners_, &listener); }

    void RunStarted() override;
    void RunEnded() override;
    void PageFound(std::size_t index, std::string_view url) override;
    void Yield() override;
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override;
    void LinksDropped(std::string_view url, std::size_t count) override;
    void PageBlocked(std::string_view url) override;
    void PageParsed(std::string_view url, const std::shared_ptr<const crawl::PageRead>& read) override;
    void PageInSitemap(std::string_view url) override;
    void MetPageInSitemap(std::string_view url) override;
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
    /// Keeps the runs in `store` from now on, instead of any store before; the store must outlive the
    /// controller or a later KeepIn or KeepNowhere.
    void KeepIn(store::CrawlStore& store, store::CrawlRecorder::Batch batch = {});
    /// Keeps the runs from now on in no store, so the last one may close.
    void KeepNowhere();

    /// Readies the next run for `setup`'s rules, robots, delay, width, identity and crawl controls, for a
    /// front end that starts many runs: the fetcher stays when the first five are unchanged, else a new
    /// one replaces it. Either way the pages fetched ahead are dropped and an abort is lifted. The engine,
    /// its list and its other limits stay.
    void Prepare(const RunSetup& setup);
    /// Lets go of the fetcher that holds a login's password, for a front end that asked for it for one
    /// run; the next run needs a Prepare with the password again. Call between runs.
    void ForgetLogin();
    /// Forgets the pages fetched ahead and not yet handed out: they were chosen by a start text or
    /// rules that no longer hold. Call between turns or between runs.
    void DropAhead();

    /// Runs from `startText`; with `resume`, carries on the crawl kept in the store instead (a kept
    /// crawl that never got past its start starts again).
    crawl::RunEnd Run(const std::string& startText, bool resume = false);
    /// The stop action: the turn in progress completes. Safe from a signal handler.
    void Stop() noexcept { engine_.Stop(); }
    /// Also gives up the fetch in progress. The turn it cuts short, and any after it, are not kept: a
    /// page given up is no failure of the site's, and a crawl carried on later fetches it again.
    void Abort() noexcept {
        aborted_.store(true);
        if (fetcher_) {
            fetcher_->Abort();
        }
        if (statusFetcher_) {
            statusFetcher_->Abort();
        }
    }

    /// Called while a fetch blocks, besides the setup's wait; replaces an earlier one.
    void OnWait(std::function<void()> wait);
    /// Pages fetched ahead and waiting in the fetcher's store.
    std::size_t HeldAhead() const { return fetcher_ ? fetcher_->StoredPages() : 0; }
    /// Whether the fetch in progress has sent nothing yet and only waits out a politeness pause.
    bool OnlyWaiting() const {
        return (fetcher_ && fetcher_->IsOnlyWaiting()) || (statusFetcher_ && statusFetcher_->IsOnlyWaiting());
    }

    /// Whether the fetch in progress is of a file that is no page (robots.txt, a sitemap): giving it up
    /// loses no page, and a sitemap that never answers must not hold a stop for its whole time-out.
    bool FetchingFile() const { return fetcher_ && fetcher_->IsFetchingFile(); }

    crawl::CrawlEngine& Engine() { return engine_; }
    const crawl::CrawlEngine& Engine() const { return engine_; }
    /// Why the last run stopped on its own (a memory bound, the file it is kept in), in words for
    /// the user; empty when it did not.
    std::string StopReason() const;

private:
    /// The engine's fetcher for the controller's life, handing each call on to the current one, so
    /// that Prepare may replace the fetcher under an engine that keeps its list.
    class CurrentPages final : public crawl::PageFetcher {
    public:
        crawl::FetchedPage Fetch(const std::string& url) override { return to->Fetch(url); }
        crawl::FetchedPage FetchWhole(const std::string& url) override { return to->FetchWhole(url); }
        crawl::FetchedPage FetchStatus(const std::string& url) override { return to->FetchStatus(url); }
        void SetHostDelay(std::string_view url, std::chrono::milliseconds delay) override {
            to->SetHostDelay(url, delay);
        }
        std::unique_ptr<crawl::PageFetcher> FileFetcher(std::function<bool()> giveUp) override {
            return to->FileFetcher(std::move(giveUp));
        }
        crawl::PageFetcher* to = nullptr;
    };

    /// Hands whole turns on to the store until the run is aborted.
    class KeptTurns final : public crawl::RunJournal {
    public:
        explicit KeptTurns(const std::atomic<bool>& aborted) : aborted_(aborted) {}
        void TurnEnded(const crawl::RunSnapshot& state) override {
            if (to != nullptr && !aborted_.load()) {
                to->TurnEnded(state);
            }
        }
        crawl::RunJournal* to = nullptr;

    private:
        const std::atomic<bool>& aborted_;
    };

    void MakeFetcher(const RunSetup& setup);
    void MakeNetPages();
    void WireWait();

    std::unique_ptr<net::Fetcher> fetcher_;
    // With checkExternal: the targets of links the crawl does not follow are asked for their status apart.
    std::unique_ptr<net::Fetcher> statusFetcher_;
    std::unique_ptr<NetPageFetcher> netPages_;
    // Between the engine and the net pages when the run renders them.
    std::unique_ptr<RenderingFetcher> renderPages_;
    // How the net fetcher reads pages for the run in progress.
    bool resolveAhead_ = false;
    bool analyseText_ = false;
    bool readText_ = false;
    /// What the fetcher's readers read each page's content for; none when the run asks for nothing of it.
    std::shared_ptr<const crawl::ContentAuditChoices> content_;
    CurrentPages pages_;
    RunSetup fetcherSetup_;
    ListenerFan fan_;
    crawl::CrawlEngine engine_;
    crawl::RuleSet rules_;
    store::CrawlStore* store_ = nullptr;
    std::unique_ptr<store::CrawlRecorder> recorder_;
    std::atomic<bool> aborted_{false};
    KeptTurns keptTurns_{aborted_};
    std::string keepError_;
    std::function<void()> setupWait_;
    std::function<void()> extraWait_;
};

} // namespace vortaxel::app
