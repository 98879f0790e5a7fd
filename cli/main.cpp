#include "cli/cli_crawl_host.h"
#include "cli/interrupt_watcher.h"
#include "cli/keyword_output.h"
#include "cli/options.h"
#include "cli/queue_lookahead.h"
#include "crawl/crawl_engine.h"
#include "net/fetch_pool.h"
#include "net/http_fetcher.h"

#include <cstdio>
#include <memory>
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

    // One page at a time unless more are asked for; then a pool fetches ahead the pages the queue
    // is sure to visit, and the engine still takes them in its own order.
    net::HttpFetcher fetcher;
    std::unique_ptr<net::FetchPool> pool;
    if (options.parallel > 1) {
        pool = std::make_unique<net::FetchPool>(options.parallel);
    }
    cli::CliCrawlHost::Streams streams;
    streams.showProgress = !options.quiet && isatty(STDERR_FILENO) != 0;
    cli::CliCrawlHost host(
        options.url, [&fetcher, &pool](const std::string& url) { return pool ? pool->Fetch(url) : fetcher.Fetch(url); },
        streams);
    crawl::CrawlEngine engine(host);
    if (pool) {
        pool->SetAheadList(
            [&engine](std::size_t wanted, std::vector<std::string>& out) { cli::ListNextVisits(engine, wanted, out); });
    }
    host.AttachFoundList(engine.List2());
    engine.List2().SetObserver(&host);
    if (options.maxPages) {
        host.SetPageLimit(*options.maxPages, [&engine] { engine.cmdstop_Click(); });
    }

    {
        // Ctrl+C is the stop action: the turn in progress completes and no further turn starts. A second
        // Ctrl+C also gives up the fetch in progress, for a user who will not wait for a slow server.
        cli::InterruptWatcher interrupts([&engine, &fetcher, &pool](int count) {
            engine.cmdstop_Click();
            if (count > 1) {
                fetcher.Abort();
                if (pool) {
                    pool->Abort();
                }
            }
        });
        int enterKey = 13;
        engine.txturl_KeyPress(enterKey);
    }
    engine.List2().SetObserver(nullptr);
    host.FinishProgress();

    if (host.Refused()) {
        return kExitUsage;
    }
    if (options.keywordsFile) {
        const std::string error = cli::WriteKeywordFile(engine.List2(), *options.keywordsFile);
        if (!error.empty()) {
            std::fprintf(stderr, "vortaxel-cli: cannot write %s: %s\n", options.keywordsFile->c_str(), error.c_str());
            return kExitFailure;
        }
    }
    return kExitOk;
}
