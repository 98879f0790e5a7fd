#include "net/host_pacing.h"

#include "net/wire_url.h"
#include "web/ascii.h"
#include "web/url_parts.h"

#include <algorithm>
#include <mutex>

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
    const std::lock_guard lock(mutex_);
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

std::pair<HostPacing::Track*, HostPacing::Track*> HostPacing::TracksOf(std::string_view url,
                                                                       std::chrono::milliseconds& siteDelay) {
    const std::string site = SiteOf(url);
    siteDelay = SiteDelay(site);
    Track* host = delay_.count() > 0 ? &hosts_[LowerHostOf(url)] : nullptr;
    Track* own = siteDelay.count() > 0 ? &sites_[site] : nullptr;
    return {host, own};
}

std::optional<HostPacing::Clock::time_point> HostPacing::Start(std::string_view url, Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    if (!Paced()) {
        return std::nullopt;
    }
    std::chrono::milliseconds siteDelay{0};
    const auto [host, own] = TracksOf(url, siteDelay);
    // Until the request before has gone out, when the gap may start is not known: look again soon.
    constexpr std::chrono::milliseconds kUnsentLook{1};
    if ((host != nullptr && host->unsent != 0) || (own != nullptr && own->unsent != 0)) {
        return now + kUnsentLook;
    }
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

void HostPacing::Leaving(std::string_view url) {
    const std::lock_guard lock(mutex_);
    if (!Paced()) {
        return;
    }
    std::chrono::milliseconds siteDelay{0};
    const auto [host, own] = TracksOf(url, siteDelay);
    for (Track* track : {host, own}) {
        if (track != nullptr) {
            ++track->unsent;
        }
    }
}

void HostPacing::Sent(std::string_view url, Clock::time_point when, bool first) {
    const std::lock_guard lock(mutex_);
    if (!Paced()) {
        return;
    }
    std::chrono::milliseconds siteDelay{0};
    const auto [host, own] = TracksOf(url, siteDelay);
    const auto note = [&](Track* track, std::chrono::milliseconds delay) {
        if (track == nullptr) {
            return;
        }
        track->lastStart = std::max(track->lastStart.value_or(when), when);
        track->reserved = std::max(track->reserved, when + delay);
        if (first && track->unsent != 0) {
            --track->unsent;
        }
    };
    note(host, delay_);
    note(own, siteDelay);
}

void HostPacing::NeverSent(std::string_view url) {
    const std::lock_guard lock(mutex_);
    if (!Paced()) {
        return;
    }
    std::chrono::milliseconds siteDelay{0};
    const auto [host, own] = TracksOf(url, siteDelay);
    for (Track* track : {host, own}) {
        if (track != nullptr && track->unsent != 0) {
            --track->unsent;
        }
    }
}

void HostPacing::SetHostDelay(std::string_view url, std::chrono::milliseconds delay) {
    const std::lock_guard lock(mutex_);
    if (delay > delay_) {
        siteDelay_[SiteOf(url)] = delay;
    }
}

} // namespace vortaxel::net
