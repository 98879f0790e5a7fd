#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>

namespace vortaxel::net {

/// Keeps the starts of requests to one host at least a set delay apart, however many are in flight.
class HostPacing {
public:
    using Clock = std::chrono::steady_clock;

    explicit HostPacing(std::chrono::milliseconds delay) : delay_(delay) {}

    /// The first time, not before `earliest`, at which a request to url's host may start; that time is
    /// taken, so the next request to the host goes at least the delay later.
    Clock::time_point Reserve(std::string_view url, Clock::time_point earliest);

    /// Raises the delay for url's host alone to `delay`, when that is more than the common one.
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay);

private:
    std::chrono::milliseconds delay_;
    /// Per host in lower case: a delay of its own, longer than the common one.
    std::map<std::string, std::chrono::milliseconds, std::less<>> hostDelay_;
    /// Per host in lower case: when its next request may start.
    std::map<std::string, Clock::time_point, std::less<>> next_;
};

} // namespace vortaxel::net
