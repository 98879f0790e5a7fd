#pragma once

#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::store {

/// What of a page's text is read by its address.
enum class PageText {
    Title,
    H1,
    /// The anchor text of the links that point at it from other pages, in the crawl's order.
    InboundAnchors,
};

/// Reads one kind of text of pages by address from a kept crawl, one address after another.
class PageTextReader {
public:
    PageTextReader(CrawlStore& store, PageText text);

    /// Made ready once, before the first Read; says why it cannot read.
    SqlStatus Prepare();
    /// The texts kept for `url`: at most one title or H1, any number of anchors; none when there is no such page.
    std::vector<std::string> Read(std::string_view url);

private:
    CrawlStore& store_;
    PageText text_;
    SqlStatement query_;
};

} // namespace vortaxel::store
