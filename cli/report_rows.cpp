#include "cli/report_rows.h"

#include <utility>

namespace vortaxel::cli {

void ReportRows::Found(std::string_view url) {
    if (pending_ && pendingFetched_) {
        return; // browser rules: the page just fetched is listed, under where it landed
    }
    Flush();
    pending_.emplace().url = url;
    pendingFetched_ = false;
}

void ReportRows::Fetched(const std::string& url, const crawl::FetchedPage& page) {
    if (!pending_ || pendingFetched_ || pending_->url != url) {
        Flush();
        pending_.emplace().url = url;
    }
    keywords::PageReportRow& row = *pending_;
    if (page.status != 0) {
        row.status = static_cast<int>(page.status);
    }
    row.finalUrl = page.finalUrl;
    row.contentType = page.contentType;
    row.bytes = page.bytes;
    row.ms = static_cast<std::uint64_t>(page.elapsed.count());
    row.redirects = static_cast<int>(page.redirects);
    row.error = page.error;
    pendingFetched_ = true;
}

void ReportRows::Blocked(std::string_view url) {
    Flush();
    pending_.emplace().url = url;
    pending_->error = kBlockedByRobots;
    Flush();
}

void ReportRows::Flush() {
    if (pending_) {
        builder_.Add(*pending_);
        pending_.reset();
    }
    pendingFetched_ = false;
    if (sink_ && builder_.Text().size() >= kChunkBytes) {
        sink_(builder_.TakeText());
    }
}

std::string ReportRows::Finish() && {
    Flush();
    return std::move(builder_).Text();
}

} // namespace vortaxel::cli
