#pragma once

#include "cli/checked_output.h"
#include "crawl/crawl_listener.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::cli {

/// The command line's listener to a run: found URLs go to standard output as they are listed, and
/// progress ("Retrieving URLs: N") to standard error.
class CliCrawlHost final : public crawl::CrawlListener {
public:
    struct Streams {
        CheckedOutput* out = nullptr;
        std::FILE* err = stderr;
        bool showProgress = false;
    };

    explicit CliCrawlHost(Streams streams) : streams_(streams) {}

    /// Called right after the N-th URL is listed, where N is the page limit.
    void SetPageLimit(std::size_t limit, std::function<void()> onLimitReached);
    /// Called as a run starts, once it has cleared its stop flag and before its first fetch.
    void OnRunStarted(std::function<void()> onRunStarted) { onRunStarted_ = std::move(onRunStarted); }

    /// Tells the user why a start was refused.
    void ShowRefusal(const std::string& text);
    /// Ends the progress line, if one is shown.
    void FinishProgress();

    void RunStarted() override;
    void PageFound(std::size_t index, std::string_view url) override;

private:
    void ClearProgressLine();

    Streams streams_;
    std::optional<std::size_t> pageLimit_;
    std::function<void()> onLimitReached_;
    std::function<void()> onRunStarted_;
    bool progressShown_ = false;
};

} // namespace vortaxel::cli
