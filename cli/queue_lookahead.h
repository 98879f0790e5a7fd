#pragma once

#include "crawl/crawl_engine.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vortaxel::cli {

/// Appends to `out`, in queue order, up to `wanted` pages that the crawl will visit once the
/// entries before them have reached the head: queue entries behind the head that are not yet found
/// and are the last copy of their URL in the queue (earlier copies are dropped as repeats). A link
/// queued later can postpone such a visit but never cancel it, so fetching these ahead changes only
/// when a page is fetched, not which pages are. Looks at a bounded stretch of the queue, so its
/// cost does not grow with the queue.
void ListNextVisits(const crawl::CrawlEngine& engine, std::size_t wanted, std::vector<std::string>& out);

} // namespace vortaxel::cli
