// A kept-alive connection that the server drops just as the next request goes out on it. Servers close
// idle connections whenever they like, so this race is ordinary on real sites: the request is sent once
// more on a new connection, but only when no byte of a reply came back, and only once.

#include "hostile_behaviours.h"
#include "net/fetcher.h"
#include "tests/support/named_rows.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;
using test::PrintTo;

constexpr auto kNextRequestWait = 5s;

// Answers in full and keeps the connection, then drops it once the client sends its next request there.
void InstallKeptConnections(HostileServer& server) {
    const std::string first = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfirst";
    server.On("/kept-then-reset", [first](HostileStream& s) {
        if (s.Send(first) && s.AwaitMore(kNextRequestWait)) {
            s.Reset();
        }
    });
    server.On("/kept-then-closed", [first](HostileStream& s) {
        if (s.Send(first)) {
            s.AwaitMore(kNextRequestWait);
        }
    });
    // Here the next request gets the start of a reply before the reset, so it was seen by the server.
    server.On("/kept-then-cut", [first](HostileStream& s) {
        if (s.Send(first) && s.AwaitMore(kNextRequestWait)) {
            s.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly a part");
            s.Pause(100ms);
            s.Reset();
        }
    });
    server.On("/page", [](HostileStream& s) { SendPage(s, "the page"); });
}

using FetchFunction = std::function<web::FetchResult(const std::string&)>;

struct FetcherKind {
    const char* name;
    std::function<FetchFunction()> make;
};

FetcherKind OneAtATime() {
    return {"OneAtATime", [] {
                auto fetcher = std::make_shared<net::Fetcher>();
                return FetchFunction([fetcher](const std::string& url) { return fetcher->Fetch(url); });
            }};
}

FetcherKind Pooled() {
    return {"TwoInFlight", [] {
                auto pool = std::make_shared<net::Fetcher>(net::FetchOptions{}, 2);
                return FetchFunction([pool](const std::string& url) { return pool->Fetch(url); });
            }};
}

class DroppedConnectionTest : public testing::TestWithParam<FetcherKind> {};

TEST_P(DroppedConnectionTest, SendsAgainOnANewConnectionOnlyWhenNoReplyCameBack) {
    struct Row {
        const char* name;
        /// Fetched in this order; each but the last answers "first" and keeps its connection.
        std::vector<std::string> targets;
        bool lastOk;
        std::string lastBody;
        std::size_t connections;
    };
    const std::vector<std::string> manyDrops(8, "/kept-then-reset");
    std::vector<std::string> manyDropsThenPage = manyDrops;
    manyDropsThenPage.emplace_back("/page");
    const Row rows[] = {
        {"reset", {"/kept-then-reset", "/page"}, true, "the page", 2},
        {"closed", {"/kept-then-closed", "/page"}, true, "the page", 2},
        // However often it happens over one fetcher's life, each time costs one more connection and no page.
        {"many times over", manyDropsThenPage, true, "the page", 9},
        // The new connection fails too: that is the page's answer, and it is not asked for a third time.
        {"and again", {"/kept-then-reset", "/reset-at-once"}, false, "", 2},
        {"after a reply began", {"/kept-then-cut", "/page"}, false, "", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HostileServer server;
        InstallHostileBehaviours(server);
        InstallKeptConnections(server);
        server.Start();
        const FetchFunction fetch = GetParam().make();

        for (std::size_t i = 0; i + 1 < row.targets.size(); ++i) {
            const web::FetchResult kept = fetch(server.Url(row.targets[i]));
            EXPECT_TRUE(kept.ok) << "fetch " << i << ": " << kept.error;
            EXPECT_EQ(kept.body, "first");
        }
        const web::FetchResult last = fetch(server.Url(row.targets.back()));
        server.Stop();

        EXPECT_EQ(last.ok, row.lastOk) << last.error;
        EXPECT_EQ(last.body, row.lastBody);
        EXPECT_EQ(server.Connections(), row.connections);
    }
}

// Every second new connection is dropped, half of them after part of the page went out: at any width
// each page is either complete or a failed fetch without a body, and none is asked for twice.
TEST(DroppedConnections, EachPageIsWholeOrFailedAndAskedForOnce) {
    constexpr int kPages = 24;
    const auto body = [](const std::string& target) { return "the whole page " + target + std::string(2000, '.'); };
    for (const std::size_t width : {1u, 4u, 8u}) {
        SCOPED_TRACE(width);
        HostileServer server;
        std::atomic<int> connection{0};
        server.On("/p", [&](HostileStream& s) {
            const int number = connection++;
            const std::string whole = body(s.target);
            if (number % 2 == 0) {
                SendPage(s, whole);
            } else if (number % 4 == 1) {
                s.Reset();
            } else {
                s.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(whole.size()) + "\r\n\r\n" +
                       whole.substr(0, 100));
                s.Pause(50ms);
                s.Reset();
            }
        });
        server.Start();
        std::vector<std::string> urls;
        urls.reserve(kPages);
        for (int i = 0; i < kPages; ++i) {
            urls.push_back(server.Url("/p" + std::to_string(i)));
        }
        net::Fetcher fetcher(net::FetchOptions{}, width);
        std::size_t next = 0;
        fetcher.SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
            for (std::size_t i = next + 1; i < urls.size() && out.size() < wanted; ++i) {
                out.push_back(urls[i]);
            }
        });
        int failed = 0;
        for (; next < urls.size(); ++next) {
            const web::FetchResult page = fetcher.Fetch(urls[next]);
            const std::string target = "/p" + std::to_string(next);
            if (page.ok) {
                EXPECT_EQ(page.body, body(target));
            } else {
                ++failed;
                EXPECT_TRUE(page.body.empty()) << target;
            }
        }
        server.Stop();
        EXPECT_EQ(failed, kPages / 2);
        EXPECT_EQ(server.Connections(), static_cast<std::size_t>(kPages));
        EXPECT_EQ(server.Requests().size(), static_cast<std::size_t>(kPages));
    }
}

INSTANTIATE_TEST_SUITE_P(Fetchers, DroppedConnectionTest, testing::Values(OneAtATime(), Pooled()), RowName());

} // namespace
} // namespace vortaxel::test
