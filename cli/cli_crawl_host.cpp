#include "cli/cli_crawl_host.h"

#include "cli/output_escape.h"

namespace vortaxel::cli {

void CliCrawlHost::SetPageLimit(std::size_t limit, std::function<void()> onLimitReached) {
    pageLimit_ = limit;
    onLimitReached_ = std::move(onLimitReached);
}

void CliCrawlHost::ShowRefusal(const std::string& text) {
    ClearProgressLine();
    std::fprintf(streams_.err, "%s\n", text.c_str());
    std::fflush(streams_.err);
}

void CliCrawlHost::RunStarted() {
    if (onRunStarted_) {
        onRunStarted_();
    }
}

void CliCrawlHost::PageFound(std::size_t index, std::string_view found) {
    ClearProgressLine();
    if (streams_.out != nullptr) {
        streams_.out->WriteLine(EscapeControlBytes(found));
    }
    if (pageLimit_ && index + 1 == *pageLimit_ && onLimitReached_) {
        onLimitReached_();
    }
    if (streams_.showProgress) {
        std::fprintf(streams_.err, "\rRetrieving URLs: %zu\033[K", index + 1);
        std::fflush(streams_.err);
        progressShown_ = true;
    }
}

void CliCrawlHost::FinishProgress() {
    if (progressShown_) {
        std::fputc('\n', streams_.err);
        std::fflush(streams_.err);
        progressShown_ = false;
    }
}

void CliCrawlHost::ClearProgressLine() {
    if (progressShown_) {
        std::fputs("\r\033[K", streams_.err);
        progressShown_ = false;
    }
}

} // namespace vortaxel::cli
