#include "cli/cli_crawl_host.h"

#include "cli/output_escape.h"

namespace vortaxel::cli {

CliCrawlHost::CliCrawlHost(std::string url, FetchFunction fetch, Streams streams)
    : HeadlessCrawlHost(std::move(url)), fetch_(std::move(fetch)), streams_(streams) {}

void CliCrawlHost::SetPageLimit(std::size_t limit, std::function<void()> onLimitReached) {
    pageLimit_ = limit;
    onLimitReached_ = std::move(onLimitReached);
}

void CliCrawlHost::SetCounterCaption(const std::string& caption) {
    if (!streams_.showProgress) {
        return;
    }
    std::fprintf(streams_.err, "\r%s\033[K", caption.c_str());
    std::fflush(streams_.err);
    progressShown_ = true;
}

void CliCrawlHost::ShowMessage(const std::string& text, const std::string& /*title*/) {
    // The only message a run can show is the refusal of the URL.
    ClearProgressLine();
    std::fprintf(streams_.err, "%s\n", text.c_str());
    std::fflush(streams_.err);
    refused_ = true;
}

void CliCrawlHost::SetAnimationVisible(bool visible) {
    if (visible && onRunStarted_) {
        onRunStarted_();
    }
}

void CliCrawlHost::FoundListAppended(std::size_t index) {
    if (foundList_ == nullptr) {
        return;
    }
    ClearProgressLine();
    const std::string url = EscapeControlBytes(foundList_->Text(index));
    if (streams_.out != nullptr) {
        streams_.out->WriteLine(url);
    }
    if (pageLimit_ && index + 1 == *pageLimit_ && onLimitReached_) {
        onLimitReached_();
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
