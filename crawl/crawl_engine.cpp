#include "crawl/crawl_engine.h"

#include "crawl/browser/browser_rules.h"
#include "crawl/classic/classic_rules.h"

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

CrawlEngine::CrawlEngine(PageFetcher& fetcher, CrawlListener& listener) : fetcher_(fetcher), listener_(listener) {}

CrawlEngine::~CrawlEngine() = default;

RunEnd CrawlEngine::Run(const std::string& startText, RuleSet rules, ResumeSource* from) {
    if (running_) {
        return RunEnd::QueueEmpty;
    }
    FlagScope running(running_);
    stopRequested_.store(false, std::memory_order_relaxed);
    end_ = RunEnd::QueueEmpty;
    stopReason_.clear();
    startText_ = startText;
    ruleSet_ = rules;
    const RunLimits limits = limits_;
    try {
        Loop(limits, from);
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
    return end_;
}

void CrawlEngine::Loop(const RunLimits& limits, ResumeSource* from) {
    // The old rules hold no marks worth releasing: emptying the store first spares the lists
    // releasing their entries one by one.
    rules_.reset();
    store_.Clear();
    list2_.Clear();
    rules_ = MakeRules(ruleSet_, store_);
    gate_.reset();
    CrawlRun run(store_, list2_, fetcher_, listener_, startText_, pageBuffer_, limits, stopRequested_);
    if (obeyRobots_) {
        gate_ = std::make_unique<RobotsGate>(fetcher_, limits.controls.robotsAgent);
        run.SetGate(gate_.get());
    }
    listener_.RunStarted();
    if (from != nullptr) {
        rules_->Resume(run, *from);
    } else {
        rules_->Begin(run);
    }
    TurnEnded();
    if (list2_.Count() >= limits.pages) {
        Stop(); // a kept run that has its pages already
    }
    while (rules_->HasWork() && !StopRequested()) {
        listener_.Yield();
        if (!rules_->HasWork()) {
            break;
        }
        rules_->Turn(run);
        TurnEnded();
        if (rules_->HasWork() && MemoryBytes() >= limits.storeBytes) {
            StopFor(RunEnd::MemoryBudget, "URL store reached its memory budget of " + BudgetText(limits.storeBytes));
        }
    }
}

void CrawlEngine::TurnEnded() {
    if (journal_ != nullptr) {
        journal_->TurnEnded(RunSnapshot(list2_, *rules_));
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

} // namespace vortaxel::crawl
