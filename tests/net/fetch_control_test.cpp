#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/loopback_site.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace vortaxel::net {
namespace {

using test::LoopbackSite;
using test::Page;
using testing::QuickOptions;
using Clock = std::chrono::steady_clock;

// Abort has to beat the fetch time limit (20 s) by far; this bound only tells "prompt" from "waited it out",
// with room for a machine whose cores are all busy.
constexpr auto kPrompt = std::chrono::seconds(10);

FetchOptions PatientOptions() {
    FetchOptions options = QuickOptions();
    options.timeout = std::chrono::seconds(20);
    return options;
}

void WaitForRequests(const LoopbackSite& site, std::size_t count) {
    for (int i = 0; i < 2000 && site.Requests().size() < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A page that answers far later than any test waits, beside one that answers at once.
class StalledFetch : public ::testing::Test {
protected:
    StalledFetch() {
        site.Serve("/slow", Page().WithBody("late").WithDelay(std::chrono::seconds(30)));
        site.ServeHtml("/quick", "quick");
    }

    LoopbackSite site;
    Fetcher fetcher{PatientOptions()};
};

TEST_F(StalledFetch, AbortFromAnotherThreadEndsTheFetchPromptlyAndBlocksLaterOnes) {
    Clock::time_point abortedAt;
    std::thread stopper([&] {
        WaitForRequests(site, 1);
        abortedAt = Clock::now();
        fetcher.Abort();
    });
    const auto result = fetcher.Fetch(site.Url("/slow"));
    const auto returnedAt = Clock::now();
    stopper.join();

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.body.empty());
    EXPECT_NE(result.error.find("abort"), std::string::npos) << result.error;
    EXPECT_LT(returnedAt - abortedAt, kPrompt);

    // Until cleared, a fetch fails without a request.
    EXPECT_FALSE(fetcher.Fetch(site.Url("/quick")).ok);
    EXPECT_EQ(site.Requests().size(), 1u);

    fetcher.ClearAbort();
    EXPECT_EQ(fetcher.Fetch(site.Url("/quick")).body, "quick");
}

TEST(Fetcher, WaitCallbackRunsOnTheFetchingThreadWhileItWaits) {
    LoopbackSite site;
    site.Serve("/slow", Page().WithBody("done").WithDelay(std::chrono::milliseconds(400)));
    Fetcher fetcher(PatientOptions());
    int calls = 0;
    const auto fetchingThread = std::this_thread::get_id();
    bool otherThread = false;
    fetcher.SetWaitCallback([&] {
        ++calls;
        otherThread = otherThread || std::this_thread::get_id() != fetchingThread;
    });

    EXPECT_EQ(fetcher.Fetch(site.Url("/slow")).body, "done");
    // A call about every 20 ms over 400 ms; a loaded machine may run far fewer, but never none.
    EXPECT_GE(calls, 2);
    EXPECT_FALSE(otherThread);

    fetcher.SetWaitCallback({});
    calls = 0;
    EXPECT_EQ(fetcher.Fetch(site.Url("/slow")).body, "done");
    EXPECT_EQ(calls, 0);
}

TEST_F(StalledFetch, WaitCallbackCanAbortAndCannotNestAFetch) {
    web::FetchResult nested;
    bool aborted = false;
    // Once the request is out, whenever that is on a busy machine: then the site has seen it.
    fetcher.SetWaitCallback([&] {
        if (!aborted && !site.Requests().empty()) {
            aborted = true;
            nested = fetcher.Fetch(site.Url("/quick"));
            fetcher.Abort();
        }
    });

    const auto started = Clock::now();
    const auto result = fetcher.Fetch(site.Url("/slow"));
    EXPECT_FALSE(result.ok);
    EXPECT_LT(Clock::now() - started, kPrompt);
    EXPECT_FALSE(nested.ok);
    EXPECT_NE(nested.error.find("running"), std::string::npos) << nested.error;
    EXPECT_EQ(site.Targets(), std::vector<std::string>{"/slow"});
}

TEST(Fetcher, ThrowingWaitCallbackLeavesTheFetcherUsable) {
    LoopbackSite site;
    site.Serve("/slow", Page().WithBody("slow").WithDelay(std::chrono::milliseconds(200)));
    site.ServeHtml("/next", "next");
    Fetcher fetcher(PatientOptions());
    fetcher.SetWaitCallback([] { throw std::runtime_error("window gone"); });
    EXPECT_THROW(fetcher.Fetch(site.Url("/slow")), std::runtime_error);

    fetcher.SetWaitCallback({});
    EXPECT_EQ(fetcher.Fetch(site.Url("/next")).body, "next");
}

} // namespace
} // namespace vortaxel::net
