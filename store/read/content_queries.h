#pragma once

#include "store/crawl_store.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vortaxel::store {

/// A page read with its text print, as the duplicate checks take it.
struct PrintedPage {
    std::int64_t pageId = 0;
    std::string_view url;
    std::string_view metaRobots;
    /// The X-Robots-Tag of the fetch that listed it.
    std::string_view robotsTag;
    /// Resolved; empty when the page names none.
    std::string_view canonical;
    std::uint64_t wordCount = 0;
    std::uint64_t textHash = 0;
    std::string_view blocks;
};

/// Why a kept crawl holds no text prints ("the crawl kept no text prints: ..."), or "".
std::string MissingTextPrints(CrawlStore& store);

/// The queries of the duplicate checks and the link score over a kept crawl. Each returns why reading
/// failed, naming the file, or "". What a visit is given lasts until it returns.
class ContentQueries {
public:
    explicit ContentQueries(CrawlStore& store) : store_(store) {}

    /// Every page with a text print, each once, in the order of page ids.
    std::string ForEachPrint(const std::function<void(const PrintedPage&)>& visit);
    /// The blocks of one page's print; empty when it has none.
    std::string BlocksOf(std::int64_t pageId, std::string& blocks);
    /// The highest page id (0 for none); refused as damage when it runs far past the page count.
    std::string LastPageId(std::int64_t& id);
    /// Every listed page by its id under each address that led to it: its own, and the ones that
    /// redirected there.
    std::string ForEachPageAddress(const std::function<void(std::int64_t pageId, std::string_view url)>& visit);
    /// Every followed hyperlink (a, area), by the id of its page, in the order of page ids.
    std::string ForEachFollowedLink(const std::function<void(std::int64_t pageId, std::string_view target)>& visit);

private:
    CrawlStore& store_;
};

} // namespace vortaxel::store
