#pragma once

#include "fetch_result.h"

#include <string>

namespace vortaxel::crawl {

/// Value of the select-all check box `chkSelect`.
enum class CheckValue { Unticked = 0, Ticked = 1, Greyed = 2 };

/// Everything the crawl engine needs of the window and the platform, and nothing more.
/// The window, the command line and the tests each implement it. The engine owns the
/// crawl queue, the found list and the page buffer itself; the host only shows them.
class CrawlHost {
public:
    virtual ~CrawlHost() = default;

    /// `chkSelect`: the current value of the select-all box.
    virtual CheckValue SelectAllValue() = 0;

    /// `txturl`: the start URL field. Read afresh at every use.
    virtual std::string UrlText() = 0;
    virtual void SetUrlText(const std::string& text) = 0;
    virtual void FocusUrlField() = 0;

    /// `cmdstart` and the busy animation `an`.
    virtual void SetStartButtonVisible(bool visible) = 0;
    virtual void SetAnimationVisible(bool visible) = 0;

    /// `lblcounter`.
    virtual void SetCounterCaption(const std::string& caption) = 0;

    /// A message box with one OK button and no icon; returns when dismissed.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;

    /// Lets the window system deliver waiting input, each handler running to its end.
    virtual void Yield() = 0;

    /// One blocking GET of the URL exactly as queued.
    virtual FetchResult Fetch(const std::string& url) = 0;
};

} // namespace vortaxel::crawl
