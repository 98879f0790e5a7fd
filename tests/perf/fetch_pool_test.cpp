#include "net/fetcher.h"
#include "tests/support/loopback_site.h"
#include "tests/support/sorted.h"

#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace vortaxel::net {
namespace {

using namespace std::chrono_literals;
using test::LoopbackSite;
using test::Page;
using test::Sorted;
using Targets = std::vector<std::string>;

FetchOptions PoolOptions() {
    FetchOptions options;
    options.timeout = 10s;
    return options;
}

/// A site of pages /p0 ... /p9, each naming itself, answering after a short delay so that
/// fetches made ahead are still in flight when they are asked for.
class FetchAheadTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 10; ++i) {
            site_.Serve(Target(i), Page().WithBody("page " + std::to_string(i)).WithDelay(5ms));
        }
    }

    static std::string Target(int i) { return "/p" + std::to_string(i); }
    std::string Url(int i) const { return site_.Url(Target(i)); }

    LoopbackSite site_;
};

TEST_F(FetchAheadTest, FetchesAheadWithinTheWidthAndHandsEachPageOutOnce) {
    struct Row {
        std::size_t width;
        std::vector<int> ahead; // page numbers; -1 is an address that is never fetched
        std::size_t startedByFirstFetch;
    };
    const std::vector<Row> rows = {
        {1, {1, 2, 3}, 1},
        {2, {1, 2, 3}, 2},
        {4, {1, 2, 3}, 4},
        {8, {1, 2, 3}, 4},
        // The list is asked for width - 1 pages; the page asked for and repeats are fetched once.
        {4, {0, 1, 1, 2}, 2},
        // An address that is never fetched takes no request and leaves its transfer free.
        {3, {-1, 1, 2}, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("width " + std::to_string(row.width));
        site_.ClearRequests();
        // With no room to store finished pages, a page fetched ahead keeps its transfer until asked for.
        FetchOptions unstored = PoolOptions();
        unstored.storeBytes = 0;
        Fetcher pool(unstored, row.width);
        pool.SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
            for (const int i : row.ahead) {
                if (out.size() < wanted) {
                    out.push_back(i < 0 ? "ftp://127.0.0.1/p1" : Url(i));
                }
            }
        });
        const web::FetchResult first = pool.Fetch(Url(0));
        ASSERT_TRUE(first.ok) << first.error;
        EXPECT_EQ(first.body, "page 0");
        EXPECT_EQ(pool.RequestsStarted(), row.startedByFirstFetch);
        // Pages fetched ahead come from the pool without a second request.
        pool.SetAheadList({});
        for (int i = 1; i <= 3; ++i) {
            const web::FetchResult page = pool.Fetch(Url(i));
            ASSERT_TRUE(page.ok) << page.error;
            EXPECT_EQ(page.body, "page " + std::to_string(i));
        }
        // Every page was requested once, whether ahead or when asked for.
        EXPECT_EQ(pool.RequestsStarted(), 4u);
        EXPECT_EQ(Sorted(site_.Targets()), (Targets{"/p0", "/p1", "/p2", "/p3"}));
        // Handed out once: asking again fetches again.
        site_.ClearRequests();
        EXPECT_TRUE(pool.Fetch(Url(1)).ok);
        EXPECT_EQ(site_.Targets(), Targets{"/p1"});
    }
}

TEST_F(FetchAheadTest, FailuresAreThoseOfTheSingleFetch) {
    struct Row {
        std::string url;
        bool ok;
        bool requested;
    };
    const std::vector<Row> rows = {
        {Url(4), true, true},
        {site_.Url("/missing"), false, true},
        {"ftp://127.0.0.1/p4", false, false},
        {"not an address", false, false},
    };
    Fetcher pool(PoolOptions(), 4);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        site_.ClearRequests();
        // Each address also sits in the ahead list of the fetch before it.
        pool.SetAheadList([&](std::size_t, std::vector<std::string>& out) { out.push_back(row.url); });
        const web::FetchResult warmUp = pool.Fetch(Url(9));
        ASSERT_TRUE(warmUp.ok);
        pool.SetAheadList({});
        const web::FetchResult result = pool.Fetch(row.url);
        EXPECT_EQ(result.ok, row.ok) << result.error;
        EXPECT_EQ(result.ok, !result.body.empty());
        EXPECT_EQ(site_.Targets().size(), row.requested ? 2u : 1u);
    }
}

TEST_F(FetchAheadTest, AbortFailsEveryFetchUntilCleared) {
    Fetcher pool(PoolOptions(), 3);
    pool.SetAheadList([&](std::size_t, std::vector<std::string>& out) { out = {Url(1), Url(2)}; });
    ASSERT_TRUE(pool.Fetch(Url(0)).ok);
    pool.Abort();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_FALSE(pool.Fetch(Url(i)).ok);
    }
    pool.ClearAbort();
    pool.SetAheadList({});
    for (int i = 1; i <= 3; ++i) {
        const web::FetchResult page = pool.Fetch(Url(i));
        ASSERT_TRUE(page.ok) << page.error;
        EXPECT_EQ(page.body, "page " + std::to_string(i));
    }
}

TEST(FetchAhead, NeedsAtLeastOneTransfer) {
    EXPECT_THROW(Fetcher({}, 0), std::invalid_argument);
}

} // namespace
} // namespace vortaxel::net
