// What pages fetched ahead hold, finished or still arriving, stays within the store's budget and a
// small allowance per transfer: a transfer working ahead stops reading while the budget is spent,
// and reads on once it has room.

#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::net {
namespace {

using namespace std::chrono_literals;
using test::LoopbackSite;
using test::Page;
using testing::FetchInOrder;
using testing::QuickOptions;

TEST(FetchAheadMemory, TransfersInFlightStayWithinTheBudgetAndEveryPageArrivesWhole) {
    constexpr std::size_t kPageBytes = std::size_t{1} << 20;
    constexpr std::size_t kBudget = kPageBytes * 5 / 2;
    constexpr int kPages = 8;
    LoopbackSite site;
    std::vector<std::string> urls;
    for (int i = 0; i < kPages; ++i) {
        const std::string target = "/p" + std::to_string(i);
        // The first page is slow, so that the others are all fetched ahead while it is awaited.
        site.Serve(target, Page()
                               .WithBody(std::string(kPageBytes, static_cast<char>('a' + i)))
                               .WithContentType("application/octet-stream")
                               .WithDelay(i == 0 ? 1500ms : 0ms));
        urls.push_back(site.Url(target));
    }
    FetchOptions options = QuickOptions();
    options.timeout = 60s;
    options.storeBytes = kBudget;
    Fetcher fetcher(options, kPages);
    FetchInOrder(fetcher, urls, [&](std::size_t next, const web::FetchResult& page) {
        EXPECT_TRUE(page.ok) << urls[next] << ": " << page.error;
        EXPECT_EQ(page.body, std::string(kPageBytes, static_cast<char>('a' + next))) << urls[next];
        EXPECT_LE(fetcher.PeakAheadBytes(), kBudget + (kPages - 1) * Fetcher::kAheadAllowanceBytes)
            << "after " << urls[next];
    });
    // Pausing is not refetching: every page was asked for once.
    auto targets = site.Targets();
    std::ranges::sort(targets);
    EXPECT_EQ(std::ranges::adjacent_find(targets), targets.end());
    EXPECT_EQ(targets.size(), urls.size());
    EXPECT_GT(fetcher.PeakAheadBytes(), kPageBytes) << "the ahead transfers did work ahead";
}

} // namespace
} // namespace vortaxel::net
