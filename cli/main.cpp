#include "app/net_page_fetcher.h"
#include "cli/checked_output.h"
#include "cli/cli_crawl_host.h"
#include "cli/interrupt_watcher.h"
#include "cli/keyword_output.h"
#include "cli/options.h"
#include "cli/output_targets.h"
#include "cli/report_output.h"
#include "cli/standard_streams.h"
#include "crawl/crawl_engine.h"
#include "crawl/start_text.h"
#include "net/fetcher.h"

#include <cstdio>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

/// The fetch options the command line asks for, before the rule set adds its own.
vortaxel::net::FetchOptions FetchOptionsOf(const vortaxel::cli::Options& options) {
    vortaxel::net::FetchOptions fetch;
    fetch.caFile = options.caFile.value_or(std::string());
    return vortaxel::app::FetchOptionsFor({options.rules, options.delay, options.obeyRobots}, std::move(fetch));
}

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
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
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

    cli::CheckedOutput output(stdout);
    cli::CliCrawlHost::Streams streams;
    streams.out = &output;
    streams.errIsTerminal = isatty(STDERR_FILENO) != 0;
    streams.showProgress = !options.quiet && streams.errIsTerminal;
    streams.quiet = options.quiet;
    cli::CliCrawlHost host(streams);
    std::string startText = options.url;
    if (!crawl::PrepareStartText(startText)) {
        host.ShowRefusal(crawl::kRefusalText);
        return kExitUsage;
    }
    if (const cli::OutputTargetRefusal refusal = cli::CheckOutputTargets(options); !refusal.text.empty()) {
        host.Say(refusal.text);
        return refusal.exitCode;
    }

    // One page at a time unless more are asked for; then the fetcher fetches ahead the pages the engine
    // is sure to visit next, and the engine still takes them in its own order. Under browser rules the
    // next page is fetched while this one is parsed, which the parse's time hides; the pages fetched and
    // the list stay exactly as one at a time would have them.
    const bool overlap = options.parallel == 1 && options.rules == crawl::RuleSet::Browser;
    net::Fetcher fetcher(FetchOptionsOf(options), overlap ? 2 : options.parallel);
    app::NetPageFetcher pages(fetcher);
    crawl::CrawlEngine engine(pages, host);
    engine.SetLimits({.storeBytes = options.maxMemory});
    engine.SetObeyRobots(options.obeyRobots);
    // The report goes to its file as the run goes, so a crawl of millions of pages never holds it whole.
    std::optional<cli::ReportFile> report;
    if (options.reportFile) {
        report.emplace(*options.reportFile);
        if (!report->Error().empty()) {
            host.Say("cannot write " + *options.reportFile + ": " + report->Error());
            return kExitFailure;
        }
        host.CollectReport([&report](std::string_view text) { report->Write(text); });
    }
    fetcher.SetAheadList(
        [&engine](std::size_t wanted, std::vector<std::string>& out) { engine.NextVisits(wanted, out); });
    if (options.maxPages) {
        host.SetPageLimit(*options.maxPages, [&engine] { engine.Stop(); });
    }

    // Ctrl+C is the stop action: the turn in progress completes and no further turn starts. A second
    // Ctrl+C also gives up the fetch in progress, for a user who will not wait for a slow server. With
    // no request out yet, only a politeness pause that could last an hour, the first one does.
    interrupts.OnInterrupt([&engine, &fetcher](int count) {
        engine.Stop();
        if (count > 1) {
            fetcher.Abort();
        }
    });
    host.SetStopCheck([&interrupts, &engine] {
        if (interrupts.Presses() > 0) {
            engine.Stop();
        }
    });
    fetcher.SetWaitCallback([&interrupts, &fetcher] {
        if (fetcher.IsOnlyWaiting() && interrupts.Presses() > 0) {
            fetcher.Abort();
        }
    });
    output.OnFailure([&engine] { engine.Stop(); });
    engine.Run(startText, options.rules);
    interrupts.IgnoreFromNowOn();
    host.FinishProgress();

    int exitCode = kExitOk;
    if (options.keywordsFile) {
        const std::string error = cli::WriteKeywordFile(engine.List2(), *options.keywordsFile);
        if (!error.empty()) {
            host.Say("cannot write " + *options.keywordsFile + ": " + error);
            exitCode = kExitFailure;
        }
    }
    if (options.reportFile) {
        const std::string error = cli::FinishReport(*report, [&host] { return host.TakeReport(); });
        if (!error.empty()) {
            host.Say("cannot write " + *options.reportFile + ": " + error);
            exitCode = kExitFailure;
        }
    }
    if (!engine.StopReason().empty()) {
        host.Say("run stopped: " + engine.StopReason());
        exitCode = kExitFailure;
    }
    if (!output.Error().empty()) {
        std::fprintf(stderr, "vortaxel-cli: %s\n", output.Error().c_str());
        exitCode = kExitFailure;
    }
    return exitCode;
}
