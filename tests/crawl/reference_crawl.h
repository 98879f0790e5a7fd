#pragma once

#include "fake_crawl_host.h"

#include <string>
#include <vector>

namespace vortaxel::crawl::testing {

/// The crawl run read as plainly as possible: lists of strings, a full scan of both lists per
/// duplicate test and of the whole queue per filter pass. Slow and obviously right, it is the
/// yardstick for the engine's counted and incremental bookkeeping.
class ReferenceCrawl {
public:
    explicit ReferenceCrawl(CrawlHost& host) : host_(host) {}

    void cmdstart_Click();
    void cmdstop_Click() { stopRequested_ = true; }

    std::vector<std::string> list1;
    std::vector<std::string> list2;
    std::vector<bool> selected;

private:
    void ProcessLinks();
    bool IsNewLink(const std::string& url) const;
    void FilterQueue();

    CrawlHost& host_;
    bool stopRequested_ = false;
};

} // namespace vortaxel::crawl::testing
