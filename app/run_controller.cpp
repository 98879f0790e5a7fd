#include "app/run_controller.h"

#include "store/read/kept_crawl.h"

namespace vortaxel::app {

void ListenerFan::RunStarted() {
    for (auto* listener : listeners_) {
        listener->RunStarted();
    }
}

void ListenerFan::RunEnded() {
    for (auto* listener : listeners_) {
        listener->RunEnded();
    }
}

void ListenerFan::PageFound(std::size_t index, std::string_view url) {
    for (auto* listener : listeners_) {
        listener->PageFound(index, url);
    }
}

void ListenerFan::Yield() {
    for (auto* listener : listeners_) {
        listener->Yield();
    }
}

void ListenerFan::PageFetched(const std::string& url, const crawl::FetchedPage& page) {
    for (auto* listener : listeners_) {
        listener->PageFetched(url, page);
    }
}

void ListenerFan::LinksDropped(std::string_view url, std::size_t count) {
    for (auto* listener : listeners_) {
        listener->LinksDropped(url, count);
    }
}

void ListenerFan::PageBlocked(std::string_view url) {
    for (auto* listener : listeners_) {
        listener->PageBlocked(url);
    }
}

void ListenerFan::PageParsed(std::string_view url, const std::shared_ptr<const crawl::PageRead>& read) {
    for (auto* listener : listeners_) {
        listener->PageParsed(url, read);
    }
}

void ListenerFan::PageInSitemap(std::string_view url) {
    for (auto* listener : listeners_) {
        listener->PageInSitemap(url);
    }
}

void ListenerFan::MetPageInSitemap(std::string_view url) {
    for (auto* listener : listeners_) {
        listener->MetPageInSitemap(url);
    }
}

void ListenerFan::SitemapsRead(std::size_t files, std::size_t pages, const std::vector<std::string>& problems) {
    for (auto* listener : listeners_) {
        listener->SitemapsRead(files, pages, problems);
    }
}

void ListenerFan::QueuedUnlinked() {
    for (auto* listener : listeners_) {
        listener->QueuedUnlinked();
    }
}

RunController::RunController(const RunSetup& setup, crawl::CrawlListener& listener, crawl::PageFetcher& pages)
    : engine_(pages_, fan_), rules_(setup.rules) {
    pages_.to = &pages;
    fan_.Add(listener);
    engine_.SetLimits(setup.limits);
    engine_.SetObeyRobots(setup.obeyRobots);
}

RunController::RunController(const RunSetup& setup, crawl::CrawlListener& listener)
    : engine_(pages_, fan_), rules_(setup.rules), setupWait_(setup.wait) {
    MakeFetcher(setup);
    fan_.Add(listener);
    engine_.SetLimits(setup.limits);
    engine_.SetObeyRobots(setup.obeyRobots);
}

RunController::~RunController() = default;

void RunController::MakeFetcher(const RunSetup& setup) {
    // The old connections close before the new fetcher opens its own.
    renderPages_.reset();
    netPages_.reset();
    fetcher_.reset();
    statusFetcher_.reset();
    const net::FetchOptions options = FetchOptionsFor({setup.rules, setup.delay, setup.obeyRobots}, setup.fetch);
    fetcher_ = std::make_unique<net::Fetcher>(options, setup.parallel);
    if (setup.rules == crawl::RuleSet::Browser && setup.limits.controls.checkExternal) {
        statusFetcher_ = std::make_unique<net::Fetcher>(StatusFetchOptions(options));
    }
    fetcherSetup_ = setup;
    // What the fetcher was made for needs nothing of a list of addresses, which may be long.
    std::vector<std::string>().swap(fetcherSetup_.limits.controls.listed);
    MakeNetPages();
    if (setup.render && setup.rules == crawl::RuleSet::Browser) {
        renderPages_ =
            std::make_unique<RenderingFetcher>(*netPages_, *setup.render, options.userAgent, setup.obeyRobots,
                                               setup.limits.controls.robotsAgent, setup.parallel);
        renderPages_->UseRobotsOf([this](std::string_view url) { return engine_.RobotsAllow(url); });
        renderPages_->SetAheadList(
            [this](std::size_t wanted, std::vector<std::string>& out) { engine_.NextVisits(wanted, out); });
        pages_.to = renderPages_.get();
    }
    WireWait();
    // Fetching ahead changes when the engine's next pages are fetched, never which.
    net::Fetcher::AheadList ahead = [this](std::size_t wanted, std::vector<std::string>& out) {
        engine_.NextVisits(wanted, out);
    };
    fetcher_->SetAheadList(renderPages_ ? renderPages_->NotBegun(std::move(ahead)) : std::move(ahead));
}

void RunController::WireWait() {
    if (!setupWait_ && !extraWait_) {
        return;
    }
    const auto wait = [setupWait = setupWait_, extraWait = extraWait_] {
        if (setupWait) {
            setupWait();
        }
        if (extraWait) {
            extraWait();
        }
    };
    fetcher_->SetWaitCallback(wait);
    if (statusFetcher_) {
        statusFetcher_->SetWaitCallback(wait);
    }
}

namespace {

/// Whether two fetches say the same of who is asking, so that one fetcher serves both.
bool SameIdentity(const net::FetchOptions& a, const net::FetchOptions& b) {
    return a.userAgent == b.userAgent && a.headers == b.headers && a.httpLogin == b.httpLogin &&
           a.cookies == b.cookies && a.cookieOrigin == b.cookieOrigin;
}

} // namespace

void RunController::Prepare(const RunSetup& setup) {
    rules_ = setup.rules;
    engine_.SetObeyRobots(setup.obeyRobots);
    // The engine's other limits stay as its owner set them; the controls are each run's own.
    crawl::RunLimits limits = engine_.Limits();
    limits.controls = setup.limits.controls;
    engine_.SetLimits(limits);
    if (!fetcher_) {
        aborted_.store(false);
        return;
    }
    const RunSetup& was = fetcherSetup_;
    const bool same = setup.rules == was.rules && setup.obeyRobots == was.obeyRobots && setup.delay == was.delay &&
                      setup.parallel == was.parallel && SameIdentity(setup.fetch, was.fetch) &&
                      setup.limits.controls.checkExternal == was.limits.controls.checkExternal &&
                      setup.render == was.render;
    aborted_.store(false);
    if (same) {
        DropAhead();
        fetcher_->ClearAbort();
        if (statusFetcher_) {
            statusFetcher_->ClearAbort();
        }
    } else {
        setupWait_ = setup.wait ? setup.wait : setupWait_;
        MakeFetcher(setup);
    }
}

void RunController::ForgetLogin() {
    if (!fetcher_ || !fetcherSetup_.fetch.httpLogin) {
        return;
    }
    RunSetup setup = fetcherSetup_;
    setup.fetch.httpLogin.reset();
    MakeFetcher(setup);
}

void RunController::DropAhead() {
    if (!fetcher_) {
        return;
    }
    fetcher_->DropAhead();
    // Reads of dropped pages must not stand in for a later fetch of the same address.
    netPages_.reset();
    MakeNetPages();
}

void RunController::MakeNetPages() {
    netPages_ = std::make_unique<NetPageFetcher>(*fetcher_, fetcherSetup_.rules == crawl::RuleSet::Browser);
    // A fetcher made between the turns of a run reads its pages as the one before did.
    netPages_->ResolveLinksAhead(resolveAhead_);
    netPages_->AnalyseText(analyseText_);
    netPages_->ReadText(readText_);
    netPages_->AuditContent(content_);
    netPages_->SetStatusFetcher(statusFetcher_.get());
    pages_.to = netPages_.get();
    if (renderPages_) {
        renderPages_->SetPages(*netPages_);
        pages_.to = renderPages_.get();
    }
}

void RunController::KeepIn(store::CrawlStore& store, store::CrawlRecorder::Batch batch) {
    KeepNowhere();
    store_ = &store;
    recorder_ = std::make_unique<store::CrawlRecorder>(store, batch);
    recorder_->OnFailure([this] { engine_.Stop(); });
    fan_.Add(*recorder_);
    keptTurns_.to = recorder_.get();
    engine_.SetJournal(&keptTurns_);
}

void RunController::KeepNowhere() {
    if (recorder_) {
        fan_.Remove(*recorder_);
        engine_.SetJournal(nullptr);
        keptTurns_.to = nullptr;
        recorder_.reset();
    }
    store_ = nullptr;
}

crawl::RunEnd RunController::Run(const std::string& startText, bool resume) {
    keepError_.clear();
    std::optional<store::KeptCrawl> kept;
    if (resume && store_ != nullptr && store_->Progress().turns > 0) {
        kept.emplace(*store_);
    }
    resolveAhead_ = recorder_ != nullptr;
    analyseText_ = rules_ == crawl::RuleSet::Browser && engine_.Limits().keyPhrases;
    readText_ = rules_ == crawl::RuleSet::Browser && engine_.Limits().duplicates;
    content_.reset();
    if (rules_ == crawl::RuleSet::Browser && engine_.Limits().contentAudit.Any()) {
        content_ = std::make_shared<const crawl::ContentAuditChoices>(engine_.Limits().contentAudit);
    }
    if (netPages_) {
        netPages_->ResolveLinksAhead(resolveAhead_);
        netPages_->AnalyseText(analyseText_);
        netPages_->ReadText(readText_);
        netPages_->AuditContent(content_);
    }
    const crawl::RunEnd end = engine_.Run(startText, rules_, kept ? &*kept : nullptr);
    if (kept && !kept->Error().empty()) {
        keepError_ = kept->Error();
    } else if (recorder_ && !recorder_->Finish(end, engine_.StopReason())) {
        keepError_ = recorder_->Error();
    }
    return end;
}

std::string RunController::StopReason() const {
    if (!keepError_.empty()) {
        return keepError_;
    }
    return engine_.StopReason();
}

void RunController::OnWait(std::function<void()> wait) {
    extraWait_ = std::move(wait);
    if (fetcher_) {
        WireWait();
    }
}

} // namespace vortaxel::app
