// Cookies kept for a run: off by default; on, a session cookie gets a site through, no other host ever
// receives it, and a flood of Set-Cookie headers stays bounded.

#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::net {
namespace {

using test::LoopbackSite;
using testing::QuickOptions;

/// Answers with the Cookie header the request carried, or nothing.
void EchoCookies(LoopbackSite& site, const std::string& target) {
    site.Handle(target, [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.get_header_value("Cookie"), "text/html");
    });
}

FetchOptions WithCookies(bool keep) {
    FetchOptions options = QuickOptions();
    options.keepCookies = keep;
    return options;
}

TEST(FetchCookies, ASiteThatRedirectsUntilItHasItsSessionCookieGetsThroughOnlyWithCookiesKept) {
    LoopbackSite site;
    site.Handle("/start", [](const httplib::Request& request, httplib::Response& response) {
        if (request.get_header_value("Cookie").find("session=1") != std::string::npos) {
            response.set_content("<p>in</p>", "text/html");
            return;
        }
        response.set_header("Set-Cookie", "session=1; Path=/; HttpOnly");
        response.set_redirect("/start");
    });
    struct Row {
        bool keep;
        bool ok;
        std::size_t requests;
    };
    for (const Row& row : {Row{false, false, 11}, Row{true, true, 2}}) {
        SCOPED_TRACE(row.keep ? "cookies kept" : "default");
        site.ClearRequests();
        Fetcher fetcher(WithCookies(row.keep));
        const web::FetchResult result = fetcher.Fetch(site.Url("/start"));
        EXPECT_EQ(result.ok, row.ok) << result.error;
        EXPECT_EQ(site.Requests().size(), row.requests);
        if (row.ok) {
            EXPECT_EQ(result.body, "<p>in</p>");
        }
    }
}

TEST(FetchCookies, ACookieGoesBackOnlyToTheHostThatSetItWhicheverTransferAsks) {
    LoopbackSite site;
    site.Serve("/set", test::Page{}
                           .WithBody("set")
                           .WithHeader("Set-Cookie", "own=1; Path=/")
                           .WithHeader("Set-Cookie", "cross=1; Domain=b.test; Path=/")
                           .WithHeader("Set-Cookie", "parent=1; Domain=test; Path=/"));
    for (const char* target : {"/echo-a", "/echo-b", "/echo-c"}) {
        EchoCookies(site, target);
    }
    FetchOptions options = WithCookies(true);
    const std::string port = std::to_string(site.Port());
    options.resolve = {"a.test:" + port + ":127.0.0.1", "b.test:" + port + ":127.0.0.1"};
    const std::string a = "http://a.test:" + port;
    const std::string b = "http://b.test:" + port;

    // Two transfers: while one fetches the page asked for, the other fetches one ahead.
    Fetcher fetcher(options, 2);
    ASSERT_TRUE(fetcher.Fetch(a + "/set"));
    fetcher.SetAheadList([&](std::size_t, std::vector<std::string>& out) { out.push_back(a + "/echo-b"); });
    const web::FetchResult first = fetcher.Fetch(a + "/echo-a");
    const web::FetchResult ahead = fetcher.Fetch(a + "/echo-b");
    fetcher.SetAheadList({});
    const web::FetchResult other = fetcher.Fetch(b + "/echo-c");
    EXPECT_EQ(first.body, "own=1");
    EXPECT_EQ(ahead.body, "own=1");
    EXPECT_EQ(other.body, "");
    EXPECT_GE(fetcher.RequestsStarted(), 4U);
}

TEST(FetchCookies, TenThousandSetCookieHeadersStayBounded) {
    LoopbackSite site;
    site.Handle("/flood", [](const httplib::Request&, httplib::Response& response) {
        for (int i = 0; i < 10'000; ++i) {
            response.headers.emplace("Set-Cookie", "c" + std::to_string(i) + "=" + std::string(20, 'v') + "; Path=/");
        }
        response.set_content("flood", "text/html");
    });
    EchoCookies(site, "/echo");
    Fetcher fetcher(WithCookies(true));
    const web::FetchResult flood = fetcher.Fetch(site.Url("/flood"));
    // Whether libcurl takes such a reply or refuses its headers, the run goes on.
    if (!flood.ok) {
        EXPECT_FALSE(flood.error.empty());
    }
    const web::FetchResult echo = fetcher.Fetch(site.Url("/echo"));
    ASSERT_TRUE(echo) << echo.error;
    EXPECT_LE(echo.body.size(), 8190U);
    EXPECT_LE(std::count(echo.body.begin(), echo.body.end(), '='), 150);
}

} // namespace
} // namespace vortaxel::net
