#include "net/idn_host.h"
#include "net/reply_rules.h"

#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace vortaxel::net {
namespace {

using std::chrono::seconds;

TEST(ReplyRules, RetryAfterIsSecondsOrADateCappedAndGarbageIsNoWait) {
    // Sun, 06 Nov 1994 08:49:37 GMT, the date HTTP texts use in their own examples.
    constexpr std::time_t kNow = 784111777;
    const struct {
        const char* value;
        std::optional<seconds> wait;
    } rows[] = {
        {"0", seconds(0)},
        {"30", seconds(30)},
        {" 120 ", seconds(120)},
        {"121", seconds(120)},
        {"31536000", seconds(120)},
        {"99999999999999999999999999", seconds(120)},
        {"Sun, 06 Nov 1994 08:50:37 GMT", seconds(60)},
        {"Sunday, 06-Nov-94 08:50:07 GMT", seconds(30)},
        {"Sun Nov  6 08:49:47 1994", seconds(10)},
        {"Sun, 06 Nov 1994 08:00:00 GMT", seconds(0)},
        {"Mon, 06 Nov 1995 08:49:37 GMT", seconds(120)},
        {"", std::nullopt},
        {"-5", std::nullopt},
        {"1.5", std::nullopt},
        {"soon", std::nullopt},
        {"30 seconds", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ParseRetryAfter(row.value, kNow, seconds(120)), row.wait) << row.value;
    }
}

TEST(ReplyRules, FailureTextsNameStatusAndLimit) {
    EXPECT_EQ(StatusFailure(404, "Not Found"), "HTTP status 404 Not Found");
    EXPECT_EQ(StatusFailure(404, ""), "HTTP status 404 Not Found");
    EXPECT_EQ(StatusFailure(503, "Busy "), "HTTP status 503 Busy");
    EXPECT_EQ(StatusFailure(499, ""), "HTTP status 499");
    EXPECT_EQ(TimeoutFailure(std::chrono::seconds(60)), "time-out after 60 s");
    EXPECT_EQ(TimeoutFailure(std::chrono::milliseconds(1500)), "time-out after 1500 ms");
}

TEST(ReplyRules, InternationalHostsGoOutInTheirAsciiForm) {
    const struct {
        const char* url;
        std::optional<std::string> sent;
    } rows[] = {
        {"http://b\xC3\xBC"
         "cher.example/",
         "http://xn--bcher-kva.example/"},
        {"http://B\xC3\x9C"
         "CHER.example:8080/b\xC3\xBC"
         "cher?q=\xC3\xBC",
         "http://xn--bcher-kva.example:8080/b\xC3\xBC"
         "cher?q=\xC3\xBC"},
        {"https://user@m\xC3\xBCnchen.example", "https://user@xn--mnchen-3ya.example"},
        {"http://fa\xC3\x9F.example/", "http://xn--fa-hia.example/"},
        {"http://example.com/\xC3\xBC", "http://example.com/\xC3\xBC"},
        {"http://[::1]:80/", "http://[::1]:80/"},
        {"http://\xFF\xFE.example/", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WithAsciiHost(row.url), row.sent) << row.url;
    }
}

} // namespace
} // namespace vortaxel::net
