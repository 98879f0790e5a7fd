#pragma once

#include "cli/checked_output.h"
#include "crawl/found_list.h"
#include "crawl/headless_crawl_host.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace vortaxel::cli {

/// The command line's stand-in for the window: the URL field is a string, the select-all box is always
/// ticked, found URLs go to standard output as they are listed, and progress goes to standard error.
class CliCrawlHost final : public crawl::HeadlessCrawlHost, public crawl::FoundListObserver {
public:
    using FetchFunction = std::function<crawl::FetchResult(const std::string&)>;

    struct Streams {
        CheckedOutput* out = nullptr;
        std::FILE* err = stderr;
        bool showProgress = false;
    };

    CliCrawlHost(std::string url, FetchFunction fetch, Streams streams);

    /// Called right after the N-th URL is listed, where N is the page limit.
    void SetPageLimit(std::size_t limit, std::function<void()> onLimitReached);

    /// Called as a run starts, once it has cleared its stop flag and before its first fetch.
    void OnRunStarted(std::function<void()> onRunStarted) { onRunStarted_ = std::move(onRunStarted); }

    /// True once the engine refused the URL.
    bool Refused() const { return refused_; }
    /// Ends the progress line, if one is shown.
    void FinishProgress();

    // The list the engine appends to; this host only needs to know it to print entries.
    void AttachFoundList(const crawl::FoundList& list) { foundList_ = &list; }

    void SetCounterCaption(const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    // The engine shows the busy animation right where a run starts.
    void SetAnimationVisible(bool visible) override;
    crawl::FetchResult Fetch(const std::string& url) override { return fetch_(url); }

    void FoundListCleared() override {}
    void FoundListAppended(std::size_t index) override;
    void FoundSelectionChanged(std::size_t, std::size_t) override {}

private:
    void ClearProgressLine();

    FetchFunction fetch_;
    Streams streams_;
    const crawl::FoundList* foundList_ = nullptr;
    std::optional<std::size_t> pageLimit_;
    std::function<void()> onLimitReached_;
    std::function<void()> onRunStarted_;
    bool progressShown_ = false;
    bool refused_ = false;
};

} // namespace vortaxel::cli
