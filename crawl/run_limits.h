#pragma once

#include "crawl/content/content_audit_choices.h"
#include "crawl/crawl_controls.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace vortaxel::crawl {

/// Bounds of one run. The memory bounds lie far above what any real site needs; they exist so that
/// a hostile or broken site ends the run with its found list intact instead of exhausting memory.
struct RunLimits {
    /// Bytes of joined links (start URL and value together) that one page may add to the queue.
    /// A page of short relative links under a long start URL multiplies its size by the start
    /// URL's length; the links past this are dropped.
    std::uint64_t pageLinkBytes = std::uint64_t{64} << 20;
    /// Bytes the run's URLs may hold: the URL store, the queue and the found list together.
    /// Reaching it ends the run as a stop.
    std::uint64_t storeBytes = std::uint64_t{4} << 30;
    /// Pages the found list may hold: the turn that lists the last of them completes, and the run
    /// ends as a stop.
    std::size_t pages = std::numeric_limits<std::size_t>::max();
    /// Under browser rules: links a page or its link marks nofollow are followed all the same.
    bool followNofollow = false;
    /// Under browser rules: the site's sitemaps are read once its start page has answered, and the pages
    /// they list that no link reaches are crawled when the links run out.
    bool sitemaps = false;
    /// How long the sitemaps are read at most: no file is asked for once it has passed, so that sitemaps
    /// that never answer cost the crawl about this and one fetch's time-out, however many are named.
    std::chrono::milliseconds sitemapTime{60'000};
    /// Under browser rules: the site's images, style sheets, icons and scripts that pages use are
    /// requested for their status, and never listed.
    bool checkResources = false;
    /// Under browser rules: each page's visible text is read and its phrase candidates worked out, for the
    /// key phrases a kept crawl gives. Off, no page's text is read at all.
    bool keyPhrases = false;
    /// Under browser rules: each page's visible text is read for the duplicate checks a kept crawl gives
    /// (its text print), without the text pass unless keyPhrases asks for it too.
    bool duplicates = false;
    /// Under browser rules: what each page's content is read for beyond its links and facts.
    ContentAuditChoices contentAudit{};
    /// Scope, patterns, depth and list mode: see CrawlControls.
    CrawlControls controls{};
};

/// "N MiB" when `bytes` is a whole number of MiB, else "N bytes": budgets as a user gives them.
std::string BudgetText(std::uint64_t bytes);

} // namespace vortaxel::crawl
