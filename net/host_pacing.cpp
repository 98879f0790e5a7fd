#include "net/host_pacing.h"

#include "net/net_ascii.h"
#include "net/wire_url.h"

#include <algorithm>

namespace vortaxel::net {

HostPacing::Clock::time_point HostPacing::Reserve(std::string_view url, Clock::time_point earliest) {
    if (delay_.count() <= 0) {
        return earliest;
    }
    std::string host(HostOf(url));
    std::ranges::transform(host, host.begin(), LowerAscii);
    auto [entry, added] = next_.try_emplace(std::move(host), earliest);
    const Clock::time_point start = std::max(earliest, entry->second);
    entry->second = start + delay_;
    return start;
}

} // namespace vortaxel::net
