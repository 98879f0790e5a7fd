#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::net {
namespace {

using test::LoopbackSite;
using test::Page;
using testing::QuickOptions;

constexpr std::size_t kCap = 1000;
constexpr auto kOctets = "application/octet-stream";
// Enough to overrun any cap used here many times over, and still a bounded stream.
constexpr int kEndlessChunks = 4096;

// Sends body in pieces with no declared length, either chunked or delimited by closing the connection.
LoopbackSite::Handler Streamed(std::string body, bool chunked) {
    return [body = std::move(body), chunked](const httplib::Request&, httplib::Response& response) {
        auto provider = [body](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= body.size()) {
                sink.done();
                return true;
            }
            const std::size_t piece = std::min<std::size_t>(100, body.size() - offset);
            return sink.write(body.data() + offset, piece);
        };
        if (chunked) {
            response.set_chunked_content_provider(kOctets, provider);
        } else {
            response.set_content_provider(kOctets, provider);
        }
    };
}

LoopbackSite::Handler Endless(const LoopbackSite& site) {
    return [&site](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(kOctets, [&site](std::size_t offset, httplib::DataSink& sink) {
            const std::string chunk(1024, 'z');
            if (offset >= kEndlessChunks * chunk.size() || site.WaitForShutdown(std::chrono::milliseconds(0))) {
                return false;
            }
            return sink.write(chunk.data(), chunk.size());
        });
    };
}

// Declares a huge length, sends a few bytes and then waits: only an early check of the length ends it quickly.
LoopbackSite::Handler HugeDeclaredLength(const LoopbackSite& site) {
    return [&site](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(std::size_t{1} << 40, kOctets,
                                      [&site](std::size_t, std::size_t, httplib::DataSink& sink) {
                                          sink.write("abc", 3);
                                          site.WaitForShutdown(std::chrono::seconds(30));
                                          return false;
                                      });
    };
}

// Declares more than it sends, then drops the connection.
LoopbackSite::Handler Truncated() {
    return [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(std::size_t{500}, kOctets, [](std::size_t, std::size_t, httplib::DataSink& sink) {
            sink.write("partial body", 12);
            return false;
        });
    };
}

// Thousands of modest header lines: each one passes any per-line limit, together they are far too many.
Page HeaderFlood() {
    Page page = Page().WithBody("small");
    for (int i = 0; i < 4000; ++i) {
        page.WithHeader("X-Filler-" + std::to_string(i), std::string(100, 'h'));
    }
    return page;
}

TEST(Fetcher, SizeCapsHoldWhateverTheServerSends) {
    const std::string atCap(kCap, 'a');
    const std::string overCap(kCap + 1, 'a');
    struct Row {
        std::string name;
        std::function<void(LoopbackSite&)> setUp;
        bool ok;
        std::string reason;
    };
    const std::vector<Row> rows = {
        {"at the cap, declared",
         [&](LoopbackSite& site) { site.Serve("/", Page().WithBody(atCap).WithContentType(kOctets)); }, true, ""},
        {"at the cap, chunked", [&](LoopbackSite& site) { site.Handle("/", Streamed(atCap, true)); }, true, ""},
        {"one over, declared",
         [&](LoopbackSite& site) { site.Serve("/", Page().WithBody(overCap).WithContentType(kOctets)); }, false,
         "larger than 1000"},
        {"one over, chunked", [&](LoopbackSite& site) { site.Handle("/", Streamed(overCap, true)); }, false,
         "larger than 1000"},
        {"one over, until close", [&](LoopbackSite& site) { site.Handle("/", Streamed(overCap, false)); }, false,
         "larger than 1000"},
        {"endless", [](LoopbackSite& site) { site.Handle("/", Endless(site)); }, false, "larger than 1000"},
        {"huge declared length", [](LoopbackSite& site) { site.Handle("/", HugeDeclaredLength(site)); }, false,
         "larger than 1000"},
        {"compressed, small on the wire",
         [](LoopbackSite& site) {
             site.Serve("/", Page()
                                 .WithBody(testing::Gzip(std::string(1 << 20, '\0')))
                                 .WithContentType(kOctets)
                                 .WithHeader("Content-Encoding", "gzip"));
         },
         false, "larger than 1000"},
        {"truncated", [](LoopbackSite& site) { site.Handle("/", Truncated()); }, false, ""},
        {"header flood", [](LoopbackSite& site) { site.Serve("/", HeaderFlood()); }, false, "headers larger"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackSite site;
        row.setUp(site);
        Fetcher fetcher(QuickOptions(kCap));
        const auto result = fetcher.Fetch(site.Url("/"));
        EXPECT_EQ(result.ok, row.ok) << result.error;
        if (row.ok) {
            EXPECT_EQ(result.body.size(), kCap);
        } else {
            EXPECT_TRUE(result.body.empty());
            EXPECT_NE(result.error.find(row.reason), std::string::npos) << result.error;
        }
    }
}

TEST(Fetcher, SlowPageFailsAtTheTimeLimit) {
    LoopbackSite site;
    site.Serve("/slow", Page().WithBody("too late").WithDelay(std::chrono::seconds(30)));
    FetchOptions options = QuickOptions();
    options.timeout = std::chrono::milliseconds(300);
    Fetcher fetcher(options);
    const auto result = fetcher.Fetch(site.Url("/slow"));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.body.empty());
    EXPECT_EQ(result.error, "time-out after 300 ms");
}

TEST(Fetcher, ProgramLimitsAreTheAdvertisedOnes) {
    const FetchOptions defaults;
    EXPECT_EQ(defaults.timeout, std::chrono::seconds(60));
    EXPECT_EQ(defaults.maxBodyBytes, std::size_t{32} * 1024 * 1024);
    EXPECT_EQ(defaults.maxRedirects, 10);
    EXPECT_EQ(defaults.userAgent, "Vortaxel/2.00");
}

} // namespace
} // namespace vortaxel::net
