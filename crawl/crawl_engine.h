#pragma once

#include "crawl/crawl_listener.h"
#include "crawl/found_list.h"
#include "crawl/link_rules.h"
#include "crawl/page_fetcher.h"
#include "crawl/robots/robots_gate.h"
#include "crawl/rule_set.h"
#include "crawl/run_journal.h"
#include "crawl/run_limits.h"
#include "crawl/url_store.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// How a run ended. The last two are stops the engine made itself: the found list holds every
/// page listed until then, and `StopReason` says why.
enum class RunEnd { QueueEmpty, Stopped, MemoryBudget, OutOfMemory };

/// Crawls a site breadth-first. Owns the found list `List2`, the URL store and the page buffer
/// `RichTextBox1`; the rule set of the run owns the crawl queue `List1`. Pages come from the
/// fetcher it is given; what happens is told to its listener.
///
/// Single-threaded: every call comes from the thread that runs the loop, except `Stop`, which may
/// also come from another thread or a signal handler.
class CrawlEngine {
public:
    CrawlEngine(PageFetcher& fetcher, CrawlListener& listener);
    ~CrawlEngine();
    CrawlEngine(const CrawlEngine&) = delete;
    CrawlEngine& operator=(const CrawlEngine&) = delete;

    /// Runs one crawl from `startText` (as prepared by PrepareStartText) under `rules`, and returns
    /// how it ended: the queue is empty or a stop was asked for. Empties the lists of the previous run
    /// first. With `from`, the run carries on from a kept run of the same start text and rules
    /// instead of starting at the start page. Ignored (QueueEmpty) while a run is active: the loop
    /// never nests inside its own yield.
    RunEnd Run(const std::string& startText, RuleSet rules, ResumeSource* from = nullptr);
    /// Asks the loop to end after the turn in progress. Only stores to a lock-free atomic, so it is
    /// safe from a signal handler or another thread.
    void Stop() noexcept { stopRequested_.store(true, std::memory_order_relaxed); }
    /// The start text the classic rules join links to and filter by: the URL field as the user has
    /// it now. A window passes every edit on.
    void SetStartText(const std::string& text) { startText_ = text; }
    /// Hears the state of the runs started from now on whenever it is whole; nullptr for none.
    void SetJournal(RunJournal* journal) { journal_ = journal; }
    /// The bounds of the runs started from now on.
    void SetLimits(const RunLimits& limits) { limits_ = limits; }
    const RunLimits& Limits() const { return limits_; }
    /// Whether the runs started from now on obey robots.txt: off by default, so a run makes no
    /// request but its pages'. When on, an address robots.txt disallows is neither fetched nor
    /// listed, and the listener hears `PageBlocked` instead.
    void SetObeyRobots(bool obey) { obeyRobots_ = obey; }

    /// For a run that the URL budget or an allocation failure stopped, why, in words for the
    /// user: "URL store reached its memory budget of 4096 MiB", "out of memory". Empty otherwise.
    const std::string& StopReason() const { return stopReason_; }

    /// After a run, why its start page gave no page, in words for the user (see LinkRules); empty
    /// when it did.
    std::string StartFailure() const { return rules_ ? rules_->StartFailure() : std::string(); }

    /// Appends up to `wanted` pages the loop is sure to fetch after the one in progress, soonest
    /// first: what fetching ahead asks for. Fetching them ahead changes when they are fetched, never
    /// which pages are.
    void NextVisits(std::size_t wanted, std::vector<std::string>& out) const;

    /// Whether the run's robots.txt gate lets `url` be fetched, its host's robots.txt fetched first when not
    /// known yet: the one cache of robots.txt for everything a run asks for. True when the run obeys none.
    bool RobotsAllow(std::string_view url) { return !gate_ || gate_->Allows(url); }

    /// Whether a link found now would be taken as new by the current rules.
    bool IsNewLink(std::string_view url) const;

    /// From the start of a run until its loop has ended.
    bool IsRunning() const { return running_; }
    bool StopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }

    FoundList& List2() { return list2_; }
    const FoundList& List2() const { return list2_; }
    /// The crawl queue, head first. A text is valid until the queue next changes.
    std::size_t QueueCount() const;
    std::string_view QueueText(std::size_t i) const;
    const std::string& PageBuffer() const { return pageBuffer_; }
    /// Bytes held by the URL store, for measurements.
    std::size_t StoreBytes() const { return store_.MemoryBytes(); }

private:
    /// Bytes the run's URLs hold: the store, the queue and the found list. What the run budget
    /// bounds.
    std::size_t MemoryBytes() const;

    static_assert(std::atomic<bool>::is_always_lock_free);

    void Loop(const RunLimits& limits, ResumeSource* from);
    void TurnEnded();
    /// Ends the run as a stop of the engine's own.
    void StopFor(RunEnd end, std::string reason);

    PageFetcher& fetcher_;
    CrawlListener& listener_;
    UrlStore store_;
    FoundList list2_{store_};
    std::unique_ptr<LinkRules> rules_;
    std::unique_ptr<RobotsGate> gate_;
    RunJournal* journal_ = nullptr;
    bool obeyRobots_ = false;
    RuleSet ruleSet_ = RuleSet::Classic;
    std::string startText_;
    std::string pageBuffer_;
    RunLimits limits_;
    RunEnd end_ = RunEnd::QueueEmpty;
    std::string stopReason_;
    std::atomic<bool> stopRequested_{false};
    bool running_ = false;
};

} // namespace vortaxel::crawl
