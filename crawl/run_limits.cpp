#include "crawl/run_limits.h"

namespace vortaxel::crawl {

std::string BudgetText(std::uint64_t bytes) {
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    if (bytes != 0 && bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

} // namespace vortaxel::crawl
