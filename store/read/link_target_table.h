#pragma once

#include "store/sqlite_db.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vortaxel::store {

/// Every address a crawl's report has a row for (each fetched address and each page's own), with its last
/// fetch's outcome and the pages linking to it, counted as the links go by. Held in memory for crawls
/// small enough, so that the links pass finds a link's target in one lookup and counts the report's
/// inlinks without the index of links by target the file would otherwise sort every link into.
class LinkTargetTable {
public:
    struct Target {
        /// The address's last fetch; 0 when it was never fetched (a page known by where a redirect landed).
        std::int64_t fetchId = 0;
        int status = 0;
        bool blocked = false;
        std::string error;
        /// Distinct pages with a link to it, its own among them when it links to itself.
        std::uint64_t linkingPages = 0;
        /// The pages that link to their own address, which their own row does not count.
        std::vector<std::int64_t> selfLinking;
        /// The page that counted last: a page's links are kept one after another.
        std::int64_t lastPage = 0;
    };

    /// Loads the addresses of the crawl in `db`. False, holding nothing, when there are more than `most`
    /// or reading failed: the passes that would have used them read the file as before, and meet the failure there.
    bool Load(SqlDatabase& db, std::size_t most);

    /// The address's entry, or nullptr when no report row stands for it.
    Target* Find(std::string_view address);

    /// Starts the count afresh, before a pass over every link.
    void ClearCounts();
    /// Counts a link from page `pageId` to `target` (found by Find); `toItself` when the target is the
    /// page's own address.
    static void Count(Target& target, std::int64_t pageId, bool toItself);
    /// Distinct pages linking to `address`, other than `pageId`.
    std::uint64_t Inlinks(std::string_view address, std::int64_t pageId);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, Target, Hash, std::equal_to<>> targets_;
};

} // namespace vortaxel::store
