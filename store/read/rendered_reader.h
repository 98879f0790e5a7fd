#pragma once

#include "crawl/rendered_page.h"
#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <cstdint>
#include <optional>

namespace vortaxel::store {

/// Reads back, page by page, what a browser showed of a crawl kept as rendering its pages.
class RenderedReader {
public:
    /// Ready only for a crawl that rendered its pages (see Kept); else every Read finds nothing.
    SqlStatus Prepare(CrawlStore& store);
    bool Kept() const { return kept_; }
    std::optional<crawl::RenderedPage> Read(std::int64_t pageId);

private:
    bool kept_ = false;
    SqlStatement read_;
};

} // namespace vortaxel::store
