#pragma once

#include "cli/checked_output.h"
#include "cli/report_rows.h"
#include "crawl/crawl_listener.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::cli {

/// The command line's listener to a run: found URLs go to standard output as they are listed;
/// progress ("Retrieving URLs: N"), failed fetches, blocked addresses and dropped links to standard
/// error. It also collects the per-page report when one is asked for.
class CliCrawlHost final : public crawl::CrawlListener {
public:
    struct Streams {
        CheckedOutput* out = nullptr;
        std::FILE* err = stderr;
        bool showProgress = false;
        /// No line per failed fetch or blocked address, and no summary.
        bool quiet = false;
        /// Standard error is a terminal: a run with failures ends with a summary line there.
        bool errIsTerminal = false;
    };

    explicit CliCrawlHost(Streams streams) : streams_(streams) {}

    /// While on, the pages of a kept crawl are told again: they join the report, and nothing is
    /// printed.
    void SetReplaying(bool replaying) { replaying_ = replaying; }
    /// Called as a run starts, once it has cleared its stop flag and before its first fetch, after each
    /// fetch and at each yield: where a stop that another thread was asked for is sure to be applied
    /// before the run decides on its next turn.
    void SetStopCheck(std::function<void()> check) { stopCheck_ = std::move(check); }

    /// Tells the user why a start was refused.
    void ShowRefusal(const std::string& text);
    /// Collects the per-page report from now on, handing it to `sink` as it grows.
    void CollectReport(ReportRows::Sink sink) { report_.emplace(std::move(sink)); }
    /// The part of the report not yet handed to the sink, in CSV; empty when none was asked for.
    std::string TakeReport();

    /// Ends the progress line, if one is shown, and sums up the failures on a terminal.
    void FinishProgress();
    /// Prints "vortaxel-cli: TEXT" on its own line.
    void Say(std::string_view text);

    void RunStarted() override;
    void Yield() override;
    void PageFound(std::size_t index, std::string_view url) override;
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override;
    void PageBlocked(std::string_view url) override;
    void LinksDropped(std::string_view url, std::size_t count) override;
    void SitemapsRead(std::size_t files, std::size_t pages, const std::vector<std::string>& problems) override;

private:
    void ClearProgressLine();
    void CheckForStop() const;

    Streams streams_;
    bool replaying_ = false;
    std::function<void()> stopCheck_;
    bool progressShown_ = false;
    std::optional<ReportRows> report_;
    std::size_t fetched_ = 0;
    std::size_t failed_ = 0;
    bool linksDroppedSaid_ = false;
};

} // namespace vortaxel::cli
