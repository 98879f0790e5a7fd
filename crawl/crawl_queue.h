#pragma once

#include "crawl/link_sink.h"
#include "crawl/url_store.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// The crawl queue `List1`: URLs still to visit, head first, repeats allowed.
///
/// Entries that passed the last filter pass are ids in the shared store, which counts how often
/// the queue holds each URL, so a repeat test costs O(1). Links the extractors append wait as
/// text until the next pass, and only those that survive it are stored, so off-site links never
/// reach the store. A joined link waits as its tail beside one copy of the base, so a page of
/// short links under a long start URL costs the page's size, not that size times the base's. A
/// pass examines only entries it has not yet examined against the same start URL; the rules
/// depend on nothing else, so the outcome equals a full pass.
class CrawlQueue final : public LinkSink {
public:
    explicit CrawlQueue(UrlStore& store) : store_(store) {}

    /// Appends an extracted link; it waits as text until the next `Filter`.
    void Append(std::string_view link) override;
    void AppendJoined(std::string_view base, std::string_view tail) override;

    /// From here until `EndPage`, links are taken until their joined bytes would pass `budget`;
    /// that link and every later one are dropped.
    void BeginPage(std::uint64_t budget);
    /// How many links the page had dropped. Lifts the budget.
    std::size_t EndPage();
    /// Appends a stored URL that no pass has examined yet.
    void PushBack(UrlId id);

    std::size_t Count() const { return ids_.size() - head_ + pending_.size(); }
    /// Entry `i` (0 is the head). Valid until the queue next changes; for a link still waiting
    /// from the extractors, only until the next call.
    std::string_view Text(std::size_t i) const;
    /// The head's id, storing it first if it still waits as text. The queue must not be empty.
    UrlId Head();
    void PopHead();
    /// How many entries equal `url`.
    std::size_t Occurrences(std::string_view url) const;
    /// How many entries equal the stored URL `id`.
    std::size_t Occurrences(UrlId id) const;

    /// Removes every entry that the queue rules remove against `startUrl`, keeping the order.
    void Filter(std::string_view startUrl);
    /// Removes every entry. Their counts in the store are released, unless the store has been
    /// cleared already, which makes this O(1) at the start of a run.
    void Clear();

    /// Bytes held by the queue itself; the URLs' text is the store's.
    std::size_t MemoryBytes() const;

    /// Entries taken from the head since the queue was made or cleared.
    std::uint64_t Popped() const { return popped_; }
    /// Passes that removed entries already stored: after one, the queue is no longer the entries
    /// popped followed by those stored since.
    std::uint64_t Reorders() const { return reorders_; }

private:
    struct Staged {
        std::size_t pending;
        std::uint64_t hash;
    };

    /// A link waiting as text: its own bytes end at `end` in pendingText_, behind base `base` - 1,
    /// or behind nothing when `base` is 0.
    struct Pending {
        std::size_t end;
        std::size_t base;
    };

    bool Admit(std::uint64_t bytes);
    std::string_view PendingOwn(std::size_t j) const;
    std::string_view PendingBase(std::size_t j) const;
    std::string_view PendingText(std::size_t j) const;
    std::size_t PendingOccurrences(std::string_view url) const;
    /// Stores every waiting link, unexamined, as if no pass were pending.
    void Settle();
    void ClearPending();
    void Push(UrlId id);

    UrlStore& store_;
    std::vector<UrlId> ids_;
    std::size_t head_ = 0;
    // ids_[head_, examined_) have survived a pass against filteredAgainst_.
    std::size_t examined_ = 0;
    std::string filteredAgainst_;
    std::string pendingText_;
    std::vector<std::string> pendingBases_;
    std::vector<Pending> pending_;
    // Where a waiting joined link is put together when it is read whole.
    mutable std::string joined_;
    std::vector<Staged> staged_;
    std::uint64_t pageBytesLeft_ = UINT64_MAX;
    std::size_t droppedOnPage_ = 0;
    std::uint64_t popped_ = 0;
    std::uint64_t reorders_ = 0;
};

} // namespace vortaxel::crawl
