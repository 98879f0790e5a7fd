#pragma once

#include "crawl/fetched_page.h"
#include "export/page_report.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::cli {

/// The error column of an address robots.txt kept the crawler from.
inline constexpr std::string_view kBlockedByRobots = "blocked by robots.txt";

/// Turns what a run tells its listener into the per-page report, one row per fetched or listed
/// page and per blocked address, in the order they were met. Classic rules list a page before they
/// fetch it and browser rules after, so one row waits until the turn's other half has come.
class ReportRows {
public:
    /// Where the report goes as it grows, a piece at a time in order; none keeps it whole until Finish.
    using Sink = std::function<void(std::string_view)>;

    explicit ReportRows(std::size_t expectedRows = 0) : builder_(expectedRows) {}
    /// Hands the report to `sink` whenever some tens of KiB have built up, so that what is held stays small
    /// however long the crawl.
    explicit ReportRows(Sink sink) : builder_(kChunkBytes / kRowBytesGuess), sink_(std::move(sink)) {}

    void Found(std::string_view url);
    void Fetched(const std::string& url, const crawl::FetchedPage& page);
    void Blocked(std::string_view url);
    /// A new turn begins: nothing that follows belongs to the pending row.
    void TurnBegins() { Flush(); }

    /// The whole report, or with a sink what has not gone to it yet; the collector is done after this.
    std::string Finish() &&;

private:
    /// What builds up between two hand-overs to the sink: big enough that writes are few.
    static constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
    static constexpr std::size_t kRowBytesGuess = 128;

    void Flush();

    keywords::PageReportBuilder builder_;
    Sink sink_;
    std::optional<keywords::PageReportRow> pending_;
    bool pendingFetched_ = false;
};

} // namespace vortaxel::cli
