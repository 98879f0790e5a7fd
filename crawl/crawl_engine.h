#pragma once

#include "crawl_host.h"
#include "found_list.h"

#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// One crawl run from start to stop, on the window's behalf. Owns the crawl queue `List1`,
/// the found list `List2` and the page buffer `RichTextBox1`; reaches the window and the
/// platform only through its host.
class CrawlEngine {
public:
    explicit CrawlEngine(CrawlHost& host);

    // Window events.
    void cmdstart_Click();
    void txturl_KeyPress(int& keyAscii);
    void cmdstop_Click();
    void chkSelect_Click();

    // The crawl loop and its steps.
    void ProcessLinks();
    void FetchPage(const std::string& url);
    bool IsNewLink(std::string_view url) const;
    void FilterQueue();

    bool IsRunning() const;
    bool StopRequested() const;

    FoundList& List2();
    const FoundList& List2() const;
    /// The crawl queue, head first.
    std::size_t QueueCount() const;
    std::string_view QueueText(std::size_t i) const;
    const std::string& PageBuffer() const;
};

} // namespace vortaxel::crawl
