#pragma once

#include "crawl/sitemap/sitemap_reader.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vortaxel::crawl {

/// Fetches one sitemap and feeds its body to `into` as it arrives, stopping when Feed says so. False when
/// the sitemap could not be had (no answer, not 2xx).
using SitemapFetch = std::function<bool(const std::string& url, SitemapReader& into)>;

/// How far a walk through sitemap indexes goes.
struct SitemapWalkLimits {
    /// Sitemap files fetched in all, indexes included.
    std::size_t maxSitemaps = 500;
    /// Indexes within indexes: the protocol allows none, sites nest a few.
    std::size_t maxDepth = 3;
    /// Distinct page addresses kept in all.
    std::size_t maxPages = 1'000'000;
    SitemapLimits perFile;
};

struct SitemapWalk {
    /// Every page address the sitemaps list, once each, in the order first met.
    std::vector<std::string> pages;
    std::size_t sitemapsRead = 0;
    /// One line per sitemap that could not be read whole or was left out, naming it and why.
    std::vector<std::string> problems;
};

/// Reads the sitemaps at `starts` (robots.txt's Sitemap lines, /sitemap.xml) and, breadth-first, the ones
/// their indexes name. Each address is fetched once however many indexes name it, so indexes that name
/// each other end; deeper nesting than `maxDepth`, more files than `maxSitemaps` and more pages than
/// `maxPages` are left out and said so in `problems`.
/// An index's entry that `follow` refuses is left out, said so in `problems`, and neither fetched nor counted.
SitemapWalk WalkSitemaps(const std::vector<std::string>& starts, const SitemapFetch& fetch,
                         const SitemapWalkLimits& limits = {},
                         const std::function<bool(const std::string& url)>& follow = {});

} // namespace vortaxel::crawl
