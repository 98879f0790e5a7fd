#pragma once

#include "crawl/crawl_run.h"
#include "crawl/found_list.h"
#include "crawl/run_journal.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// One rule set: which links a page yields, which are queued, which pages are listed. The engine's
/// loop calls `Turn` while `HasWork` holds and no stop was asked for; one object serves one run.
class LinkRules {
public:
    virtual ~LinkRules() = default;

    /// Queues the start page.
    virtual void Begin(CrawlRun& run) = 0;
    /// Instead of `Begin`: takes up a kept run's found list and queue, so that the turns that follow
    /// are those the kept run would have made next.
    virtual void Resume(CrawlRun& run, ResumeSource& from) = 0;
    virtual bool HasWork() const = 0;
    /// Visits (or drops) the queue's head.
    virtual void Turn(CrawlRun& run) = 0;
    /// The loop has ended: work still going on beside it ends too. True when that told the listener
    /// something, which the journal is then to keep.
    virtual bool End(CrawlRun& /*run*/) { return false; }

    /// Appends up to `wanted` pages the loop is sure to fetch next, soonest first, the turn in
    /// progress excluded: a later link may postpone them but never cancel them.
    virtual void NextVisits(const FoundList& found, std::size_t wanted, std::vector<std::string>& out) const = 0;
    /// Whether a link found now would still be queued as new.
    virtual bool IsNewLink(const FoundList& found, std::string_view url) const = 0;

    virtual std::size_t QueueCount() const = 0;
    /// Entry `i`, 0 being the head. Valid until the queue next changes.
    virtual std::string_view QueueText(std::size_t i) const = 0;
    virtual std::size_t QueueOccurrences(std::string_view url) const = 0;
    virtual QueueProgress Progress() const = 0;
    /// See RunSnapshot::RulesNote.
    virtual std::string RulesNote() const { return {}; }
    /// Why the run's start page yielded no page, in words for the user; empty when it did, when the
    /// run carried on a kept one, or when a stop came first.
    virtual std::string StartFailure() const { return {}; }
    /// See RunSnapshot::WorkBesideQueue.
    virtual bool WorkBesideQueue() const { return false; }
    /// Bytes the rules hold beside the store's URLs, counted against the run's budget.
    virtual std::size_t MemoryBytes() const { return 0; }
};

inline std::size_t RunSnapshot::QueueCount() const {
    return rules_.QueueCount();
}
inline std::string_view RunSnapshot::QueueText(std::size_t i) const {
    return rules_.QueueText(i);
}
inline QueueProgress RunSnapshot::Queue() const {
    return rules_.Progress();
}
inline std::string RunSnapshot::RulesNote() const {
    return rules_.RulesNote();
}
inline bool RunSnapshot::WorkBesideQueue() const {
    return rules_.WorkBesideQueue();
}

} // namespace vortaxel::crawl
