#include "crawl_engine.h"

#include "browser_rules.h"
#include "classic_rules.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <new>
#include <stdexcept>

namespace vortaxel::crawl {

namespace {

/// Raises a flag for a scope and puts back its old value when the scope ends, also when a
/// listener call throws through it.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

std::unique_ptr<LinkRules> MakeRules(RuleSet rules, UrlStore& store) {
    switch (rules) {
    case RuleSet::Browser:
        return std::make_unique<BrowserRules>(store);
    case RuleSet::Classic:
        break;
    }
    return std::make_unique<ClassicRules>(store);
}

} // namespace

void CrawlRun::List(UrlId id) {
    found_.Append(id);
    listener_.PageFound(found_.Count() - 1, found_.Text(found_.Count() - 1));
}

FetchedPage CrawlRun::Fetch(const std::string& url) {
    pageBuffer_.clear();
    FetchedPage page;
    try {
        page = gate_ != nullptr ? gate_->Fetch(url) : fetcher_.Fetch(url);
    } catch (const std::bad_alloc&) {
        throw; // not the page's failure but the run's: it stops
    } catch (const std::exception& error) {
        // A fetch that fails in any way is a page without links; the run goes on.
        page = FetchedPage::Failure(error.what());
    }
    if (page) {
        pageBuffer_ = std::move(page.body);
    }
    page.body.clear();
    listener_.PageFetched(url, page);
    return page;
}

bool CrawlRun::Admit(const std::string& url) {
    if (gate_ == nullptr || gate_->Allows(url)) {
        return true;
    }
    // A robots.txt fetch that a stop cut short says nothing about the host: no block to report.
    const bool stopping = stop_ != nullptr && stop_->load(std::memory_order_relaxed);
    if (!stopping && gate_->FirstBlock(url)) {
        listener_.PageBlocked(url);
    }
    return false;
}

CrawlEngine::CrawlEngine(PageFetcher& fetcher, CrawlListener& listener) : fetcher_(fetcher), listener_(listener) {}

CrawlEngine::~CrawlEngine() = default;

void CrawlEngine::Run(const std::string& startText, RuleSet rules) {
    if (running_) {
        return;
    }
    FlagScope running(running_);
    stopRequested_.store(false, std::memory_order_relaxed);
    end_ = RunEnd::QueueEmpty;
    stopReason_.clear();
    startText_ = startText;
    ruleSet_ = rules;
    const RunLimits limits = limits_;
    try {
        Loop(limits);
    } catch (const std::bad_alloc&) {
        // The queue and the page go, so that what the user keeps (the found list, its keyword
        // file and report) has memory to be written in; the list itself is whole.
        rules_.reset();
        std::string().swap(pageBuffer_);
        StopFor(RunEnd::OutOfMemory, "out of memory");
    } catch (const std::length_error& error) {
        // The store's own limits, met only with a budget above them.
        StopFor(RunEnd::MemoryBudget, std::string("URL store full: ") + error.what());
    }
    if (end_ == RunEnd::QueueEmpty && StopRequested()) {
        end_ = RunEnd::Stopped;
    }
    listener_.RunEnded();
}

void CrawlEngine::Loop(const RunLimits& limits) {
    // The old rules hold no marks worth releasing: emptying the store first spares the lists
    // releasing their entries one by one.
    rules_.reset();
    store_.Clear();
    list2_.Clear();
    rules_ = MakeRules(ruleSet_, store_);
    gate_.reset();
    CrawlRun run(store_, list2_, fetcher_, listener_, startText_, pageBuffer_, limits);
    if (obeyRobots_) {
        gate_ = std::make_unique<RobotsGate>(fetcher_);
        run.SetGate(gate_.get(), &stopRequested_);
    }
    listener_.RunStarted();
    rules_->Begin(run);
    while (rules_->HasWork() && !StopRequested()) {
        listener_.Yield();
        if (!rules_->HasWork()) {
            break;
        }
        rules_->Turn(run);
        if (rules_->HasWork() && MemoryBytes() >= limits.storeBytes) {
            StopFor(RunEnd::MemoryBudget, "URL store reached its memory budget of " + BudgetText(limits.storeBytes));
        }
    }
}

void CrawlEngine::StopFor(RunEnd end, std::string reason) {
    end_ = end;
    stopReason_ = std::move(reason);
    Stop();
}

std::size_t CrawlEngine::MemoryBytes() const {
    return store_.MemoryBytes() + list2_.MemoryBytes() + (rules_ ? rules_->MemoryBytes() : 0) +
           (gate_ ? gate_->MemoryBytes() : 0);
}

void CrawlEngine::NextVisits(std::size_t wanted, std::vector<std::string>& out) const {
    if (rules_) {
        const std::size_t before = out.size();
        rules_->NextVisits(list2_, wanted, out);
        if (gate_) {
            // Fetching ahead must not fetch what robots.txt forbids, nor guess for a host not yet asked.
            const auto kept = std::remove_if(out.begin() + std::ptrdiff_t(before), out.end(),
                                             [&](const std::string& url) { return !gate_->KnownToAllow(url); });
            out.erase(kept, out.end());
        }
    }
}

bool CrawlEngine::IsNewLink(std::string_view url) const {
    return rules_ ? rules_->IsNewLink(list2_, url) : true;
}

std::size_t CrawlEngine::QueueCount() const {
    return rules_ ? rules_->QueueCount() : 0;
}

std::string_view CrawlEngine::QueueText(std::size_t i) const {
    return rules_->QueueText(i);
}

std::size_t CrawlEngine::QueueOccurrences(std::string_view url) const {
    return rules_ ? rules_->QueueOccurrences(url) : 0;
}

} // namespace vortaxel::crawl
