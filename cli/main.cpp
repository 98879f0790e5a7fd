#include "cli/cli_crawl_host.h"
#include "cli/interrupt_watcher.h"
#include "cli/keyword_output.h"
#include "cli/options.h"
#include "crawl/crawl_engine.h"
#include "crawl/function_fetcher.h"
#include "crawl/start_text.h"
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
    if (!parsed.options) {
        std::fprintf(stderr, "vortaxel-cli: %s\n%s", parsed.error.c_str(), cli::kUsage);
        return kExitUsage;
    }
    const cli::Options& options = *parsed.options;

    cli::CliCrawlHost::Streams streams;
    streams.showProgress = !options.quiet && isatty(STDERR_FILENO) != 0;
    cli::CliCrawlHost host(streams);
    std::string startText = options.url;
    if (!crawl::PrepareStartText(startText)) {
        host.ShowRefusal(crawl::kRefusalText);
        return kExitUsage;
    }

    // One page at a time unless more are asked for; then a pool fetches ahead the pages the engine
    // is sure to visit next, and the engine still takes them in its own order.
    net::FetchOptions fetchOptions;
    if (options.rules == crawl::RuleSet::Browser) {
        // Only pages are read: anything else stops after its headers, or after a HEAD when its name
        // says it is most likely no page.
        fetchOptions.htmlOnly = true;
        // Every address is asked for with HEAD first, so that a broken link or a file costs no download;
        // HTML pages then take two requests, one of them a GET.
        fetchOptions.probeFirst = [](std::string_view) { return true; };
    }
    // Under browser rules the next page is fetched while this one is parsed, which the parse's time
    // hides; the pages fetched and the list stay exactly as one at a time would have them.
    const bool overlap = options.parallel == 1 && options.rules == crawl::RuleSet::Browser;
    const std::size_t width = overlap ? 2 : options.parallel;
    net::HttpFetcher single(fetchOptions);
    std::unique_ptr<net::FetchPool> pool;
    if (width > 1) {
        pool = std::make_unique<net::FetchPool>(width, fetchOptions);
    }
    crawl::FunctionFetcher fetcher(
        [&single, &pool](const std::string& url) { return pool ? pool->Fetch(url) : single.Fetch(url); });
    crawl::CrawlEngine engine(fetcher, host);
    if (pool) {
        pool->SetAheadList(
            [&engine](std::size_t wanted, std::vector<std::string>& out) { engine.NextVisits(wanted, out); });
    }
    if (options.maxPages) {
        host.SetPageLimit(*options.maxPages, [&engine] { engine.Stop(); });
    }

    {
        // Ctrl+C is the stop action: the turn in progress completes and no further turn starts. A second
        // Ctrl+C also gives up the fetch in progress, for a user who will not wait for a slow server.
        cli::InterruptWatcher interrupts([&engine, &single, &pool](int count) {
            engine.Stop();
            if (count > 1) {
                single.Abort();
                if (pool) {
                    pool->Abort();
                }
            }
        });
        engine.Run(startText, options.rules);
    }
    host.FinishProgress();

    if (options.keywordsFile) {
        const std::string error = cli::WriteKeywordFile(engine.List2(), *options.keywordsFile);
        if (!error.empty()) {
            std::fprintf(stderr, "vortaxel-cli: cannot write %s: %s\n", options.keywordsFile->c_str(), error.c_str());
            return kExitFailure;
        }
    }
    return kExitOk;
}
