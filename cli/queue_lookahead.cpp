#include "cli/queue_lookahead.h"

#include <algorithm>

namespace vortaxel::cli {

namespace {
// Entries looked at per page wanted; repeats and found pages in between are skipped.
constexpr std::size_t kScanPerPage = 32;
} // namespace

void ListNextVisits(const crawl::CrawlEngine& engine, std::size_t wanted, std::vector<std::string>& out) {
    const std::size_t end = std::min(engine.QueueCount(), 1 + wanted * kScanPerPage);
    for (std::size_t i = 1; i < end && wanted > 0; ++i) {
        const std::string_view url = engine.QueueText(i);
        if (engine.IsNewLink(url)) {
            out.emplace_back(url);
            --wanted;
        }
    }
}

} // namespace vortaxel::cli
