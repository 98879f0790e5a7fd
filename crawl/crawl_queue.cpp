#include "crawl_queue.h"

#include "queue_filter.h"

#include <algorithm>

namespace vortaxel::crawl {

namespace {
// The visited prefix is dropped once it is this long and at least half of the storage.
constexpr std::size_t kCompactAfter = 4096;
// How far ahead of the head records are fetched: heads that turn out not to be new are dropped
// in quick succession, each needing its record.
constexpr std::size_t kLookAhead = 8;
} // namespace

void CrawlQueue::Append(std::string_view link) {
    pendingText_.append(link);
    pendingEnds_.push_back(pendingText_.size());
}

void CrawlQueue::AppendJoined(std::string_view base, std::string_view tail) {
    pendingText_.append(base).append(tail);
    pendingEnds_.push_back(pendingText_.size());
}

void CrawlQueue::PushBack(UrlId id) {
    Settle();
    Push(id);
}

void CrawlQueue::Push(UrlId id) {
    store_.AddQueued(id);
    ids_.push_back(id);
}

std::string_view CrawlQueue::PendingText(std::size_t j) const {
    const std::size_t begin = j == 0 ? 0 : pendingEnds_[j - 1];
    return std::string_view(pendingText_).substr(begin, pendingEnds_[j] - begin);
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
    for (std::size_t j = 0; j < pendingEnds_.size(); ++j) {
        count += PendingText(j) == url ? 1 : 0;
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
    return pendingEnds_.empty() ? stored : stored + PendingOccurrences(store_.Text(id));
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
    ids_.resize(kept);
    // Survivors are looked up in three sweeps so that their memory loads overlap.
    staged_.clear();
    for (std::size_t j = 0; j < pendingEnds_.size(); ++j) {
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
    pendingText_.clear();
    pendingEnds_.clear();
    examined_ = ids_.size();
}

void CrawlQueue::Settle() {
    for (std::size_t j = 0; j < pendingEnds_.size(); ++j) {
        Push(store_.Intern(PendingText(j)));
    }
    pendingText_.clear();
    pendingEnds_.clear();
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
    pendingText_.clear();
    pendingEnds_.clear();
}

} // namespace vortaxel::crawl
