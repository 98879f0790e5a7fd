#include "cli/checked_output.h"
#include "cli/cli_crawl_host.h"
#include "cli/interrupt_watcher.h"
#include "cli/keyword_output.h"
#include "cli/options.h"
#include "cli/queue_lookahead.h"
#include "cli/standard_streams.h"
#include "crawl/crawl_engine.h"
#include "net/fetcher.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

} // namespace

int main(int argc, char** argv) {
    using namespace vortaxel;

    // Before anything opens a file or a socket, and before any thread: see the two classes.
    const cli::StandardStreamsCheck standardStreams = cli::GuardStandardStreams();
    cli::InterruptWatcher interrupts;
    if (!standardStreams.fatalError.empty()) {
        std::fprintf(stderr, "vortaxel-cli: %s\n", standardStreams.fatalError.c_str());
        return kExitFailure;
    }

    const std::vector<std::string> args(argv + 1, argv + argc);
    const cli::ParsedOptions parsed = cli::ParseOptions(args);
    if (!parsed.reply.empty()) {
        std::fputs(parsed.reply.c_str(), stdout);
        return kExitOk;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "vortaxel-cli: %s\n%s", parsed.error.c_str(), cli::kUsage);
        return kExitUsage;
    }
    const cli::Options& options = *parsed.options;
    if (!standardStreams.stdoutError.empty()) {
        std::fprintf(stderr, "vortaxel-cli: %s\n", standardStreams.stdoutError.c_str());
        return kExitFailure;
    }

    // One page at a time unless more are asked for; then the fetcher fetches ahead the pages the queue
    // is sure to visit, and the engine still takes them in its own order.
    net::Fetcher fetcher({}, options.parallel);
    cli::CheckedOutput output(stdout);
    cli::CliCrawlHost::Streams streams;
    streams.out = &output;
    streams.showProgress = !options.quiet && isatty(STDERR_FILENO) != 0;
    cli::CliCrawlHost host(
        options.url,
        [&fetcher](const std::string& url) {
            net::FetchResult page = fetcher.Fetch(url);
            return crawl::FetchResult{page.ok, std::move(page.body), std::move(page.error)};
        },
        streams);
    crawl::CrawlEngine engine(host);
    fetcher.SetAheadList(
        [&engine](std::size_t wanted, std::vector<std::string>& out) { cli::ListNextVisits(engine, wanted, out); });
    host.AttachFoundList(engine.List2());
    engine.List2().SetObserver(&host);
    if (options.maxPages) {
        host.SetPageLimit(*options.maxPages, [&engine] { engine.cmdstop_Click(); });
    }

    // Ctrl+C is the stop action: the turn in progress completes and no further turn starts. A second
    // Ctrl+C also gives up the fetch in progress, for a user who will not wait for a slow server.
    interrupts.OnInterrupt([&engine, &fetcher](int count) {
        engine.cmdstop_Click();
        if (count > 1) {
            fetcher.Abort();
        }
    });
    host.OnRunStarted([&interrupts, &engine] { interrupts.ReapplyStop([&engine] { engine.cmdstop_Click(); }); });
    output.OnFailure([&engine] { engine.cmdstop_Click(); });
    int enterKey = 13;
    engine.txturl_KeyPress(enterKey);
    interrupts.IgnoreFromNowOn();
    engine.List2().SetObserver(nullptr);
    host.FinishProgress();

    if (host.Refused()) {
        return kExitUsage;
    }
    int exitCode = kExitOk;
    if (options.keywordsFile) {
        const std::string error = cli::WriteKeywordFile(engine.List2(), *options.keywordsFile);
        if (!error.empty()) {
            std::fprintf(stderr, "vortaxel-cli: cannot write %s: %s\n", options.keywordsFile->c_str(), error.c_str());
            exitCode = kExitFailure;
        }
    }
    if (!output.Error().empty()) {
        std::fprintf(stderr, "vortaxel-cli: %s\n", output.Error().c_str());
        exitCode = kExitFailure;
    }
    return exitCode;
}
