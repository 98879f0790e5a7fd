#include "app/rendering_fetcher.h"

#include "crawl/browser/audit_links.h"
#include "web/address_login.h"
#include "web/html_type.h"

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

RenderingFetcher::RenderingFetcher(crawl::PageFetcher& pages, const RenderSetup& setup, const std::string& userAgent,
                                   bool obeyRobots, const std::string& robotsAgent)
    : pages_(&pages), renderer_([&] {
          render::RenderOptions options;
          options.chromium = setup.chromium;
          options.wait = setup.wait;
          options.userAgent = userAgent;
          options.allowResource = [this](std::string_view resource) { return AllowsResource(resource); };
          return options;
      }()) {
    if (obeyRobots) {
        // Through this fetcher, so that a later SetPages serves robots.txt too.
        robots_.emplace(*this, robotsAgent);
    }
}

bool RenderingFetcher::AllowsResource(std::string_view url) {
    // Another host's resources (a CDN's scripts) are the page's to load, not the crawl's to judge.
    if (!robots_ || web::OriginOf(url) != pageOrigin_) {
        return true;
    }
    return robots_->Allows(url);
}

crawl::FetchedPage RenderingFetcher::Fetch(const std::string& url) {
    crawl::FetchedPage page = pages_->Fetch(url);
    const bool isPage =
        page.ok && !page.bodySkipped && page.status >= 200 && page.status < 300 &&
        (web::IsHtmlType(page.contentType) || (page.contentType.empty() && web::LooksLikeHtml(page.body)));
    if (!isPage) {
        return page;
    }
    const std::string address = page.finalUrl.empty() ? url : page.finalUrl;
    pageOrigin_ = web::OriginOf(address);
    auto differences = std::make_shared<crawl::RenderedPage>();
    const render::RenderOutcome outcome = renderer_.Render(address, page.body, page.contentType);
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
    const crawl::PageRead rendered = crawl::ReadPage(outcome.html, crawl::ReadLimitsFor(false));
    const std::shared_ptr<const crawl::PageRead> raw =
        page.read ? page.read : std::make_shared<const crawl::PageRead>(crawl::ReadPage(page.body));
    crawl::PageRead merged = MergeRenderedRead(*raw, rendered, *differences);
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
