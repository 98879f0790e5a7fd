#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace vortaxel::net {
namespace {

using test::LoopbackSite;
using test::Page;
using testing::QuickOptions;

std::string ChainTarget(int hop) {
    return "/hop" + std::to_string(hop);
}

Page Html(std::string body) {
    return Page().WithBody(std::move(body));
}

Page RedirectTo(std::string location, int status = 302) {
    return Page().WithStatus(status).WithHeader("Location", std::move(location));
}

// A redirect chain of the given number of hops ending at a page.
std::vector<std::pair<std::string, Page>> RedirectChain(int hops) {
    std::vector<std::pair<std::string, Page>> pages;
    pages.reserve(static_cast<std::size_t>(hops) + 1);
    for (int hop = 0; hop < hops; ++hop) {
        pages.emplace_back(ChainTarget(hop), RedirectTo(ChainTarget(hop + 1)));
    }
    pages.emplace_back(ChainTarget(hops), Html("end of chain"));
    return pages;
}

TEST(Fetcher, OutcomeFollowsStatusAndRedirects) {
    struct Row {
        std::string name;
        std::vector<std::pair<std::string, Page>> pages;
        std::string target;
        bool ok;
        // The body on success, a part of the reason on failure.
        std::string expected;
        std::size_t requests;
    };
    const std::vector<Row> rows = {
        {"plain page", {{"/", Html("<a href=\"x\">home</a>")}}, "/", true, "<a href=\"x\">home</a>", 1},
        {"empty page", {{"/empty", Page()}}, "/empty", true, "", 1},
        {"404 with links", {{"/gone", Html("<a href=\"/x\">").WithStatus(404)}}, "/gone", false, "404", 1},
        {"unknown page", {}, "/nowhere", false, "404", 1},
        {"500", {{"/broken", Html("oops").WithStatus(500)}}, "/broken", false, "500", 1},
        {"400", {{"/bad", Page().WithStatus(400)}}, "/bad", false, "400", 1},
        {"299 is a success", {{"/odd", Html("fine").WithStatus(299)}}, "/odd", true, "fine", 1},
        {"moved", {{"/old", RedirectTo("/new", 301)}, {"/new", Html("new home")}}, "/old", true, "new home", 2},
        {"redirect to a 404", {{"/old", RedirectTo("/none", 307)}}, "/old", false, "404", 2},
        {"ten hops", RedirectChain(10), ChainTarget(0), true, "end of chain", 11},
        {"eleven hops", RedirectChain(11), ChainTarget(0), false, "redirect", 11},
        {"redirect to itself", {{"/loop", RedirectTo("/loop")}}, "/loop", false, "redirect", 11},
        {"redirect to a file", {{"/leak", RedirectTo("file:///etc/passwd")}}, "/leak", false, "file", 1},
        {"redirect to ftp", {{"/ftp", RedirectTo("ftp://127.0.0.1/")}}, "/ftp", false, "ftp", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackSite site;
        for (const auto& [target, page] : row.pages) {
            site.Serve(target, page);
        }
        Fetcher fetcher(QuickOptions());
        const auto result = fetcher.Fetch(site.Url(row.target));
        EXPECT_EQ(result.ok, row.ok) << result.error;
        if (row.ok) {
            EXPECT_EQ(result.body, row.expected);
            EXPECT_TRUE(result.error.empty());
        } else {
            EXPECT_TRUE(result.body.empty());
            EXPECT_FALSE(result.error.empty());
            EXPECT_NE(result.error.find(row.expected), std::string::npos) << result.error;
        }
        const auto requests = site.Requests();
        EXPECT_EQ(requests.size(), row.requests);
        for (const auto& request : requests) {
            EXPECT_EQ(request.method, "GET");
        }
    }
}

TEST(Fetcher, NeverFetchesOtherSchemesOrMalformedAddresses) {
    LoopbackSite site;
    site.ServeHtml("/", "home");
    const std::string port = std::to_string(site.Port());
    const std::string urls[] = {
        "file:///etc/passwd",
        "FILE:///etc/hosts",
        "ftp://127.0.0.1:" + port + "/",
        "gopher://127.0.0.1:" + port + "/",
        "dict://127.0.0.1:" + port + "/",
        "127.0.0.1:" + port + "/",
        "mailto:someone@example.com",
        "http://[::1",
        "http://127.0.0.1:99999/",
        "http://",
        "http:///path-without-host",
        "http://bad host/",
        "",
    };
    Fetcher fetcher(QuickOptions());
    for (const auto& url : urls) {
        SCOPED_TRACE(url);
        const auto result = fetcher.Fetch(url);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.body.empty());
        EXPECT_FALSE(result.error.empty());
    }
    EXPECT_TRUE(site.Requests().empty());
    // The refusals leave the fetcher fit for the next page.
    EXPECT_EQ(fetcher.Fetch(site.Url("/")).body, "home");
}

TEST(Fetcher, MalformedRepliesAreFailures) {
    struct Row {
        std::string name;
        std::string reply;
        bool ok;
    };
    const Row rows[] = {
        {"well formed", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok", true},
        {"HTTP/0.9, no status line", "<html><a href=\"/x.html\">x</a></html>", false},
        {"empty reply", "", false},
        {"headers cut short", "HTTP/1.1 200 OK\r\nContent-Len", false},
        {"body shorter than declared", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort", false},
        {"chunk size broken after some body",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\nzz\r\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::RawReplyServer server(row.reply);
        Fetcher fetcher(QuickOptions());
        const auto result = fetcher.Fetch(server.Url());
        EXPECT_EQ(result.ok, row.ok) << result.error;
        EXPECT_EQ(result.body, row.ok ? "ok" : "");
    }
}

TEST(Fetcher, RefusedConnectionIsAFailure) {
    testing::RefusingPort refusing;
    Fetcher fetcher(QuickOptions());
    const auto result = fetcher.Fetch("http://127.0.0.1:" + std::to_string(refusing.Port()) + "/");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.body.empty());
    EXPECT_FALSE(result.error.empty());
}

TEST(Fetcher, SendsTheAddressAsABrowserWould) {
    struct Row {
        std::string target;
        std::string onWire;
    };
    const Row rows[] = {
        {"/page.html#section", "/page.html"},
        {"/blue widgets_cheap.html", "/blue%20widgets_cheap.html"},
        {"/caf\xC3\xA9.html", "/caf%C3%A9.html"},
        {"/search?q=solar lights", "/search?q=solar%20lights"},
        {"/tab\there", "/tab%09here"},
        {"/already%20escaped", "/already%20escaped"},
    };
    LoopbackSite site;
    Fetcher fetcher(QuickOptions());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.target);
        site.ClearRequests();
        site.ServeHtml(row.onWire, "found");
        const std::string url = site.Url(row.target);
        EXPECT_EQ(fetcher.Fetch(url).body, "found");
        EXPECT_EQ(site.Targets(), std::vector<std::string>{row.onWire});
    }
}

TEST(Fetcher, IdentifiesItselfAndKeepsTheConnection) {
    LoopbackSite site;
    site.ServeHtml("/one", "1");
    site.ServeHtml("/two", "2");
    Fetcher fetcher(QuickOptions());
    EXPECT_EQ(fetcher.Fetch(site.Url("/one")).body, "1");
    EXPECT_EQ(fetcher.Fetch(site.Url("/two")).body, "2");

    const auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        auto agent = request.headers.find("User-Agent");
        ASSERT_NE(agent, request.headers.end());
        EXPECT_EQ(agent->second, "Vortaxel/2.00");
        EXPECT_NE(request.headers.find("Accept-Encoding"), request.headers.end());
    }
    EXPECT_EQ(requests[0].remotePort, requests[1].remotePort);
}

TEST(Fetcher, DecodesCompressedPages) {
    const std::string page = "<html>" + std::string(5000, 'x') + "<a href=\"/garden/solar-lights.html\"></a></html>";
    LoopbackSite site;
    site.Serve("/gzip", Page()
                            .WithBody(testing::Gzip(page))
                            .WithContentType("application/octet-stream")
                            .WithHeader("Content-Encoding", "gzip"));
    // Text the site compresses by itself, whichever encoding it picks from the offer.
    site.ServeHtml("/text", page);
    Fetcher fetcher(QuickOptions());
    EXPECT_EQ(fetcher.Fetch(site.Url("/gzip")).body, page);
    EXPECT_EQ(fetcher.Fetch(site.Url("/text")).body, page);
}

} // namespace
} // namespace vortaxel::net
