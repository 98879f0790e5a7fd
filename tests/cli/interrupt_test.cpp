#include "child_process.h"
#include "page_chain.h"
#include "tests/support/loopback_site.h"
#include "tests/support/scratch_folder.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace vortaxel::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kRunLimit = 30s;
constexpr int kPages = 5;

ChildProcess RunCli(const LoopbackSite& site, const std::filesystem::path& keywords) {
    return ChildProcess(VORTAXEL_CLI_PATH, {"--quiet", "--keywords", keywords.string(), site.Url("/")});
}

// The earliest press the program can take over: sent the moment it blocks SIGINT, before its run has begun.
// A press even earlier ends it by the default action, which also loses nothing. The start page is held back
// until the press has been sent, so however the machine schedules the program, the press comes before the
// start page's answer: the run must not ask for a second page.
TEST(CliInterrupt, PressBeforeTheRunBeginsStopsIt) {
    LoopbackSite site;
    ServePageChain(site, kPages, 5ms);
    std::atomic<bool> pressSent{false};
    site.Handle("/", [&site, &pressSent](const httplib::Request&, httplib::Response& response) {
        while (!pressSent.load() && !site.WaitForShutdown(1ms)) {
        }
        response.set_content("<a href=\"/page-1.html\">next</a>", "text/html");
    });
    const ScratchFolder dir("cli-early-interrupt");
    for (int run = 0; run < 20; ++run) {
        site.ClearRequests();
        pressSent.store(false);
        auto cli = RunCli(site, dir / "keywords.txt");
        ASSERT_TRUE(cli.WaitUntilBlocked(SIGINT, kRunLimit));
        cli.Signal(SIGINT);
        pressSent.store(true);
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0) << "run " << run << ": " << cli.Err();
        EXPECT_LT(site.Targets().size(), 2u) << "run " << run << ": the press was seen too late or lost";
    }
}

// Ctrl+C held down: presses keep coming after the loop has ended, while the keyword file is written.
TEST(CliInterrupt, InterruptStormAlwaysEndsWithTheKeywordFileWritten) {
    LoopbackSite site;
    ServePageChain(site, kPages, 10ms);
    const ScratchFolder dir("cli-interrupt-storm");
    for (int run = 0; run < 5; ++run) {
        const auto keywords = dir / ("keywords-" + std::to_string(run) + ".txt");
        site.ClearRequests();
        auto cli = RunCli(site, keywords);
        for (int i = 0; i < 2000 && site.Targets().empty(); ++i) {
            std::this_thread::sleep_for(1ms);
        }
        for (int i = 0; i < 5000 && !cli.HasEnded(); ++i) {
            cli.Signal(SIGINT);
            std::this_thread::sleep_for(200us);
        }
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), 0) << "run " << run << ": " << cli.Err();
        EXPECT_TRUE(std::filesystem::exists(keywords)) << "run " << run;
    }
}

// The links of a run without --db live in a temporary crawl file: whatever signal ends the run, it goes.
TEST(CliInterrupt, EverySignalThatEndsARunRemovesItsTemporaryCrawlFile) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        LoopbackSite site;
        site.ServeHtml("/", "<a href=\"/a.html\">a</a>");
        site.Hold("/");
        const ScratchFolder temp("cli-signal-tmp");
        const ScratchFolder out("cli-signal-out");
        const char* before = std::getenv("TMPDIR");
        const std::string saved = before ? before : "";
        ::setenv("TMPDIR", temp.Path().c_str(), 1);
        auto cli = ChildProcess(VORTAXEL_CLI_PATH,
                                {"--quiet", "--rules", "browser", "--links", (out / "l.csv").string(), site.Url("/")});
        before ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
        for (int i = 0; i < 3000 && site.Targets().empty(); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_FALSE(site.Targets().empty());
        EXPECT_FALSE(std::filesystem::is_empty(temp.Path()));
        cli.Signal(signal);
        // A press lets the page in progress finish; the other two end the program at once.
        site.Release("/");
        ASSERT_TRUE(cli.Wait(kRunLimit));
        EXPECT_EQ(cli.ExitCode(), signal == SIGINT ? 0 : 128 + signal) << cli.Err();
        EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
    }
}

} // namespace
} // namespace vortaxel::test
