#include "child_process.h"
#include "page_chain.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

// Far below the hour that the programs under test would otherwise wait: only a bound for a test gone wrong.
constexpr auto kRunLimit = 60s;

// The second page waits out an hour's pause between requests; the user will not.
TEST(CliPromptStop, OneCtrlCDuringAPolitenessPauseEndsTheRunAtOnce) {
    LoopbackSite site;
    ServePageChain(site, 3, 0ms);
    auto cli = ChildProcess(VORTAXEL_CLI_PATH, {"--quiet", "--delay", "3600000", site.Url("/")});
    ASSERT_TRUE(cli.WaitForOut(site.Url("/page-1.html") + "\n", kRunLimit)) << cli.Err();
    cli.Signal(SIGINT);
    ASSERT_TRUE(cli.Wait(kRunLimit)) << "still waiting out the pause";
    EXPECT_EQ(cli.ExitCode(), 0) << cli.Err();
    EXPECT_EQ(site.Targets(), std::vector<std::string>{"/"});
}

// Opening a named pipe for reading waits for a writer; nobody writes this one.
TEST(CliPromptStop, CaFileThatIsANamedPipeIsRefusedAtOnce) {
    LoopbackSite site;
    site.ServeHtml("/", "home");
    const ScratchFolder dir("cli-ca-pipe");
    const std::string pipe = (dir / "ca.pem").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto cli = ChildProcess(VORTAXEL_CLI_PATH, {"--ca-file", pipe, site.Url("/")});
    ASSERT_TRUE(cli.Wait(kRunLimit)) << "hangs on the pipe";
    EXPECT_EQ(cli.ExitCode(), 2);
    EXPECT_NE(cli.Err().find("--ca-file"), std::string::npos) << cli.Err();
    EXPECT_NE(cli.Err().find("not a regular file"), std::string::npos) << cli.Err();
    EXPECT_TRUE(site.Targets().empty());
}

} // namespace
} // namespace vortaxel::test
