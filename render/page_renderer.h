#pragma once

#include "render/chromium_process.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::render {

/// What a browser made of one page.
struct RenderOutcome {
    /// The page could be shown and its document read; else `error` says why.
    bool ok = false;
    std::string error;
    /// The document as the browser holds it once its scripts have run.
    std::string html;
    /// Uncaught exceptions and console errors, in the order they came.
    std::vector<std::string> jsErrors;
    /// Requests the page made beside its own document, and how many of those were refused.
    std::size_t requests = 0;
    std::size_t blocked = 0;
    /// The address a script sent the page to, which the render did not follow.
    std::optional<std::string> jsRedirect;
    /// The page never settled and was read as it stood at the wait limit.
    bool timedOut = false;
    std::size_t dialogs = 0;
    std::chrono::milliseconds elapsed{0};
};

struct RenderOptions {
    std::string chromium = ChromiumPath();
    /// The longest a page is given to load and settle.
    std::chrono::milliseconds wait{5000};
    /// The user agent the page and its resources are asked for with; empty keeps the browser's.
    std::string userAgent;
    /// Whether a resource the page at `page` asks for may be loaded; none allows every one.
    std::function<bool(std::string_view page, std::string_view url)> allowResource;
    /// The browser is started afresh after this many pages, so that what it keeps cannot grow without end.
    std::size_t restartAfter = 200;
};

/// Shows pages in one headless Chromium, several side by side, each in a tab of a browser context of its own
/// that is disposed after it. The page's bytes are given, not fetched: the browser's request for the document
/// is answered with them. Every wait is bounded; a browser that stops answering is killed, every page it held
/// fails, and the next page starts a fresh one.
///
/// Single-threaded: pages move on only while the caller waits in Finish (or Render).
class PageRenderer {
public:
    using Ticket = std::uint64_t;

    explicit PageRenderer(RenderOptions options);
    ~PageRenderer();
    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;
    PageRenderer(PageRenderer&&) = delete;
    PageRenderer& operator=(PageRenderer&&) = delete;

    /// Starts showing `html`, the page at `url` as its server sent it with `contentType`; its outcome is
    /// taken with Finish, once, whatever the order.
    Ticket Start(const std::string& url, std::string html, std::string contentType);
    /// The outcome of a page started, waiting for it as long as its bounds allow; the other pages in flight
    /// move on meanwhile.
    RenderOutcome Finish(Ticket ticket);
    /// Shows one page and waits for it.
    RenderOutcome Render(const std::string& url, std::string_view html, std::string_view contentType) {
        return Finish(Start(url, std::string(html), std::string(contentType)));
    }
    /// Pages started and not yet settled.
    std::size_t InFlight() const;

    /// The browser's process, once started; -1 before and after.
    pid_t BrowserPid() const;
    /// The running browser's profile folder; empty when none runs.
    std::string BrowserProfile() const;

private:
    class Tab;

    void Pump();
    void BrowserFailed(const std::string& error);

    RenderOptions options_;
    std::unique_ptr<ChromiumProcess> browser_;
    std::size_t rendered_ = 0;
    /// A page left the browser in a state not to be trusted: it is started afresh once its pages are done.
    bool restart_ = false;
    int nextId_ = 0;
    Ticket nextTicket_ = 0;
    std::map<Ticket, std::unique_ptr<Tab>> tabs_;
    /// Which tab each call awaiting its answer was made for.
    std::map<int, Ticket> calls_;
    /// Which tab each DevTools session belongs to.
    std::map<std::string, Ticket, std::less<>> sessions_;
};

} // namespace vortaxel::render
