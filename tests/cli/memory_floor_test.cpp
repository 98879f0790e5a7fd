#include "child_process.h"
#include "cli/options.h"
#include "page_chain.h"
#include "tests/support/loopback_site.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

// The least budget the command line takes is one a crawl can run in, under either rule set.
TEST(CliMemoryFloor, SmallestBudgetAcceptedCrawlsASmallSiteWhole) {
    LoopbackSite site;
    ServePageChain(site, 2, 0ms);
    for (const char* rules : {"classic", "browser"}) {
        auto cli = ChildProcess(VORTAXEL_CLI_PATH, {"--quiet", "--rules", rules, "--max-memory",
                                                    std::to_string(cli::kMinMaxMemory), site.Url("/")});
        ASSERT_TRUE(cli.Wait(30s));
        EXPECT_EQ(cli.ExitCode(), 0) << rules << ": " << cli.Err();
        EXPECT_EQ(cli.Out(), site.Url("/") + "\n" + site.Url("/page-1.html") + "\n" + site.Url("/page-2.html") + "\n")
            << rules;
    }
}

} // namespace
} // namespace vortaxel::test
