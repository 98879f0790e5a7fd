#pragma once

#include "audit_data.h"

#include <array>
#include <cstddef>
#include <string>

namespace vortaxel::audit {

/// The counts a run ends with, for standard error and the audit page's overview.
struct AuditSummary {
    std::size_t pages = 0;
    /// Pages by status class: [0] no answer, [1] 1xx ... [5] 5xx.
    std::array<std::size_t, 6> statusClasses{};
    std::array<std::size_t, kIndexabilityCount> indexability{};
    /// Links whose target is broken, the distinct targets among them, and the pages holding them.
    std::size_t brokenLinks = 0;
    std::size_t brokenTargets = 0;
    std::size_t pagesWithBrokenLinks = 0;
    /// Pages reached through at least one redirect; of them, those through two or more.
    std::size_t redirected = 0;
    std::size_t redirectChains = 0;
    std::size_t longestChain = 0;
    /// Among HTML pages that answered 2xx: no title, and titles another such page also has (pages, and the
    /// distinct titles they share). The same for meta descriptions.
    std::size_t missingTitles = 0;
    std::size_t duplicateTitlePages = 0;
    std::size_t duplicateTitles = 0;
    std::size_t missingDescriptions = 0;
    std::size_t duplicateDescriptionPages = 0;
    std::size_t duplicateDescriptions = 0;
    std::size_t noindex = 0;
    /// Pages a sitemap lists that no crawled page links to.
    std::size_t orphans = 0;
    /// Addresses a sitemap lists that are no page (see SitemapProblem): all of them, and of them those that
    /// answered 4xx or 5xx, redirected, got no answer and robots.txt blocked.
    std::size_t sitemapErrors = 0;
    std::size_t sitemapErrorStatus = 0;
    std::size_t sitemapRedirects = 0;
    std::size_t sitemapNoAnswer = 0;
    std::size_t sitemapBlocked = 0;
    std::uint64_t durationMs = 0;
};

/// True for a page whose title and description count: an HTML page that answered 2xx.
bool HasPageText(const AuditPage& page);

/// Why an address a sitemap lists is no page ("answers 404", "redirects", "gets no answer", "is blocked by
/// robots.txt"), or "" when it is one or no sitemap lists it. A sitemap should list only the pages to index.
std::string SitemapProblem(const AuditPage& page);

/// True for a page only a sitemap reaches: listed in one, no page links to it, not where the run began, and
/// a page (an address the sitemap lists that is none is a sitemap error instead).
bool IsOrphan(const AuditPage& page, const AuditRunMeta& meta);

/// Counts one page into `summary`: its status class, indexability, redirects and whether it is an orphan.
/// Titles, descriptions and broken links are counted over the whole crawl, not page by page.
void CountPage(AuditSummary& summary, const AuditPage& page, const AuditRunMeta& meta);

AuditSummary SummariseAudit(const AuditData& data);

/// The summary as lines for standard error, each ended by "\n".
std::string AuditSummaryText(const AuditSummary& summary);

} // namespace vortaxel::audit
