#pragma once

#include "crawl/url_store.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// Told of every change to the found list, so a view can follow it without rescanning.
class FoundListObserver {
public:
    virtual ~FoundListObserver() = default;
    /// Every entry was removed.
    virtual void FoundListCleared() = 0;
    /// One entry was appended at `index` (always the last).
    virtual void FoundListAppended(std::size_t index) = 0;
    /// The selected flags of entries `first`..`last` (inclusive) may have changed.
    virtual void FoundSelectionChanged(std::size_t first, std::size_t last) = 0;
};

/// The found list `List2`: the URLs visited, in visiting order, each with a selected flag.
/// The engine appends and clears; views, the export and the command line read it and set flags.
class FoundList {
public:
    /// A list with a URL store of its own, for use without an engine.
    FoundList();
    /// A list whose entries are ids in `store`, which must outlive it.
    explicit FoundList(UrlStore& store);
    FoundList(const FoundList&) = delete;
    FoundList& operator=(const FoundList&) = delete;
    ~FoundList() = default;

    std::size_t Count() const { return ids_.size(); }
    /// The URL of entry `i`, as queued. Valid until the list is cleared.
    std::string_view Text(std::size_t i) const { return store_->Text(ids_[i]); }
    bool IsSelected(std::size_t i) const { return selected_[i] != 0; }
    /// A user's click on one entry.
    void SetSelected(std::size_t i, bool selected);
    /// Selects every entry; O(1) when all are already selected.
    void SelectAll();
    /// Not owned; nullptr detaches.
    void SetObserver(FoundListObserver* observer) { observer_ = observer; }

    // Engine side.

    /// Appends a URL, unselected.
    void Append(UrlId id);
    void Append(std::string_view url) { Append(store_->Intern(url)); }
    /// Removes every entry. A list with a store of its own empties that store too; a shared store
    /// keeps its URLs and has their marks released, unless it has been cleared already, which
    /// makes this O(1) at the start of a run.
    void Clear();
    /// Whether the stored URL `id` is listed; O(1).
    bool Contains(UrlId id) const { return store_->IsListed(id); }
    bool Contains(std::string_view url) const;
    std::size_t SelectedCount() const { return selectedCount_; }
    /// Bytes of the list's own vectors; the URLs' text is the store's.
    std::size_t MemoryBytes() const;

private:
    std::unique_ptr<UrlStore> ownStore_;
    UrlStore* store_;
    FoundListObserver* observer_ = nullptr;
    std::vector<UrlId> ids_;
    std::vector<std::uint8_t> selected_;
    // Entries [0, selectedPrefix_) are all selected; SelectAll starts looking there.
    std::size_t selectedPrefix_ = 0;
    std::size_t selectedCount_ = 0;
};

} // namespace vortaxel::crawl
