#pragma once

#include <cstddef>
#include <string_view>

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
    std::size_t Count() const;
    /// The URL of entry `i`, as queued. Valid until the list is cleared.
    std::string_view Text(std::size_t i) const;
    bool IsSelected(std::size_t i) const;
    /// A user's click on one entry.
    void SetSelected(std::size_t i, bool selected);
    /// Selects every entry; O(1) when all are already selected.
    void SelectAll();
    /// Not owned; nullptr detaches.
    void SetObserver(FoundListObserver* observer);

    // Engine-side operations and the storage are the engine's to define below.
};

} // namespace vortaxel::crawl
