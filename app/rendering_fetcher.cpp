#include "app/rendering_fetcher.h"

#include "crawl/browser/audit_links.h"
#include "text/added_words.h"
#include "web/address_login.h"
#include "web/html_type.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

namespace vortaxel::app {

namespace {

using LinkKey = std::tuple<std::string, crawl::LinkSource>;

/// A fact of the rendered page where it differs from the raw page's.
std::optional<std::string> Changed(const std::string& raw, const std::string& rendered) {
    return raw == rendered ? std::nullopt : std::optional<std::string>(rendered);
}

} // namespace

crawl::PageRead MergeRenderedRead(const crawl::PageRead& raw, const crawl::PageRead& rendered,
                                  crawl::RenderedPage& differences) {
    const crawl::PageFacts& was = raw.facts;
    const crawl::PageFacts& is = rendered.facts;
    differences.title = Changed(was.title, is.title);
    differences.description = Changed(was.metaDescription, is.metaDescription);
    differences.h1 = Changed(was.h1, is.h1);
    differences.canonical = Changed(was.canonical, is.canonical);
    differences.robots = Changed(was.metaRobots, is.metaRobots);

    // A link is matched by its target and the element it is in, as many times as either page holds it.
    std::map<LinkKey, std::size_t> shown;
    for (const crawl::PageLink& link : rendered.links) {
        ++shown[LinkKey(link.target, link.source)];
    }
    crawl::PageRead merged = raw;
    differences.seen.clear();
    differences.seen.reserve(raw.links.size() + rendered.links.size());
    for (const crawl::PageLink& link : raw.links) {
        const auto match = shown.find(LinkKey(link.target, link.source));
        const bool both = match != shown.end() && match->second > 0;
        if (both) {
            --match->second;
        }
        differences.seen.push_back(both ? crawl::LinkSeen::Both : crawl::LinkSeen::Raw);
    }
    differences.jsLinks = 0;
    for (const crawl::PageLink& link : rendered.links) {
        auto match = shown.find(LinkKey(link.target, link.source));
        if (match->second == 0) {
            continue;
        }
        --match->second;
        crawl::PageLink added = link;
        added.identity.reset();
        merged.links.push_back(std::move(added));
        differences.seen.push_back(crawl::LinkSeen::Rendered);
        ++differences.jsLinks;
    }
    return merged;
}

class RenderingFetcher::RobotsFiles final : public crawl::PageFetcher {
public:
    explicit RobotsFiles(RenderingFetcher& owner) : owner_(owner) {}
    crawl::FetchedPage Fetch(const std::string& url) override { return owner_.pages_->Fetch(url); }
    crawl::FetchedPage FetchWhole(const std::string& url) override { return owner_.pages_->FetchWhole(url); }

private:
    RenderingFetcher& owner_;
};

RenderingFetcher::RenderingFetcher(crawl::PageFetcher& pages, const RenderSetup& setup, const std::string& userAgent,
                                   bool obeyRobots, const std::string& robotsAgent, std::size_t parallel)
    : pages_(&pages), parallel_(std::max<std::size_t>(parallel, 1)), renderer_([&] {
          render::RenderOptions options;
          options.chromium = setup.chromium;
          options.wait = setup.wait;
          options.userAgent = userAgent;
          options.allowResource = [this](std::string_view page, std::string_view resource) {
              return AllowsResource(page, resource);
          };
          return options;
      }()) {
    if (obeyRobots) {
        // Through the current pages' fetcher, so that a later SetPages serves robots.txt too; never through
        // this one, whose fetches wait for the renderer that is asking.
        robotsFiles_ = std::make_unique<RobotsFiles>(*this);
        robots_.emplace(*robotsFiles_, robotsAgent);
    }
}

RenderingFetcher::~RenderingFetcher() = default;

void RenderingFetcher::SetPages(crawl::PageFetcher& pages) {
    DropAhead();
    pages_ = &pages;
}

std::function<void(std::size_t, std::vector<std::string>&)>
RenderingFetcher::NotBegun(std::function<void(std::size_t, std::vector<std::string>&)> ahead) {
    return [this, ahead = std::move(ahead)](std::size_t wanted, std::vector<std::string>& out) {
        const std::size_t before = out.size();
        ahead(wanted + begun_.size(), out);
        const auto kept = std::remove_if(out.begin() + std::ptrdiff_t(before), out.end(),
                                         [this](const std::string& url) { return begun_.contains(url); });
        out.erase(kept, out.end());
        if (out.size() > before + wanted) {
            out.resize(before + wanted);
        }
    };
}

void RenderingFetcher::DropAhead() {
    // Pages begun ahead must not stand in for a later fetch of the same address.
    for (auto& [url, begun] : begun_) {
        if (begun.ticket) {
            renderer_.Finish(*begun.ticket);
        }
    }
    begun_.clear();
    begunOrder_.clear();
}

bool RenderingFetcher::AllowsResource(std::string_view page, std::string_view url) {
    // Another host's resources (a CDN's scripts) are the page's to load, not the crawl's to judge.
    if (!robots_ || web::OriginOf(url) != web::OriginOf(page)) {
        return true;
    }
    return robotsAllow_ ? robotsAllow_(url) : robots_->Allows(url);
}

RenderingFetcher::Begun RenderingFetcher::Begin(const std::string& url) {
    Begun begun{pages_->Fetch(url), std::nullopt};
    const crawl::FetchedPage& page = begun.page;
    const bool isPage =
        page.ok && !page.bodySkipped && page.status >= 200 && page.status < 300 &&
        (web::IsHtmlType(page.contentType) || (page.contentType.empty() && web::LooksLikeHtml(page.body)));
    if (isPage) {
        begun.ticket = renderer_.Start(page.finalUrl.empty() ? url : page.finalUrl, page.body, page.contentType);
    }
    return begun;
}

void RenderingFetcher::BeginAhead(const std::string& asked) {
    if (parallel_ < 2 || !ahead_) {
        return;
    }
    std::vector<std::string> next;
    ahead_(parallel_ * 2, next);
    // Far more than the pages in flight: only pages the run never asks for (it stopped, or took another
    // turn) are kept this long, and the oldest of them are dropped.
    constexpr std::size_t kKept = 64;
    for (const std::string& url : next) {
        if (renderer_.InFlight() >= parallel_) {
            break;
        }
        if (url == asked || begun_.contains(url)) {
            continue;
        }
        if (begun_.size() >= kKept) {
            const auto oldest = begun_.find(begunOrder_.front());
            if (oldest->second.ticket) {
                renderer_.Finish(*oldest->second.ticket);
            }
            begun_.erase(oldest);
            begunOrder_.pop_front();
        }
        begun_.emplace(url, Begin(url));
        begunOrder_.push_back(url);
    }
}

crawl::FetchedPage RenderingFetcher::Fetch(const std::string& url) {
    if (rendering_) {
        return pages_->Fetch(url);
    }
    struct Mark {
        bool& flag;
        explicit Mark(bool& f) : flag(f) { flag = true; }
        ~Mark() { flag = false; }
        Mark(const Mark&) = delete;
        Mark& operator=(const Mark&) = delete;
    } mark(rendering_);
    Begun begun;
    if (const auto found = begun_.find(url); found != begun_.end()) {
        begun = std::move(found->second);
        begun_.erase(found);
        std::erase(begunOrder_, url);
    } else {
        begun = Begin(url);
    }
    BeginAhead(url);
    return Complete(std::move(begun));
}

crawl::FetchedPage RenderingFetcher::Complete(Begun begun) {
    crawl::FetchedPage page = std::move(begun.page);
    if (!begun.ticket) {
        return page;
    }
    auto differences = std::make_shared<crawl::RenderedPage>();
    const render::RenderOutcome outcome = renderer_.Finish(*begun.ticket);
    differences->requests = outcome.requests;
    differences->blocked = outcome.blocked;
    differences->elapsed = outcome.elapsed;
    differences->jsErrors = outcome.jsErrors;
    differences->jsRedirect = outcome.jsRedirect;
    if (!outcome.ok) {
        differences->error = outcome.error;
        page.rendered = std::move(differences);
        return page;
    }
    const crawl::PageRead rendered = crawl::ReadPage(outcome.html, crawl::ReadLimitsFor(true));
    const std::shared_ptr<const crawl::PageRead> raw =
        page.read ? page.read : std::make_shared<const crawl::PageRead>(crawl::ReadPage(page.body));
    crawl::PageRead merged = MergeRenderedRead(*raw, rendered, *differences);
    // The raw read holds its text only where the run keeps it; the words are compared over both pages' whole text.
    differences->jsWords = text::AddedWords(
        raw->text.empty() ? crawl::ReadPage(page.body, crawl::ReadLimitsFor(true)).text : raw->text, rendered.text);
    if (!raw->resolvedFor.empty()) {
        // Resolved again as a whole: the rendered links may carry the page past the bound of links resolved ahead.
        merged.resolvedFor.clear();
        crawl::ResolveLinksAhead(merged, raw->resolvedFor, identities_);
    }
    page.read = std::make_shared<const crawl::PageRead>(std::move(merged));
    page.rendered = std::move(differences);
    return page;
}

} // namespace vortaxel::app
