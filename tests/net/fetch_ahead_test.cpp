// Fetching ahead changes when a page is fetched, never which pages are or what they hold: a crawl gets
// the same pages and makes the same requests at every width, and a stored page is handed out once.

#include "net/fetcher.h"
#include "tests/support/loopback_site.h"
#include "tests/support/sorted.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::net {
namespace {

using namespace std::chrono_literals;
using test::LoopbackSite;
using test::Page;
using test::Sorted;
using Clock = std::chrono::steady_clock;

FetchOptions Patient() {
    FetchOptions options;
    options.timeout = 20s;
    return options;
}

std::string Target(int i) {
    return "/p" + std::to_string(i);
}

// A random site of `pages` pages, each linking `links` others by target on lines of their own, each
// answering after a random delay up to 8 ms, so replies overtake one another.
void ServeRandomSite(LoopbackSite& site, int pages, int links, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> page(0, pages - 1);
    std::uniform_int_distribution<int> delay(0, 8);
    for (int i = 0; i < pages; ++i) {
        std::string body = "page " + std::to_string(i) + "\n";
        for (int l = 0; l < links; ++l) {
            body += Target(page(random)) + "\n";
        }
        site.Serve(
            Target(i),
            Page().WithBody(body).WithContentType("text/plain").WithDelay(std::chrono::milliseconds(delay(random))));
    }
}

struct CrawlRecord {
    std::map<std::string, std::string> pages;
    std::vector<std::string> requests;
};

// Breadth first from /p0: the queue's entries not yet visited are what the fetcher may fetch ahead.
CrawlRecord Crawl(LoopbackSite& site, std::size_t width) {
    site.ClearRequests();
    Fetcher fetcher(Patient(), width);
    std::deque<std::string> queue = {site.Url(Target(0))};
    std::set<std::string> seen(queue.begin(), queue.end());
    fetcher.SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
        for (std::size_t i = 1; i < queue.size() && out.size() < wanted; ++i) {
            out.push_back(queue[i]);
        }
    });
    CrawlRecord record;
    while (!queue.empty()) {
        const web::FetchResult page = fetcher.Fetch(queue.front());
        record.pages[queue.front()] = page.ok ? page.body : "failed: " + page.error;
        queue.pop_front();
        std::size_t start = page.body.find('\n');
        while (start != std::string::npos && start + 1 < page.body.size()) {
            const std::size_t end = page.body.find('\n', start + 1);
            const std::string link = site.Url(page.body.substr(start + 1, end - start - 1));
            if (seen.insert(link).second) {
                queue.push_back(link);
            }
            start = end;
        }
    }
    record.requests = Sorted(site.Targets());
    return record;
}

TEST(FetchAhead, EveryWidthGetsTheSamePagesWithTheSameRequests) {
    const struct {
        const char* name;
        int pages;
        int links;
    } sites[] = {{"sparse", 120, 2}, {"dense", 80, 25}};
    for (const auto& shape : sites) {
        SCOPED_TRACE(shape.name);
        LoopbackSite site;
        ServeRandomSite(site, shape.pages, shape.links, 7);
        const CrawlRecord one = Crawl(site, 1);
        ASSERT_GT(one.pages.size(), 10u);
        // Each page once, and nothing else.
        EXPECT_EQ(std::adjacent_find(one.requests.begin(), one.requests.end()), one.requests.end());
        EXPECT_EQ(one.requests.size(), one.pages.size());
        for (const std::size_t width : {4u, 8u}) {
            SCOPED_TRACE(width);
            const CrawlRecord wide = Crawl(site, width);
            EXPECT_EQ(wide.pages, one.pages);
            EXPECT_EQ(wide.requests, one.requests);
        }
    }
}

TEST(FetchAhead, PagesFetchedAheadStayWithinTheStoresBudgetFinishedOrNot) {
    LoopbackSite site;
    site.Serve(Target(0), Page().WithBody("slow").WithDelay(400ms));
    const std::string body(10000, 'x');
    for (int i = 1; i <= 7; ++i) {
        site.Serve(Target(i), Page().WithBody(std::to_string(i) + body).WithContentType("text/plain"));
    }
    const struct {
        std::size_t storeBytes;
        std::size_t leastStored;
        std::size_t mostStored;
        std::size_t leastStarted;
        std::size_t mostStarted;
    } rows[] = {
        // No store: the three transfers ahead keep their small pages, and take no more.
        {0, 0, 0, 4, 4},
        // Room for two pages: the transfers ahead share it, and whichever would pass it waits.
        {25000, 0, 2, 1, 8},
        // Room for all: every page named goes ahead while the slow one is awaited.
        {std::size_t{64} << 20, 7, 7, 8, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.storeBytes);
        site.ClearRequests();
        FetchOptions options = Patient();
        options.storeBytes = row.storeBytes;
        Fetcher fetcher(options, 4);
        fetcher.SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
            for (int i = 1; i <= 7 && out.size() < wanted; ++i) {
                out.push_back(site.Url(Target(i)));
            }
        });
        EXPECT_EQ(fetcher.Fetch(site.Url(Target(0))).body, "slow");
        EXPECT_GE(fetcher.StoredPages(), row.leastStored);
        EXPECT_LE(fetcher.StoredPages(), row.mostStored);
        EXPECT_LE(fetcher.StoredBytes(), row.storeBytes);
        EXPECT_LE(fetcher.PeakAheadBytes(), row.storeBytes + 3 * Fetcher::kAheadAllowanceBytes);
        EXPECT_GE(fetcher.RequestsStarted(), row.leastStarted);
        EXPECT_LE(fetcher.RequestsStarted(), row.mostStarted);

        fetcher.SetAheadList({});
        for (int i = 7; i >= 1; --i) {
            const web::FetchResult page = fetcher.Fetch(site.Url(Target(i)));
            EXPECT_EQ(page.body, std::to_string(i) + body);
            EXPECT_EQ(page.bytes, body.size() + 1);
        }
        EXPECT_EQ(fetcher.StoredPages(), 0u);
        EXPECT_EQ(fetcher.StoredBytes(), 0u);
        const std::vector<std::string> once = {"/p0", "/p1", "/p2", "/p3", "/p4", "/p5", "/p6", "/p7"};
        EXPECT_EQ(Sorted(site.Targets()), once);
        // Handed out once: asking again asks the server again.
        EXPECT_TRUE(fetcher.Fetch(site.Url(Target(3))).ok);
        EXPECT_EQ(site.Targets().size(), once.size() + 1);
    }
}

TEST(FetchAhead, AbortWithEveryTransferBusyAndAFullStoreIsPromptAndLosesNothing) {
    LoopbackSite site;
    site.Serve(Target(0), Page().WithBody("never").WithDelay(30s));
    for (int i = 1; i <= 40; ++i) {
        // The first few fill the store; the rest hang, holding every transfer.
        site.Serve(Target(i), Page().WithBody(std::string(1000, 'y')).WithDelay(i <= 10 ? 0ms : 30s));
    }
    FetchOptions options = Patient();
    options.storeBytes = 8000;
    auto fetcher = std::make_unique<Fetcher>(options, 8);
    fetcher->SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
        for (int i = 1; i <= 40 && out.size() < wanted; ++i) {
            out.push_back(site.Url(Target(i)));
        }
    });
    Clock::time_point abortedAt;
    std::thread stopper([&] {
        for (int i = 0; i < 2000 && site.Requests().size() < 12; ++i) {
            std::this_thread::sleep_for(5ms);
        }
        abortedAt = Clock::now();
        fetcher->Abort();
    });
    const web::FetchResult result = fetcher->Fetch(site.Url(Target(0)));
    stopper.join();
    EXPECT_EQ(result.error, "fetch aborted");
    EXPECT_GT(fetcher->StoredPages(), 0u);
    EXPECT_EQ(fetcher->Fetch(site.Url(Target(1))).error, "fetch aborted");
    fetcher.reset();
    EXPECT_LT(Clock::now() - abortedAt, 2s);
    // Nothing was asked for twice.
    const auto targets = Sorted(site.Targets());
    EXPECT_EQ(std::adjacent_find(targets.begin(), targets.end()), targets.end());
}

TEST(FetchAhead, AnAbortLiftedBeforeTheTransfersNoticedCostsNoPageAndNoRequest) {
    LoopbackSite site;
    site.Serve(Target(0), Page().WithBody("zero").WithDelay(200ms));
    site.ServeHtml(Target(1), "one");
    site.Serve(Target(2), Page().WithBody("two").WithDelay(400ms));
    Fetcher fetcher(Patient(), 3);
    fetcher.SetAheadList([&](std::size_t, std::vector<std::string>& out) {
        out = {site.Url(Target(1)), site.Url(Target(2))};
    });
    EXPECT_EQ(fetcher.Fetch(site.Url(Target(0))).body, "zero");
    fetcher.SetAheadList({});
    fetcher.Abort();
    fetcher.ClearAbort();
    EXPECT_EQ(fetcher.Fetch(site.Url(Target(1))).body, "one");
    EXPECT_EQ(fetcher.Fetch(site.Url(Target(2))).body, "two");
    EXPECT_EQ(Sorted(site.Targets()), (std::vector<std::string>{"/p0", "/p1", "/p2"}));
}

TEST(FetchAhead, AStoreFullOfPagesAheadIsNotListedAnewAtEveryPage) {
    // While the slow first page is awaited, the transfers ahead fill the store; the caller then takes the
    // pages one by one. Were every held page asked of the list at each, a large site would cost time in
    // proportion to pages times pages held.
    LoopbackSite site;
    site.Serve(Target(0), Page().WithBody("slow").WithDelay(300ms));
    constexpr int kPages = 200;
    for (int i = 1; i <= kPages; ++i) {
        site.Serve(Target(i), Page().WithBody(std::to_string(i)).WithContentType("text/plain"));
    }
    constexpr std::size_t kWidth = 4;
    Fetcher fetcher(Patient(), kWidth);
    int next = 1;
    std::size_t mostWanted = 0;
    fetcher.SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
        mostWanted = std::max(mostWanted, wanted);
        for (int i = next; i <= kPages && out.size() < wanted; ++i) {
            out.push_back(site.Url(Target(i)));
        }
    });
    EXPECT_EQ(fetcher.Fetch(site.Url(Target(0))).body, "slow");
    for (; next <= kPages; ++next) {
        ASSERT_EQ(fetcher.Fetch(site.Url(Target(next))).body, std::to_string(next));
    }
    EXPECT_LE(mostWanted, (Fetcher::kLookAheadPerTransfer + 1) * kWidth);
    const auto targets = Sorted(site.Targets());
    EXPECT_EQ(targets.size(), std::size_t{kPages} + 1);
    EXPECT_EQ(std::adjacent_find(targets.begin(), targets.end()), targets.end());
}

} // namespace
} // namespace vortaxel::net
