// Each misbehaving server answer, met in the middle of a crawl: the engine lists the address, takes no
// link from it, leaves the page buffer empty, and goes on to the next page, in bounded time and memory.

#include "crawl_harness.h"
#include "hostile_behaviours.h"
#include "net/fetch_options.h"
#include "tests/support/named_rows.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;
using test::PrintTo;

constexpr auto kFetchLimit = 3s;
// A run that visits three pages, one of them hostile, ends well inside this; only a hang reaches it.
constexpr auto kRunBound = 20s;
// Far below what any uncapped stream would reach; the body cap is 32 MiB.
constexpr std::size_t kMemoryBound = std::size_t{384} << 20;

struct HostileCase {
    const char* name;
    const char* path;
    /// Where several guards would each fail the fetch, a word of the reason that shows the right one did.
    const char* reasonPart = "";
};

class HostileServerTest : public testing::TestWithParam<HostileCase> {};

bool Leaked(const std::vector<std::string>& urls) {
    return std::any_of(urls.begin(), urls.end(),
                       [](const std::string& url) { return url.find("leak") != std::string::npos; });
}

TEST_P(HostileServerTest, CrawlListsItTakesNoLinksAndGoesOn) {
    HostileServer server;
    InstallHostileBehaviours(server);
    InstallSiteAround(server, GetParam().path);
    server.Start();
    const std::string root = server.Url("/");
    const std::string hostile = root + std::string(GetParam().path).substr(1);

    CrawlLimits limits;
    limits.fetchTimeout = kFetchLimit;
    const CrawlOutcome outcome = RunCrawl(root, limits);
    server.Stop();

    EXPECT_FALSE(outcome.timedOut);
    EXPECT_LT(outcome.elapsed, kRunBound);
    EXPECT_LT(outcome.peakGrowthBytes, kMemoryBound);
    EXPECT_EQ(outcome.found, (std::vector<std::string>{root, hostile, root + "after.html"}));
    EXPECT_EQ(outcome.counter, "Retrieving URLs: 3");
    EXPECT_EQ(outcome.FetchOk(hostile), false) << "the server's answer passed for a page";
    EXPECT_EQ(outcome.BufferAfter(hostile), 0u);
    if (const auto reason = outcome.FetchError(hostile)) {
        EXPECT_NE(reason->find(GetParam().reasonPart), std::string::npos) << *reason;
    }
    EXPECT_EQ(outcome.FetchOk(root + "after.html"), true);
    EXPECT_FALSE(Leaked(outcome.found));
    EXPECT_TRUE(outcome.queue.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Behaviours, HostileServerTest,
    testing::Values(
        HostileCase{"NeverAnswers", "/silent"}, HostileCase{"TrickledHeaders", "/trickle-headers"},
        HostileCase{"TrickledBody", "/trickle-body"}, HostileCase{"TruncatedBody", "/truncated"},
        HostileCase{"ResetMidBody", "/reset-mid-body"}, HostileCase{"ResetAtOnce", "/reset-at-once"},
        HostileCase{"EmptyReply", "/empty"}, HostileCase{"EndlessChunkedBody", "/endless-chunked"},
        HostileCase{"EndlessCloseDelimitedBody", "/endless-close"},
        HostileCase{"LengthLongerThanBody", "/lying-length"}, HostileCase{"ConflictingLengths", "/conflicting-length"},
        HostileCase{"ConflictingLengthsInOneList", "/conflicting-length-list"},
        HostileCase{"NegativeLength", "/negative-length"}, HostileCase{"EndlessHeaderLine", "/endless-header-line"},
        HostileCase{"HeaderFlood", "/header-flood"}, HostileCase{"RedirectToItself", "/redirect-self"},
        HostileCase{"EndlessUniqueRedirects", "/redirect-chain"},
        HostileCase{"RedirectToFile", "/redirect-file", "file"}, HostileCase{"BrokenChunkSize", "/broken-chunk"},
        HostileCase{"GzipBomb", "/gzip-bomb"}, HostileCase{"Http09Reply", "/http09"},
        HostileCase{"NotFoundWithLinks", "/status-404"}, HostileCase{"ServerErrorWithLinks", "/status-500"}),
    RowName());

TEST(HostileRedirects, LoopsAndChainsCostAFewRequestsOnly) {
    for (const char* path : {"/redirect-self", "/redirect-chain"}) {
        HostileServer server;
        InstallHostileBehaviours(server);
        InstallSiteAround(server, path);
        server.Start();
        RunCrawl(server.Url("/"));
        server.Stop();
        const std::vector<std::string> requests = server.Requests();
        const auto hops = std::count_if(requests.begin(), requests.end(), [](const std::string& head) {
            return head.find(" /redirect-") != std::string::npos;
        });
        EXPECT_LE(hops, net::FetchOptions{}.maxRedirects + 1) << path;
    }
}

TEST(FetchTimeLimit, TheProgramWaitsSixtySecondsForAPage) {
    // The command line and the window both build their fetcher from the default options.
    EXPECT_EQ(net::FetchOptions{}.timeout, std::chrono::milliseconds(60000));
}

} // namespace
} // namespace vortaxel::test
