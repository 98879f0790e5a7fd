// The per-fetch choices beyond the classic GET: HTML only with an optional HEAD first, an
// international host name, a delay between requests to one host, and waiting out Retry-After.

#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::net {
namespace {

using namespace std::chrono_literals;
using test::LoopbackSite;
using test::Page;
using testing::FetchInOrder;
using testing::QuickOptions;
using Clock = std::chrono::steady_clock;

std::vector<std::string> Methods(const LoopbackSite& site) {
    std::vector<std::string> methods;
    for (const auto& request : site.Requests()) {
        methods.push_back(request.method);
    }
    return methods;
}

TEST(FetchManners, HtmlOnlyCutsOtherTypesAfterTheirHeadersAndProbesWithHeadWhenAsked) {
    using Methods_ = std::vector<std::string>;
    struct Row {
        const char* name;
        bool htmlOnly;
        bool probe;
        std::string type;
        int status;
        bool ok;
        bool skipped;
        Methods_ methods;
    };
    const Row rows[] = {
        {"html", true, false, "text/html", 200, true, false, {"GET"}},
        {"html, odd case and charset", true, false, "TEXT/Html; charset=UTF-8", 200, true, false, {"GET"}},
        {"xhtml", true, false, "application/xhtml+xml", 200, true, false, {"GET"}},
        {"pdf", true, false, "application/pdf", 200, true, true, {"GET"}},
        {"pdf not found", true, false, "application/pdf", 404, false, false, {"GET"}},
        {"pdf, classic", false, false, "application/pdf", 200, true, false, {"GET"}},
        {"probe finds html", true, true, "text/html", 200, true, false, {"HEAD", "GET"}},
        {"probe finds pdf", true, true, "application/pdf", 200, true, true, {"HEAD"}},
        {"probe finds nothing", true, true, "text/html", 404, false, false, {"HEAD"}},
        {"probe refused", true, true, "refuse HEAD", 200, true, false, {"HEAD", "GET"}},
        {"probe without html only", false, true, "application/pdf", 200, true, false, {"GET"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackSite site;
        const bool refuseHead = row.type == "refuse HEAD";
        const std::string type = refuseHead ? "text/html" : row.type;
        site.Handle("/doc", [&](const httplib::Request& request, httplib::Response& response) {
            if (refuseHead && request.method == "HEAD") {
                response.status = 405;
                return;
            }
            response.status = row.status;
            response.set_content(std::string(5000, 'd'), type.c_str());
        });
        site.Redirect("/old", "/doc");
        FetchOptions options = QuickOptions();
        options.htmlOnly = row.htmlOnly;
        if (row.probe) {
            options.probeFirst = [](std::string_view url) { return url.ends_with("/old"); };
        }
        Fetcher fetcher(options);
        const web::FetchResult result = fetcher.Fetch(site.Url("/old"));
        EXPECT_EQ(result.ok, row.ok) << result.error;
        EXPECT_EQ(result.bodySkipped, row.skipped);
        EXPECT_EQ(result.body.size(), row.ok && !row.skipped ? 5000u : 0u);
        EXPECT_EQ(result.status, refuseHead ? 200 : row.status);
        EXPECT_EQ(result.contentType, type);
        EXPECT_EQ(result.finalUrl, site.Url("/doc"));
        EXPECT_EQ(result.redirects, 1);
        if (!row.ok) {
            EXPECT_EQ(result.error, "HTTP status 404 Not Found");
        }
        // Each method asks the redirect and its target.
        Methods_ expected;
        for (const auto& method : row.methods) {
            expected.insert(expected.end(), {method, method});
        }
        EXPECT_EQ(Methods(site), expected);
    }
}

TEST(FetchManners, AnInternationalHostReachesTheResolverInItsAsciiForm) {
    LoopbackSite site;
    site.ServeHtml("/", "b\xC3\xBC"
                        "cher");
    const std::string port = std::to_string(site.Port());
    FetchOptions options = QuickOptions();
    options.resolve = {"xn--bcher-kva.example:" + port + ":127.0.0.1"};
    Fetcher fetcher(options);
    const web::FetchResult result = fetcher.Fetch("http://b\xC3\xBC"
                                                  "cher.example:" +
                                                  port + "/");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.finalUrl, "http://xn--bcher-kva.example:" + port + "/");
    const auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headers.find("Host")->second, "xn--bcher-kva.example:" + port);
}

// Records when each request arrived, per Host header.
class ArrivalLog {
public:
    void Serve(LoopbackSite& site, const std::string& target) {
        site.Handle(target, [this](const httplib::Request& request, httplib::Response& response) {
            const std::lock_guard lock(mutex_);
            arrivals_[request.get_header_value("Host")].push_back(Clock::now());
            response.set_content("ok", "text/html");
        });
    }
    std::map<std::string, std::vector<Clock::time_point>> Arrivals() const {
        const std::lock_guard lock(mutex_);
        return arrivals_;
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<Clock::time_point>> arrivals_;
};

TEST(FetchManners, DelaySpacesRequestsToOneHostAtAnyWidthAndAbortStaysPrompt) {
    constexpr auto kDelay = 800ms;
    // The client spaces its starts; the server notes an arrival only when its thread gets a core, which
    // on a loaded machine can come well over 100 ms late, so the floor leaves half the delay for that.
    constexpr auto kLeastGap = 400ms;
    for (const std::size_t width : {1u, 4u}) {
        SCOPED_TRACE(width);
        LoopbackSite site;
        ArrivalLog log;
        std::vector<std::string> urls;
        const std::string port = std::to_string(site.Port());
        for (int i = 0; i < 3; ++i) {
            log.Serve(site, "/p" + std::to_string(i));
            urls.push_back("http://first.test:" + port + "/p" + std::to_string(i));
            urls.push_back("http://second.test:" + port + "/p" + std::to_string(i));
        }
        FetchOptions options = QuickOptions();
        options.delay = kDelay;
        options.resolve = {"first.test:" + port + ":127.0.0.1", "second.test:" + port + ":127.0.0.1"};
        Fetcher fetcher(options, width);
        FetchInOrder(fetcher, urls,
                     [&](std::size_t i, const web::FetchResult& page) { EXPECT_TRUE(page.ok) << urls[i]; });
        const auto arrivals = log.Arrivals();
        ASSERT_EQ(arrivals.size(), 2u);
        for (const auto& [host, times] : arrivals) {
            SCOPED_TRACE(host);
            ASSERT_EQ(times.size(), 3u);
            for (std::size_t i = 1; i < times.size(); ++i) {
                EXPECT_GE(times[i] - times[i - 1], kLeastGap);
            }
        }
    }

    // A request held back by a long delay gives way to an abort at once.
    LoopbackSite site;
    site.ServeHtml("/a", "a");
    site.ServeHtml("/b", "b");
    FetchOptions options = QuickOptions();
    options.delay = 30s;
    Fetcher fetcher(options);
    EXPECT_TRUE(fetcher.Fetch(site.Url("/a")).ok);
    std::thread stopper([&] {
        std::this_thread::sleep_for(100ms);
        fetcher.Abort();
    });
    const auto started = Clock::now();
    EXPECT_EQ(fetcher.Fetch(site.Url("/b")).error, "fetch aborted");
    stopper.join();
    EXPECT_LT(Clock::now() - started, 2s);
    EXPECT_EQ(site.Targets(), std::vector<std::string>{"/a"});
}

TEST(FetchManners, RetryAfterIsWaitedOutOnceWhenPoliteAndCapped) {
    struct Row {
        const char* name;
        bool polite;
        int status;
        std::string retryAfter;
        int refusals;
        bool ok;
        std::size_t requests;
        std::chrono::milliseconds leastWait;
    };
    const Row rows[] = {
        {"429 waited out", true, 429, "1", 1, true, 2, 900ms},
        {"503 waited out", true, 503, "1", 1, true, 2, 900ms},
        {"a year, capped", true, 429, "31536000", 1, true, 2, 900ms},
        {"refused again", true, 429, "0", 2, false, 2, 0ms},
        {"garbage", true, 429, "soon", 1, false, 1, 0ms},
        {"no header", true, 429, "", 1, false, 1, 0ms},
        {"not polite", false, 429, "1", 1, false, 1, 0ms},
        {"other status", true, 500, "1", 1, false, 1, 0ms},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackSite site;
        std::atomic<int> answered{0};
        site.Handle("/", [&](const httplib::Request&, httplib::Response& response) {
            if (answered++ < row.refusals) {
                response.status = row.status;
                if (!row.retryAfter.empty()) {
                    response.set_header("Retry-After", row.retryAfter);
                }
                return;
            }
            response.set_content("welcome", "text/html");
        });
        FetchOptions options = QuickOptions();
        options.politeRetry = row.polite;
        options.maxRetryAfter = 1s;
        Fetcher fetcher(options);
        const auto started = Clock::now();
        const web::FetchResult result = fetcher.Fetch(site.Url("/"));
        EXPECT_EQ(result.ok, row.ok) << result.error;
        EXPECT_EQ(result.body, row.ok ? "welcome" : "");
        EXPECT_EQ(site.Requests().size(), row.requests);
        EXPECT_GE(Clock::now() - started, row.leastWait);
        if (!row.ok) {
            EXPECT_NE(result.error.find("HTTP status " + std::to_string(row.status)), std::string::npos)
                << result.error;
        }
    }
}

} // namespace
} // namespace vortaxel::net
