#pragma once

#include "crawl_host.h"
#include "crawl_queue.h"
#include "found_list.h"
#include "url_store.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// One crawl run from start to stop, on the window's behalf. Owns the crawl queue `List1`,
/// the found list `List2` and the page buffer `RichTextBox1`; reaches the window and the
/// platform only through its host.
///
/// Single-threaded: every call comes from the thread that runs the loop, except
/// `cmdstop_Click`, which may also come from another thread or a signal handler.
class CrawlEngine {
public:
    explicit CrawlEngine(CrawlHost& host);
    CrawlEngine(const CrawlEngine&) = delete;
    CrawlEngine& operator=(const CrawlEngine&) = delete;

    // Window events.

    /// Starts a run from the URL field and returns when it has ended. While a run is active it
    /// only asks that run to stop; once its closing steps have run, a new run starts from what
    /// the field holds then. Several such requests during one run give one restart.
    void cmdstart_Click();
    /// Enter (13) starts a run; every code is left as it is.
    void txturl_KeyPress(int& keyAscii);
    /// Asks the loop to end after the turn in progress, and withdraws a restart asked for during
    /// the run: the user's latest word wins. Only stores to lock-free atomics, so it is safe from
    /// a signal handler or another thread.
    void cmdstop_Click();
    /// The select-all rule: while the box is ticked, selects every found entry.
    void chkSelect_Click();

    /// True when `url` occurs at most once in the queue and the found list together.
    bool IsNewLink(std::string_view url) const;

    /// From the moment a start gets past its refusals until its closing steps have run.
    bool IsRunning() const { return running_; }
    bool StopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }

    FoundList& List2() { return list2_; }
    const FoundList& List2() const { return list2_; }
    /// Whether `url` is in the found list; O(1).
    bool IsFound(std::string_view url) const { return list2_.Contains(url); }
    /// The crawl queue, head first. O(1); a text is valid until the queue next changes.
    std::size_t QueueCount() const { return list1_.Count(); }
    std::string_view QueueText(std::size_t i) const { return list1_.Text(i); }
    /// How many queue entries equal `url`; O(1) between turns.
    std::size_t QueueOccurrences(std::string_view url) const { return list1_.Occurrences(url); }
    const std::string& PageBuffer() const { return pageBuffer_; }
    /// Bytes held by the URL store, for measurements.
    std::size_t StoreBytes() const { return store_.MemoryBytes(); }

private:
    void StartRun();
    // The crawl loop and its steps.
    void ProcessLinks();
    void VisitHead(UrlId head);
    /// Empties the page buffer, then fills it with the page; a failed fetch leaves it empty.
    void FetchPage(const std::string& url);
    /// Drops the queue entries that the queue rules remove against the URL field's text.
    void FilterQueue();
    void ShowRefusal();
    bool IsNewId(UrlId id) const;

    static_assert(std::atomic<bool>::is_always_lock_free);

    CrawlHost& host_;
    UrlStore store_;
    CrawlQueue list1_{store_};
    FoundList list2_{store_};
    std::string pageBuffer_;
    std::string headText_;
    std::atomic<bool> stopRequested_{false};
    bool running_ = false;
    std::atomic<bool> restartRequested_{false};
};

} // namespace vortaxel::crawl
