#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::net {

/// The wait a Retry-After value asks for, as of `now`: delta seconds or an HTTP date, cut to `cap`;
/// a date in the past is no wait. Nothing for a value that is neither.
std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view value, std::time_t now, std::chrono::seconds cap);

/// "HTTP status 404 Not Found": the reason the server gave, else the standard one, else the number alone.
std::string StatusFailure(long status, std::string_view reason);

/// "time-out after 60 s", or in milliseconds when the limit is not whole seconds.
std::string TimeoutFailure(std::chrono::milliseconds limit);

} // namespace vortaxel::net
