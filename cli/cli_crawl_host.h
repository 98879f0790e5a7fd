#pragma once

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
        std::FILE* out = stdout;
        std::FILE* err = stderr;
        bool showProgress = false;
    };

    explicit CliCrawlHost(Streams streams) : streams_(streams) {}

    /// Called right after the N-th URL is listed, where N is the page limit.
    void SetPageLimit(std::size_t limit, std::function<void()> onLimitReached);

    /// Tells the user why a start was refused.
    void ShowRefusal(const std::string& text);
    /// Ends the progress line, if one is shown.
    void FinishProgress();

    void PageFound(std::size_t index, std::string_view url) override;

private:
    void ClearProgressLine();

    Streams streams_;
    std::optional<std::size_t> pageLimit_;
    std::function<void()> onLimitReached_;
    bool progressShown_ = false;
};

} // namespace vortaxel::cli
