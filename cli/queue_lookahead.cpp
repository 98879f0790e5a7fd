#include "cli/queue_lookahead.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace vortaxel::cli {

namespace {
// Entries looked at per page wanted; repeats and found pages in between are skipped.
constexpr std::size_t kScanPerPage = 32;
} // namespace

void ListNextVisits(const crawl::CrawlEngine& engine, std::size_t wanted, std::vector<std::string>& out) {
    const std::size_t end = std::min(engine.QueueCount(), 1 + wanted * kScanPerPage);
    // For URLs queued more than once: how many of their copies lie further on.
    std::unordered_map<std::string_view, std::size_t> copiesLeft;
    for (std::size_t i = 1; i < end && wanted > 0; ++i) {
        const std::string_view url = engine.QueueText(i);
        if (engine.IsFound(url)) {
            continue;
        }
        const std::size_t copies = engine.QueueOccurrences(url);
        if (copies > 1) {
            auto& left = copiesLeft.try_emplace(url, copies).first->second;
            if (--left != 0) {
                continue;
            }
        }
        out.emplace_back(url);
        --wanted;
    }
}

} // namespace vortaxel::cli
