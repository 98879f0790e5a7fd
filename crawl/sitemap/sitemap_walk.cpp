#include "crawl/sitemap/sitemap_walk.h"

#include <deque>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace vortaxel::crawl {

SitemapWalk WalkSitemaps(const std::vector<std::string>& starts, const SitemapFetch& fetch,
                         const SitemapWalkLimits& limits, const std::function<bool(const std::string& url)>& follow) {
    SitemapWalk walk;
    std::unordered_set<std::string> queued;
    std::unordered_set<std::string> pages;
    std::deque<std::pair<std::string, std::size_t>> queue; // address and nesting depth
    for (const std::string& start : starts) {
        if (queued.insert(start).second) {
            queue.emplace_back(start, 0);
        }
    }
    bool pagesFull = false;
    while (!queue.empty()) {
        auto [url, depth] = std::move(queue.front());
        queue.pop_front();
        if (walk.sitemapsRead == limits.maxSitemaps) {
            walk.problems.push_back(std::to_string(queue.size() + 1) + " sitemaps left out after reading " +
                                    std::to_string(limits.maxSitemaps));
            break;
        }
        ++walk.sitemapsRead;
        SitemapReader reader(limits.perFile);
        if (!fetch(url, reader)) {
            walk.problems.push_back(url + ": could not be fetched");
            continue;
        }
        SitemapContent content = reader.Finish();
        if (!content.problem.empty()) {
            walk.problems.push_back(url + ": " + content.problem);
        }
        for (std::string& page : content.pages) {
            if (pages.size() == limits.maxPages) {
                pagesFull = true;
                break;
            }
            if (pages.insert(page).second) {
                walk.pages.push_back(std::move(page));
            }
        }
        for (std::string& sitemap : content.sitemaps) {
            if (depth + 1 > limits.maxDepth) {
                walk.problems.push_back(sitemap + ": left out, nested deeper than " + std::to_string(limits.maxDepth) +
                                        " indexes");
                continue;
            }
            if (follow && !follow(sitemap)) {
                if (queued.insert(sitemap).second) {
                    walk.problems.push_back(sitemap + ": left out, not on the site");
                }
                continue;
            }
            if (queued.insert(sitemap).second) {
                queue.emplace_back(std::move(sitemap), depth + 1);
            }
        }
        if (pagesFull) {
            walk.problems.push_back("read only the first " + std::to_string(limits.maxPages) + " pages");
            break;
        }
    }
    return walk;
}

} // namespace vortaxel::crawl
