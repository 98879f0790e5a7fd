#pragma once

#include "crawl/fetched_page.h"
#include "crawl/page/page_address.h"
#include "crawl/sitemap/sitemap_walk.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vortaxel::crawl {

/// What a site's sitemaps say about it.
struct SiteSitemaps {
    /// The site's pages they list, as page identities, once each, in the order first met.
    std::vector<std::string> pages;
    std::size_t sitemapsRead = 0;
    /// Addresses listed that lie off the site, and so were left out.
    std::size_t offSite = 0;
    /// One line per sitemap that could not be read whole, naming it and why.
    std::vector<std::string> problems;
};

/// How one file is fetched: whole, up to a byte cap the fetcher keeps, without touching the crawl's page.
using FileFetch = std::function<FetchedPage(const std::string& url)>;

/// The addresses on the Sitemap lines of the robots.txt at the address given, for a crawl that has read
/// that file already.
using NamedSitemaps = std::function<std::vector<std::string>(const std::string& robotsUrl)>;

/// Reads the sitemaps of `site`: those its robots.txt names on Sitemap lines, and /sitemap.xml, with the
/// indexes they lead to. A sitemap named by robots.txt may live on any host, as the protocol allows; one
/// named by an index is fetched only from the site's own origin, so a sitemap cannot send the crawler
/// round other hosts. `stopping` is asked before each fetch, so a stop is not held up by hundreds of files.
/// With `named`, robots.txt's Sitemap lines come from it instead of a fetch of its own.
SiteSitemaps ReadSiteSitemaps(const SiteScope& site, const FileFetch& fetch, const std::function<bool()>& stopping,
                              const SitemapWalkLimits& limits = {}, const NamedSitemaps& named = {});

} // namespace vortaxel::crawl
