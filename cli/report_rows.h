#pragma once

#include "crawl/fetched_page.h"
#include "export/page_report.h"

#include <cstddef>
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
    explicit ReportRows(std::size_t expectedRows = 0) : builder_(expectedRows) {}

    void Found(std::string_view url);
    void Fetched(const std::string& url, const crawl::FetchedPage& page);
    void Blocked(std::string_view url);
    /// A new turn begins: nothing that follows belongs to the pending row.
    void TurnBegins() { Flush(); }

    /// The whole report; the collector is done after this.
    std::string Finish() &&;

private:
    void Flush();

    keywords::PageReportBuilder builder_;
    std::optional<keywords::PageReportRow> pending_;
    bool pendingFetched_ = false;
};

} // namespace vortaxel::cli
