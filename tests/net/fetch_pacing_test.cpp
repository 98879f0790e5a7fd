// Gaps between requests to one host, counted from when requests really left, and a site's own
// Crawl-delay kept to that site: its scheme, host and port.

#include "net/fetcher.h"
#include "net/host_pacing.h"
#include "net/wire_url.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::net {
namespace {

using namespace std::chrono_literals;
using test::LoopbackSite;
using testing::FetchInOrder;
using testing::QuickOptions;
using Clock = std::chrono::steady_clock;

/// When each request reached the site, in arrival order.
class Arrivals {
public:
    void Serve(LoopbackSite& site, const std::string& target) {
        site.Handle(target, [this](const httplib::Request&, httplib::Response& response) {
            const std::lock_guard lock(mutex_);
            times_.push_back(Clock::now());
            response.set_content("ok", "text/html");
        });
    }
    std::vector<Clock::time_point> Times() const {
        const std::lock_guard lock(mutex_);
        return times_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> times_;
};

// A page fetched ahead waits for its turn in the fetcher, which only sends it when next asked: here
// long after its planned start. The request after it must still keep the whole delay from it.
TEST(FetchPacing, AGapIsCountedFromTheRequestThatLeftLate) {
    constexpr auto kDelay = 400ms;
    // Arrival at the site may lag the client's start a little on a loaded machine; lateness of the
    // client only makes gaps longer. A gap counted from a planned start is close to nothing here.
    constexpr auto kLeastGap = kDelay - 50ms;
    LoopbackSite site;
    Arrivals arrivals;
    std::vector<std::string> urls;
    for (int i = 0; i < 4; ++i) {
        arrivals.Serve(site, "/p" + std::to_string(i));
        urls.push_back(site.Url("/p" + std::to_string(i)));
    }
    FetchOptions options = QuickOptions();
    options.delay = kDelay;
    Fetcher fetcher(options, 2);
    FetchInOrder(fetcher, urls, [&](std::size_t i, const web::FetchResult& page) {
        EXPECT_TRUE(page.ok) << urls[i];
        // The caller is busy with the page: whatever waits ahead is sent late.
        std::this_thread::sleep_for(2 * kDelay);
    });
    const auto times = arrivals.Times();
    ASSERT_EQ(times.size(), urls.size());
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], kLeastGap) << "before request " << i;
    }
}

// The pacing on its own clock: no waiting, no machine load.
TEST(FetchPacing, SiteDelayKeepsToSchemeHostAndPort) {
    HostPacing pacing(0ms);
    pacing.SetHostDelay("http://h.test:81/robots.txt", 1000ms);
    const Clock::time_point t0{};
    EXPECT_EQ(pacing.Start("http://h.test:81/a", t0), std::nullopt);
    // Another port, another scheme: other sites, not held back.
    EXPECT_EQ(pacing.Start("http://h.test:82/a", t0 + 1ms), std::nullopt);
    EXPECT_EQ(pacing.Start("https://h.test:81/a", t0 + 2ms), std::nullopt);
    EXPECT_EQ(pacing.Start("http://H.TEST:81/b", t0 + 500ms), std::optional(t0 + 1000ms));
    EXPECT_EQ(pacing.Start("http://h.test:81/b", t0 + 1000ms), std::nullopt);
    // A late start moves the next allowed one along with it.
    EXPECT_EQ(pacing.Reserve("http://h.test:81/c", t0 + 1000ms), t0 + 2000ms);
    EXPECT_EQ(pacing.Start("http://h.test:81/c", t0 + 2000ms), std::nullopt);
    EXPECT_EQ(pacing.Start("http://h.test:81/d", t0 + 2500ms), std::optional(t0 + 3000ms));
}

TEST(FetchPacing, SiteOfAnAddress) {
    const std::pair<const char*, const char*> rows[] = {
        {"http://Example.COM/x", "http://example.com"},
        {"http://example.com:80/x", "http://example.com"},
        {"https://example.com:443/x?y", "https://example.com"},
        {"http://example.com:443/x", "http://example.com:443"},
        {"https://u:p@example.com:8443#f", "https://example.com:8443"},
        {"http://[::1]:8080/", "http://[::1]:8080"},
        {"no-authority", ""},
    };
    for (const auto& [url, site] : rows) {
        EXPECT_EQ(SiteOf(url), site) << url;
    }
}

} // namespace
} // namespace vortaxel::net
