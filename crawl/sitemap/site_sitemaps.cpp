#include "crawl/sitemap/site_sitemaps.h"

#include "crawl/robots/robots_rules.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace vortaxel::crawl {

namespace {

// What is fed to the reader at a time: it stops reading as soon as a limit is met, and the rest of a
// huge body is then never scanned.
constexpr std::size_t kFeedBytes = std::size_t{64} * 1024;

bool IsSuccess(const FetchedPage& page) {
    return page.ok && page.status >= 200 && page.status < 300;
}

} // namespace

SiteSitemaps ReadSiteSitemaps(const SiteScope& site, const FileFetch& fetch, const std::function<bool()>& stopping,
                              const SitemapWalkLimits& limits, const NamedSitemaps& named) {
    std::vector<std::string> starts;
    if (!stopping()) {
        const std::string robotsUrl = site.origin + "/robots.txt";
        std::vector<std::string> lines;
        if (named) {
            lines = named(robotsUrl);
        } else if (const FetchedPage robots = fetch(robotsUrl); IsSuccess(robots)) {
            lines = RobotsSitemaps(robots.body);
        }
        for (const std::string& line : lines) {
            if (auto identity = PageIdentity(line, line)) {
                starts.push_back(std::move(*identity));
            }
        }
    }
    const std::string fallback = site.origin + "/sitemap.xml";
    if (std::find(starts.begin(), starts.end(), fallback) == starts.end()) {
        starts.push_back(fallback);
    }
    const auto onSite = [&site](const std::string& url) {
        const auto identity = PageIdentity(url, url);
        const auto scope = identity ? SiteScope::Of(*identity) : std::nullopt;
        return scope && scope->origin == site.origin;
    };
    // Most sites have no /sitemap.xml: its absence is no problem worth a line.
    bool fallbackMissing = false;
    // Sitemaps a stop or the time bound kept from being asked for: no fault of theirs.
    std::unordered_set<std::string> unasked;
    const auto fetchSitemap = [&](const std::string& url, SitemapReader& into) {
        const auto identity = PageIdentity(url, url);
        if (!identity) {
            return false;
        }
        if (stopping()) {
            unasked.insert(url);
            return false;
        }
        const FetchedPage page = fetch(*identity);
        if (!IsSuccess(page)) {
            fallbackMissing = fallbackMissing || *identity == fallback;
            return false;
        }
        const std::string_view body = page.body;
        for (std::size_t at = 0; at < body.size(); at += kFeedBytes) {
            if (!into.Feed(body.substr(at, kFeedBytes))) {
                break;
            }
        }
        return true;
    };
    SitemapWalk walk = WalkSitemaps(starts, fetchSitemap, limits, onSite);
    SiteSitemaps out;
    out.sitemapsRead = walk.sitemapsRead - (fallbackMissing ? 1 : 0);
    out.problems = std::move(walk.problems);
    if (fallbackMissing) {
        std::erase(out.problems, fallback + ": could not be fetched");
    }
    if (!unasked.empty()) {
        out.sitemapsRead -= unasked.size();
        std::erase_if(out.problems, [&unasked](const std::string& problem) {
            constexpr std::string_view kUnfetched = ": could not be fetched";
            return problem.ends_with(kUnfetched) &&
                   unasked.contains(problem.substr(0, problem.size() - kUnfetched.size()));
        });
        out.problems.push_back(std::to_string(unasked.size()) +
                               " sitemaps left unread: the time for reading sitemaps ran out or the run was stopped");
    }
    // Two spellings of one page are one page.
    std::unordered_set<std::string> seen;
    for (const std::string& listed : walk.pages) {
        auto identity = PageIdentity(listed, listed);
        if (!identity || IsNeverFetchedKind(*identity) || !site.Contains(*identity)) {
            ++out.offSite;
        } else if (seen.insert(*identity).second) {
            out.pages.push_back(std::move(*identity));
        }
    }
    return out;
}

} // namespace vortaxel::crawl
