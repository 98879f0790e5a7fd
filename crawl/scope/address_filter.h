#pragma once

#include "crawl/crawl_controls.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// The include and exclude patterns and the query parameters to strip that a user narrows a crawl with.
/// A pattern matches an address when it matches any part of it (as wget's --accept-regex does): anchor it
/// with ^ and $ to take the whole. All patterns of one kind are matched together in one linear pass, so
/// fifty cost about what one does, and no pattern, however written, takes more than linear time.
class AddressFilter {
public:
    /// The patterns must have passed AddressPatternError; one that did not matches nothing.
    explicit AddressFilter(const CrawlControls& controls);
    ~AddressFilter();
    AddressFilter(const AddressFilter&) = delete;
    AddressFilter& operator=(const AddressFilter&) = delete;
    AddressFilter(AddressFilter&&) noexcept;
    AddressFilter& operator=(AddressFilter&&) noexcept;

    /// Whether any pattern is given: without one, every address is admitted.
    bool HasPatterns() const { return include_ != nullptr || exclude_ != nullptr; }
    /// Whether `address` may be requested: it matches an include pattern (when any is given) and no exclude.
    bool Admits(std::string_view address) const;

    bool Strips() const { return !stripNames_.empty() || !stripPrefixes_.empty(); }
    /// Removes from `address` the query parameters named to be stripped, keeping the others in their order;
    /// a query left empty loses its "?". Names are compared byte for byte, as servers tell them apart.
    /// Returns whether anything was removed.
    bool StripQuery(std::string& address) const;

private:
    struct PatternSet;
    std::unique_ptr<PatternSet> include_;
    std::unique_ptr<PatternSet> exclude_;
    std::vector<std::string> stripNames_;
    std::vector<std::string> stripPrefixes_;
};

} // namespace vortaxel::crawl
