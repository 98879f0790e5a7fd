#pragma once

#include "analysis/key_phrase_pass.h"
#include "app/crawl_session.h"
#include "app/run_controller.h"
#include "cli/audit_outputs.h"
#include "cli/checked_output.h"
#include "cli/cli_crawl_host.h"
#include "cli/interrupt_watcher.h"
#include "cli/options.h"
#include "cli/report_output.h"
#include "crawl/found_list.h"
#include "web/address_login.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

/// Tells the user why on the standard error and returns `exitCode`.
int Fail(const std::string& text, int exitCode);

/// What one invocation works with, from its options to its outputs.
class Session {
public:
    Session(cli::Options options, std::vector<std::string> given)
        : options_(std::move(options)), given_(std::move(given)), host_(StreamsFor(options_, output_)) {}

    /// Does what the options ask for and returns the exit status.
    int Run(cli::InterruptWatcher& interrupts);

private:
    bool ReadsKeptCrawlOnly() const {
        return options_.offline || options_.compareFile.has_value() || options_.gapFile.has_value();
    }
    /// Readies the start address of a new crawl; false, having told the user, when there is none.
    bool PrepareStart();
    /// Opens the crawl database the options name, if any, and fits the options to the crawl it keeps.
    /// Returns why it cannot be used; nothing is requested before this.
    std::string OpenDatabase();
    int Compare();
    int Gap();
    /// Works out the keyword map of the crawl when its key phrases are asked for; false, having told the
    /// user, when it cannot.
    bool WorkOutKeywordMap();
    int Offline();
    int Crawl(cli::InterruptWatcher& interrupts);
    static cli::CliCrawlHost::Streams StreamsFor(const cli::Options& options, cli::CheckedOutput& output);
    app::RunSetup Setup() const;
    void WireStops(cli::InterruptWatcher& interrupts, app::RunController& run);
    void ReplayKeptReport();
    /// Opens the report file the options name, if any; false, having told the user, when it cannot be written.
    bool OpenReport();
    int WriteOutputs(const crawl::FoundList& found, const std::string& stopReason);

    cli::Options options_;
    std::vector<std::string> given_;
    cli::CheckedOutput output_{stdout};
    cli::CliCrawlHost host_;
    std::unique_ptr<cli::TemporaryCrawlFile> scratch_;
    // How long this run's crawl took, for the audit page; a kept crawl read back does not keep it.
    std::optional<std::chrono::milliseconds> crawlTook_;
    app::CrawlSession kept_;
    std::optional<app::KeywordMap> keywordMap_;
    /// The gap against another site's map, for the audit page, once worked out.
    std::optional<cli::AuditGap> gap_;
    std::string startText_;
    std::optional<web::OriginLogin> login_;
    /// The password of --auth-user, in memory alone.
    std::string password_;
    /// Written as the run goes, so a crawl of millions of pages never holds its report whole.
    std::optional<cli::ReportFile> report_;
};

} // namespace vortaxel::cli
