// The command line's session driven in-process on crawl files made here: what a user gets back from a kept
// crawl through --resume and --offline.

#include "app/crawl_session.h"
#include "app/run_controller.h"
#include "cli/cli_session.h"
#include "cli/interrupt_watcher.h"
#include "cli/keyword_output.h"
#include "cli/options.h"
#include "crawl/page_fetcher.h"
#include "tests/support/scratch_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <pthread.h>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

constexpr const char* kStart = "http://chain.test/";

/// A chain of pages, each linking to the next.
class ChainSite final : public crawl::PageFetcher {
public:
    crawl::FetchedPage Fetch(const std::string& url) override {
        const std::string path = url.substr(std::string(kStart).size());
        const int i = path.empty() ? 0 : std::stoi(path.substr(1));
        crawl::FetchedPage page = crawl::FetchedPage::Success(
            i < 12 ? "<html><body><a href=\"p" + std::to_string(i + 1) + "\">next</a></body></html>" : "<html></html>");
        page.status = 200;
        page.contentType = "text/html";
        return page;
    }
};

/// Crawls the chain into a new file at `path`, stopping after `stopAfter` turns when not 0.
void CrawlInto(const std::string& path, crawl::FoundList& found, std::size_t stopAfter = 0) {
    class StopAfter final : public crawl::CrawlListener {
    public:
        StopAfter(app::RunController*& run, std::size_t left) : run_(run), left_(left) {}
        void PageFetched(const std::string& /*url*/, const crawl::FetchedPage& /*page*/) override {
            if (left_ != 0 && --left_ == 0) {
                run_->Stop();
            }
        }

    private:
        app::RunController*& run_;
        std::size_t left_;
    };
    app::RunController* running = nullptr;
    StopAfter stop(running, stopAfter);
    ChainSite site;
    app::CrawlSession session;
    store::CrawlSettings settings;
    settings.startText = kStart;
    settings.maxMemory = crawl::RunLimits{}.storeBytes;
    ASSERT_EQ(session.Replace(path, settings), "");
    app::RunController run(app::RunSetup{}, stop, site);
    running = &run;
    session.Keep(run);
    run.Run(kStart);
    for (std::size_t i = 0; i < run.Engine().List2().Count(); ++i) {
        found.Append(run.Engine().List2().Text(i));
    }
}

int RunCli(const std::vector<std::string>& args, std::string* err = nullptr) {
    cli::ParsedOptions parsed = cli::ParseOptions(args);
    EXPECT_TRUE(parsed.options.has_value()) << parsed.error;
    if (!parsed.options) {
        return -1;
    }
    // The watcher leaves the signals it takes blocked; the programs that later tests start must not inherit that.
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    int exitCode = -1;
    ::testing::internal::CaptureStderr();
    {
        cli::InterruptWatcher interrupts;
        cli::Session session(std::move(*parsed.options), std::move(parsed.given));
        exitCode = session.Run(interrupts);
    }
    const std::string said = ::testing::internal::GetCapturedStderr();
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    if (err != nullptr) {
        *err = said;
    }
    return exitCode;
}

TEST(CliSession, ResumeRefusesAFinishedCrawlAndLeavesItsFileAsItWas) {
    ScratchFolder folder("cli-session");
    const std::string path = (folder.Path() / "done.vxcrawl").string();
    crawl::FoundList found;
    CrawlInto(path, found);
    const std::string before = ReadFile(path);
    std::string err;
    EXPECT_EQ(RunCli({"--db", path, "--resume", "--quiet"}, &err), cli::kExitUsage);
    EXPECT_EQ(err, "vortaxel-cli: the crawl kept in " + path + " is finished: there is nothing to resume\n");
    EXPECT_EQ(ReadFile(path), before);
}

TEST(CliSession, OfflineWritesTheKeywordFileTheLiveRunFound) {
    ScratchFolder folder("cli-session");
    for (const std::size_t stopAfter : {std::size_t{0}, std::size_t{4}}) {
        SCOPED_TRACE(stopAfter);
        const std::string path = (folder.Path() / ("kept" + std::to_string(stopAfter) + ".vxcrawl")).string();
        crawl::FoundList found;
        CrawlInto(path, found, stopAfter);
        const std::string live = (folder.Path() / "live.txt").string();
        ASSERT_EQ(cli::WriteKeywordFile(found, live), "");
        const std::string offline = (folder.Path() / "offline.txt").string();
        EXPECT_EQ(RunCli({"--db", path, "--offline", "--quiet", "--keywords", offline}), cli::kExitOk);
        EXPECT_EQ(ReadFile(offline), ReadFile(live));
        EXPECT_FALSE(ReadFile(live).empty());
    }
}

} // namespace
} // namespace vortaxel::test
