#include "net/reply_rules.h"

#include "web/ascii.h"

#include <algorithm>
#include <array>
#include <curl/curl.h>
#include <utility>

namespace vortaxel::net {

namespace {

// HTTP/2 and later send no reason phrase, and some servers send none; these are the standard ones.
constexpr std::array<std::pair<long, std::string_view>, 20> kStandardReasons = {{
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {402, "Payment Required"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {407, "Proxy Authentication Required"},
    {408, "Request Timeout"},
    {409, "Conflict"},
    {410, "Gone"},
    {414, "URI Too Long"},
    {415, "Unsupported Media Type"},
    {429, "Too Many Requests"},
    {451, "Unavailable For Legal Reasons"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
}};

} // namespace

std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view value, std::time_t now, std::chrono::seconds cap) {
    value = web::TrimBlanks(value);
    if (value.empty()) {
        return std::nullopt;
    }
    if (std::ranges::all_of(value, [](char c) { return c >= '0' && c <= '9'; })) {
        // Any count longer than the cap's digits is past it; this also keeps the sum from overflowing.
        long long seconds = 0;
        for (const char c : value) {
            seconds = std::min<long long>(seconds * 10 + (c - '0'), cap.count() + 1);
        }
        return std::chrono::seconds(std::min<long long>(seconds, cap.count()));
    }
    // Every HTTP date names its month; a bare sign or number is no date, whatever a lenient parser makes of it.
    if (std::ranges::none_of(value, [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); })) {
        return std::nullopt;
    }
    const std::string text(value);
    const std::time_t when = curl_getdate(text.c_str(), nullptr);
    if (when == -1) {
        return std::nullopt;
    }
    const long long wait = std::clamp<long long>(static_cast<long long>(when) - now, 0, cap.count());
    return std::chrono::seconds(wait);
}

std::string StatusFailure(long status, std::string_view reason) {
    std::string text = "HTTP status " + std::to_string(status);
    reason = web::TrimBlanks(reason);
    if (reason.empty()) {
        const auto standard = std::ranges::find(kStandardReasons, status, &std::pair<long, std::string_view>::first);
        if (standard != kStandardReasons.end()) {
            reason = standard->second;
        }
    }
    if (!reason.empty()) {
        text += ' ';
        text += reason;
    }
    return text;
}

std::string TimeoutFailure(std::chrono::milliseconds limit) {
    if (limit.count() % 1000 == 0) {
        return "time-out after " + std::to_string(limit.count() / 1000) + " s";
    }
    return "time-out after " + std::to_string(limit.count()) + " ms";
}

} // namespace vortaxel::net
