#pragma once

#include "crawl/crawl_engine.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vortaxel::cli {

/// Appends to `out`, in queue order, up to `wanted` queue entries behind the head that the crawl
/// will visit as they stand: each is the only copy of its URL in the queue and not yet found. A
/// link queued later can postpone such a visit but never cancel it, so fetching these ahead only
/// changes when a page is fetched, not which pages are. Looks at a bounded stretch of the queue, so
/// its cost does not grow with the queue.
void ListNextVisits(const crawl::CrawlEngine& engine, std::size_t wanted, std::vector<std::string>& out);

} // namespace vortaxel::cli
