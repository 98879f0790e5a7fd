#pragma once

#include "recording_crawl.h"

#include <string>
#include <vector>

namespace vortaxel::crawl::testing {

/// The crawl run read as plainly as possible: lists of strings, a full scan of both lists per
/// duplicate test and of the whole queue per filter pass. Slow and obviously right, it is the
/// yardstick for the engine's counted and incremental bookkeeping. It fetches through `fetcher`,
/// reports to `listener` as the engine does, and reads `startText` afresh at every use, as the
/// classic rules read the URL field.
class ReferenceCrawl {
public:
    ReferenceCrawl(SiteFetcher& fetcher, RunRecorder& listener, const std::string& startText)
        : fetcher_(fetcher), listener_(listener), startText_(startText) {}

    /// One run from the start text, which must be ready (see PrepareStartText).
    void Run();
    void Stop() { stopRequested_ = true; }

    std::vector<std::string> list1;
    std::vector<std::string> list2;

private:
    bool IsNewLink(const std::string& url) const;
    void FilterQueue();

    SiteFetcher& fetcher_;
    RunRecorder& listener_;
    const std::string& startText_;
    bool stopRequested_ = false;
};

} // namespace vortaxel::crawl::testing
