#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vortaxel::net {

/// Keeps the starts of requests to one host at least a set delay apart, however many are in flight,
/// and those to one site (scheme, host and port) at least that site's own delay apart. Gaps are
/// counted from when requests really went out on their connections, which on a new connection is
/// later than when they were started: a request that left late never shortens the next gap, and no
/// request starts while the one before it has not gone out yet. Fetchers on several threads may share
/// one: every call takes its lock.
class HostPacing {
public:
    using Clock = std::chrono::steady_clock;

    explicit HostPacing(std::chrono::milliseconds delay) : delay_(delay) {}

    /// When a request to url is expected to be allowed to start, not before `earliest`. That time is
    /// taken, so the next request to the host is expected the delay later; Start has the last word.
    Clock::time_point Reserve(std::string_view url, Clock::time_point earliest);

    /// A request to url is about to leave at `now`. Nothing when every gap since the requests that
    /// really left before is long enough, and then `now` counts as its start; otherwise the time
    /// from which it may leave.
    std::optional<Clock::time_point> Start(std::string_view url, Clock::time_point now);

    /// The request Start let go for url is on its way, and will be told of by Sent or NeverSent: until
    /// then no other request to its host or site starts.
    void Leaving(std::string_view url);
    /// The request Start let go for url went out at `when`, after its connection was ready; `first`
    /// for the first time it went out, later ones being resends and redirect hops.
    void Sent(std::string_view url, Clock::time_point when, bool first);
    /// The request Start let go for url ended without going out.
    void NeverSent(std::string_view url);

    /// Raises the delay for url's site (scheme, host and port) alone to `delay`, when that is more
    /// than the common one.
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay);

private:
    struct Track {
        /// When the last request really left; none before the first.
        std::optional<Clock::time_point> lastStart;
        /// When the next request is expected to leave.
        Clock::time_point reserved;
        /// Requests let go that have not gone out yet.
        std::size_t unsent = 0;
    };
    /// The tracks that pace url: its host's under the common delay, its site's under a delay of its own.
    std::pair<Track*, Track*> TracksOf(std::string_view url, std::chrono::milliseconds& siteDelay);

    bool Paced() const { return delay_.count() > 0 || !siteDelay_.empty(); }
    std::chrono::milliseconds SiteDelay(const std::string& site) const;

    mutable std::mutex mutex_;
    std::chrono::milliseconds delay_;
    /// Per site: a delay of its own, longer than the common one.
    std::map<std::string, std::chrono::milliseconds, std::less<>> siteDelay_;
    /// Per host in lower case, for the common delay.
    std::map<std::string, Track, std::less<>> hosts_;
    /// Per site with a delay of its own.
    std::map<std::string, Track, std::less<>> sites_;
};

} // namespace vortaxel::net
