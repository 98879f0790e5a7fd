#include "net/host_pacing.h"

#include "net/wire_url.h"
#include "web/ascii.h"
#include "web/url_parts.h"

#include <algorithm>

namespace vortaxel::net {

namespace {

std::string LowerHostOf(std::string_view url) {
    std::string host(web::HostOf(url));
    std::ranges::transform(host, host.begin(), web::ToLowerAscii);
    return host;
}

} // namespace

std::chrono::milliseconds HostPacing::SiteDelay(const std::string& site) const {
    const auto own = siteDelay_.find(site);
    return own == siteDelay_.end() ? std::chrono::milliseconds(0) : own->second;
}

HostPacing::Clock::time_point HostPacing::Reserve(std::string_view url, Clock::time_point earliest) {
    if (!Paced()) {
        return earliest;
    }
    Clock::time_point start = earliest;
    const std::string site = SiteOf(url);
    const std::chrono::milliseconds siteDelay = SiteDelay(site);
    Track* host = delay_.count() > 0 ? &hosts_[LowerHostOf(url)] : nullptr;
    Track* own = siteDelay.count() > 0 ? &sites_[site] : nullptr;
    for (const Track* track : {host, own}) {
        if (track != nullptr) {
            start = std::max(start, track->reserved);
        }
    }
    if (host != nullptr) {
        host->reserved = start + delay_;
    }
    if (own != nullptr) {
        own->reserved = start + siteDelay;
    }
    return start;
}

std::optional<HostPacing::Clock::time_point> HostPacing::Start(std::string_view url, Clock::time_point now) {
    if (!Paced()) {
        return std::nullopt;
    }
    const std::string site = SiteOf(url);
    const std::chrono::milliseconds siteDelay = SiteDelay(site);
    Track* host = delay_.count() > 0 ? &hosts_[LowerHostOf(url)] : nullptr;
    Track* own = siteDelay.count() > 0 ? &sites_[site] : nullptr;
    Clock::time_point allowed = now;
    if (host != nullptr && host->lastStart) {
        allowed = std::max(allowed, *host->lastStart + delay_);
    }
    if (own != nullptr && own->lastStart) {
        allowed = std::max(allowed, *own->lastStart + siteDelay);
    }
    if (allowed > now) {
        return allowed;
    }
    if (host != nullptr) {
        host->lastStart = now;
        host->reserved = std::max(host->reserved, now + delay_);
    }
    if (own != nullptr) {
        own->lastStart = now;
        own->reserved = std::max(own->reserved, now + siteDelay);
    }
    return std::nullopt;
}

void HostPacing::SetHostDelay(std::string_view url, std::chrono::milliseconds delay) {
    if (delay > delay_) {
        siteDelay_[SiteOf(url)] = delay;
    }
}

} // namespace vortaxel::net
