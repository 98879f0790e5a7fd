#pragma once

#include "crawl/crawl_engine.h"

#include <functional>

namespace vortaxel::crawl {

/// Starts and stops as a user gives them. A start during a run does not nest a second loop inside the
/// first one's yield, which would leave the outer loop reading lists the inner run emptied: it stops the
/// run and starts afresh once it has closed, and several such starts give one restart. A stop withdraws
/// a restart asked for earlier in the run: the user's latest word wins.
class StartRequests {
public:
    explicit StartRequests(CrawlEngine& engine) : engine_(engine) {}

    /// Runs `start` (one start: refused, or a run to its end) now, or, during a run, once it has closed.
    void Start(const std::function<void()>& start);
    void Stop();

private:
    CrawlEngine& engine_;
    bool restart_ = false;
};

} // namespace vortaxel::crawl
