#include "net/host_pacing.h"

#include "net/net_ascii.h"
#include "net/wire_url.h"

#include <algorithm>

namespace vortaxel::net {

namespace {

std::string LowerHostOf(std::string_view url) {
    std::string host(HostOf(url));
    std::ranges::transform(host, host.begin(), LowerAscii);
    return host;
}

} // namespace

HostPacing::Clock::time_point HostPacing::Reserve(std::string_view url, Clock::time_point earliest) {
    if (delay_.count() <= 0 && hostDelay_.empty()) {
        return earliest;
    }
    std::string host = LowerHostOf(url);
    std::chrono::milliseconds delay = delay_;
    if (const auto own = hostDelay_.find(host); own != hostDelay_.end()) {
        delay = std::max(delay, own->second);
    }
    if (delay.count() <= 0) {
        return earliest;
    }
    auto [entry, added] = next_.try_emplace(std::move(host), earliest);
    const Clock::time_point start = std::max(earliest, entry->second);
    entry->second = start + delay;
    return start;
}

void HostPacing::SetHostDelay(std::string_view url, std::chrono::milliseconds delay) {
    if (delay > delay_) {
        hostDelay_[LowerHostOf(url)] = delay;
    }
}

} // namespace vortaxel::net
