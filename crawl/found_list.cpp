#include "crawl/found_list.h"

#include <algorithm>

namespace vortaxel::crawl {

FoundList::FoundList() : ownStore_(std::make_unique<UrlStore>()), store_(ownStore_.get()) {}

FoundList::FoundList(UrlStore& store) : store_(&store) {}

void FoundList::SetSelected(std::size_t i, bool selected) {
    if (IsSelected(i) == selected) {
        return;
    }
    selected_[i] = selected ? 1 : 0;
    if (selected) {
        ++selectedCount_;
    } else {
        --selectedCount_;
        selectedPrefix_ = std::min(selectedPrefix_, i);
    }
    if (observer_) {
        observer_->FoundSelectionChanged(i, i);
    }
}

void FoundList::SelectAll() {
    if (selectedCount_ == ids_.size()) {
        selectedPrefix_ = ids_.size();
        return;
    }
    std::size_t first = ids_.size();
    std::size_t last = 0;
    for (std::size_t i = selectedPrefix_; i < ids_.size(); ++i) {
        if (selected_[i] == 0) {
            selected_[i] = 1;
            first = std::min(first, i);
            last = i;
        }
    }
    selectedCount_ = ids_.size();
    selectedPrefix_ = ids_.size();
    if (observer_ && first <= last) {
        observer_->FoundSelectionChanged(first, last);
    }
}

void FoundList::Append(UrlId id) {
    // All or nothing: a run stopped by an allocation failure here keeps its list whole.
    ids_.push_back(id);
    try {
        selected_.push_back(0);
    } catch (...) {
        ids_.pop_back();
        throw;
    }
    store_->SetListed(id, true);
    if (observer_) {
        observer_->FoundListAppended(ids_.size() - 1);
    }
}

void FoundList::Clear() {
    if (ownStore_) {
        ownStore_->Clear();
    } else if (store_->Size() != 0) {
        for (const UrlId id : ids_) {
            store_->SetListed(id, false);
        }
    }
    ids_.clear();
    selected_.clear();
    selectedPrefix_ = 0;
    selectedCount_ = 0;
    if (observer_) {
        observer_->FoundListCleared();
    }
}

std::size_t FoundList::MemoryBytes() const {
    return ids_.capacity() * sizeof(UrlId) + selected_.capacity();
}

bool FoundList::Contains(std::string_view url) const {
    UrlId id;
    return store_->Find(url, id) && Contains(id);
}

} // namespace vortaxel::crawl
