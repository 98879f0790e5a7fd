#pragma once

#include "crawl/rendered_page.h"
#include "store/sqlite_db.h"

#include <cstdint>

namespace vortaxel::store {

/// Writes what a browser showed of each page: the facts its scripts changed, and where each link was seen.
class RenderedWriter {
public:
    SqlStatus Prepare(SqlDatabase& db);
    SqlStatus Write(std::int64_t pageId, const crawl::RenderedPage& rendered);
    /// Marks the link just inserted as seen where `seen` says; a link of the raw page alone needs nothing.
    SqlStatus MarkLastLink(crawl::LinkSeen seen);

private:
    SqlStatement insert_;
    SqlStatement mark_;
};

/// How links.seen_in keeps where a link was seen.
std::int64_t SeenInValue(crawl::LinkSeen seen);
/// The word the links file writes for a links.seen_in value.
const char* SeenInName(std::int64_t value);

} // namespace vortaxel::store
