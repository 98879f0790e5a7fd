#include "crawl/crawl_queue.h"

#include "crawl/queue_filter.h"

#include <algorithm>

namespace vortaxel::crawl {

namespace {
// The visited prefix is dropped once it is this long and at least half of the storage.
constexpr std::size_t kCompactAfter = 4096;
// How far ahead of the head records are fetched: heads that turn out not to be new are dropped
// in quick succession, each needing its record.
constexpr std::size_t kLookAhead = 8;
// A joined link keeps its base apart only from this length on: below it, copying the base costs
// less than putting the link together again at every read.
constexpr std::size_t kSharedBaseFrom = 64;
} // namespace

void CrawlQueue::Append(std::string_view link) {
    if (!Admit(link.size())) {
        return;
    }
    pendingText_.append(link);
    pending_.push_back({pendingText_.size(), 0});
}

void CrawlQueue::AppendJoined(std::string_view base, std::string_view tail) {
    if (!Admit(std::uint64_t{base.size()} + tail.size())) {
        return;
    }
    if (base.size() < kSharedBaseFrom) {
        pendingText_.append(base).append(tail);
        pending_.push_back({pendingText_.size(), 0});
        return;
    }
    // The extractors join every relative link of a page to the same base.
    if (pendingBases_.empty() || pendingBases_.back() != base) {
        pendingBases_.emplace_back(base);
    }
    pendingText_.append(tail);
    pending_.push_back({pendingText_.size(), pendingBases_.size()});
}

bool CrawlQueue::Admit(std::uint64_t bytes) {
    if (droppedOnPage_ == 0 && bytes <= pageBytesLeft_) {
        pageBytesLeft_ -= bytes;
        return true;
    }
    ++droppedOnPage_;
    return false;
}

void CrawlQueue::BeginPage(std::uint64_t budget) {
    pageBytesLeft_ = budget;
    droppedOnPage_ = 0;
}

std::size_t CrawlQueue::EndPage() {
    const std::size_t dropped = droppedOnPage_;
    BeginPage(UINT64_MAX);
    return dropped;
}

void CrawlQueue::PushBack(UrlId id) {
    Settle();
    Push(id);
}

void CrawlQueue::Push(UrlId id) {
    ids_.push_back(id);
    store_.AddQueued(id);
}

std::string_view CrawlQueue::PendingOwn(std::size_t j) const {
    const std::size_t begin = j == 0 ? 0 : pending_[j - 1].end;
    return std::string_view(pendingText_).substr(begin, pending_[j].end - begin);
}

std::string_view CrawlQueue::PendingBase(std::size_t j) const {
    return pending_[j].base == 0 ? std::string_view() : std::string_view(pendingBases_[pending_[j].base - 1]);
}

std::string_view CrawlQueue::PendingText(std::size_t j) const {
    if (pending_[j].base == 0) {
        return PendingOwn(j);
    }
    joined_.assign(PendingBase(j)).append(PendingOwn(j));
    return joined_;
}

std::string_view CrawlQueue::Text(std::size_t i) const {
    const std::size_t stored = ids_.size() - head_;
    return i < stored ? store_.Text(ids_[head_ + i]) : PendingText(i - stored);
}

UrlId CrawlQueue::Head() {
    if (head_ == ids_.size()) {
        Settle();
    }
    return ids_[head_];
}

void CrawlQueue::PopHead() {
    if (head_ == ids_.size()) {
        Settle();
    }
    store_.RemoveQueued(ids_[head_]);
    ++head_;
    ++popped_;
    if (head_ + kLookAhead < ids_.size()) {
        store_.PrefetchRecord(ids_[head_ + kLookAhead]);
    }
    if (head_ >= kCompactAfter && head_ * 2 >= ids_.size()) {
        ids_.erase(ids_.begin(), ids_.begin() + static_cast<std::ptrdiff_t>(head_));
        examined_ = examined_ > head_ ? examined_ - head_ : 0;
        head_ = 0;
    }
}

std::size_t CrawlQueue::PendingOccurrences(std::string_view url) const {
    std::size_t count = 0;
    for (std::size_t j = 0; j < pending_.size(); ++j) {
        const std::string_view base = PendingBase(j);
        const std::string_view own = PendingOwn(j);
        count += url.size() == base.size() + own.size() && url.starts_with(base) && url.ends_with(own) ? 1 : 0;
    }
    return count;
}

std::size_t CrawlQueue::Occurrences(std::string_view url) const {
    UrlId id;
    const std::size_t stored = store_.Find(url, id) ? store_.QueuedCount(id) : 0;
    return stored + PendingOccurrences(url);
}

std::size_t CrawlQueue::Occurrences(UrlId id) const {
    const std::size_t stored = store_.QueuedCount(id);
    return pending_.empty() ? stored : stored + PendingOccurrences(store_.Text(id));
}

void CrawlQueue::Filter(std::string_view startUrl) {
    std::size_t from = std::max(examined_, head_);
    if (startUrl != filteredAgainst_) {
        from = head_;
        filteredAgainst_.assign(startUrl);
    }
    std::size_t kept = from;
    for (std::size_t i = from; i < ids_.size(); ++i) {
        const UrlId id = ids_[i];
        if (IsFilteredOut(store_.Text(id), startUrl)) {
            store_.RemoveQueued(id);
        } else {
            ids_[kept++] = id;
        }
    }
    if (kept != ids_.size()) {
        ++reorders_;
    }
    ids_.resize(kept);
    // Survivors are looked up in three sweeps so that their memory loads overlap.
    staged_.clear();
    for (std::size_t j = 0; j < pending_.size(); ++j) {
        const std::string_view link = PendingText(j);
        if (!IsFilteredOut(link, startUrl)) {
            staged_.push_back({j, UrlStore::Hash(link)});
            store_.PrefetchSlot(staged_.back().hash);
        }
    }
    for (const Staged& link : staged_) {
        store_.PrefetchRecordOf(link.hash);
    }
    for (const Staged& link : staged_) {
        Push(store_.Intern(PendingText(link.pending), link.hash));
    }
    ClearPending();
    examined_ = ids_.size();
}

void CrawlQueue::Settle() {
    for (std::size_t j = 0; j < pending_.size(); ++j) {
        Push(store_.Intern(PendingText(j)));
    }
    ClearPending();
}

void CrawlQueue::Clear() {
    if (store_.Size() != 0) {
        for (std::size_t i = head_; i < ids_.size(); ++i) {
            store_.RemoveQueued(ids_[i]);
        }
    }
    ids_.clear();
    head_ = 0;
    examined_ = 0;
    filteredAgainst_.clear();
    popped_ = 0;
    reorders_ = 0;
    ClearPending();
}

void CrawlQueue::ClearPending() {
    pendingText_.clear();
    pendingBases_.clear();
    pending_.clear();
}

std::size_t CrawlQueue::MemoryBytes() const {
    return ids_.capacity() * sizeof(UrlId) + pendingText_.capacity() + pending_.capacity() * sizeof(Pending) +
           staged_.capacity() * sizeof(Staged);
}

} // namespace vortaxel::crawl
