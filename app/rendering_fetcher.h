#pragma once

#include "crawl/page/page_address.h"
#include "crawl/page_fetcher.h"
#include "crawl/robots/robots_gate.h"
#include "render/page_renderer.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::app {

/// How a run renders its pages.
struct RenderSetup {
    std::chrono::milliseconds wait{5000};
    std::string chromium = render::ChromiumPath();
    bool operator==(const RenderSetup&) const = default;
};

/// Pages from another fetcher, each HTML page then shown in headless Chromium from the bytes fetched: the read
/// handed to the engine holds the links of both the raw and the rendered page (so the crawl follows what
/// scripts add), and the facts of the raw one; what the rendered page says differently comes beside it
/// (FetchedPage::rendered).
///
/// The browser asks for the page's own host's resources within the crawl's manners: its user agent, and
/// robots.txt when the crawl obeys it. Resources of other hosts are loaded to render and are never pages.
class RenderingFetcher final : public crawl::PageFetcher {
public:
    /// `pages` must outlive this, or the next SetPages; `userAgent` is the crawl's, `robotsAgent` the token robots.txt
    /// is read for (empty: the crawl's own), and `obeyRobots` whether resources robots.txt disallows are refused.
    /// Up to `parallel` pages are shown side by side, each in a tab of its own: the page asked for, and the next
    /// the run will ask for (SetAheadList).
    RenderingFetcher(crawl::PageFetcher& pages, const RenderSetup& setup, const std::string& userAgent, bool obeyRobots,
                     const std::string& robotsAgent, std::size_t parallel = 1);
    ~RenderingFetcher() override;
    RenderingFetcher(const RenderingFetcher&) = delete;
    RenderingFetcher& operator=(const RenderingFetcher&) = delete;
    RenderingFetcher(RenderingFetcher&&) = delete;
    RenderingFetcher& operator=(RenderingFetcher&&) = delete;

    /// Takes pages from `pages` from now on; the browser stays, the pages begun ahead are dropped.
    void SetPages(crawl::PageFetcher& pages);
    /// The pages the run will ask for next, in order: begun ahead while the page asked for renders.
    void SetAheadList(std::function<void(std::size_t wanted, std::vector<std::string>& out)> ahead) {
        ahead_ = std::move(ahead);
    }
    /// Judges the browser's requests by `allows`, the crawl's own robots.txt gate, instead of a gate of this
    /// fetcher's own: no robots.txt is asked for twice.
    void UseRobotsOf(std::function<bool(std::string_view url)> allows) { robotsAllow_ = std::move(allows); }
    /// `ahead`, without the pages this has already fetched ahead: for the pages' own fetcher, which would
    /// fetch them a second time.
    std::function<void(std::size_t wanted, std::vector<std::string>& out)>
    NotBegun(std::function<void(std::size_t wanted, std::vector<std::string>& out)> ahead);

    crawl::FetchedPage Fetch(const std::string& url) override;
    crawl::FetchedPage FetchWhole(const std::string& url) override { return pages_->FetchWhole(url); }
    crawl::FetchedPage FetchStatus(const std::string& url) override { return pages_->FetchStatus(url); }
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay) override {
        pages_->SetHostDelay(url, delay);
    }
    std::unique_ptr<crawl::PageFetcher> FileFetcher(std::function<bool()> giveUp) override {
        return pages_->FileFetcher(std::move(giveUp));
    }

private:
    /// A page fetched and, when it is HTML, being rendered.
    struct Begun {
        crawl::FetchedPage page;
        std::optional<render::PageRenderer::Ticket> ticket;
    };
    /// robots.txt straight from the pages' fetcher, never through the renderer.
    class RobotsFiles;

    bool AllowsResource(std::string_view page, std::string_view url);
    Begun Begin(const std::string& url);
    void BeginAhead(const std::string& asked);
    crawl::FetchedPage Complete(Begun begun);
    void DropAhead();

    crawl::PageFetcher* pages_;
    std::unique_ptr<RobotsFiles> robotsFiles_;
    std::optional<crawl::RobotsGate> robots_;
    std::function<bool(std::string_view url)> robotsAllow_;
    /// A fetch made while the renderer is at work (robots.txt, for the gate it asks) goes straight through.
    bool rendering_ = false;
    std::size_t parallel_;
    std::function<void(std::size_t, std::vector<std::string>&)> ahead_;
    std::map<std::string, Begun> begun_;
    std::deque<std::string> begunOrder_;
    crawl::PageIdentityCache identities_;
    render::PageRenderer renderer_;
};

/// The read of a page whose raw read is `raw` and rendered read `rendered`: the raw facts and text, the raw
/// links, then the links only the rendered page has; and, in `rendered`'s place, what differs.
crawl::PageRead MergeRenderedRead(const crawl::PageRead& raw, const crawl::PageRead& rendered,
                                  crawl::RenderedPage& differences);

} // namespace vortaxel::app
