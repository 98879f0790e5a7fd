#pragma once

#include "store/crawl_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::app {

/// What the duplicate checks and the link score found of one page.
struct PageContentFinding {
    /// Whether the page was read with a text print.
    bool printed = false;
    /// Whether it took part in the comparison (it is indexable: no noindex, no canonical elsewhere).
    bool compared = false;
    /// The page of lowest id with the very same visible text; 0 for none.
    std::int64_t duplicateOf = 0;
    /// Its closest other page at the threshold or above, and how alike they are (0..1); 0 for none.
    std::int64_t nearDuplicateOf = 0;
    double similarity = 0;
    std::uint64_t wordCount = 0;
    bool thin = false;
    /// 0-100, when the crawl asked for the link score and the page is listed.
    std::optional<double> linkScore;
};

/// The findings of a kept crawl, by page id.
struct ContentFindings {
    bool duplicates = false;
    bool linkScore = false;
    std::vector<PageContentFinding> pages;
    /// The address of each page with a print or a score, by page id.
    std::vector<std::string> urls;

    const PageContentFinding* Of(std::int64_t pageId) const {
        return pageId > 0 && static_cast<std::size_t>(pageId) < pages.size() ? &pages[static_cast<std::size_t>(pageId)]
                                                                             : nullptr;
    }
    std::string UrlOf(std::int64_t pageId) const {
        return pageId > 0 && static_cast<std::size_t>(pageId) < urls.size() ? urls[static_cast<std::size_t>(pageId)]
                                                                            : std::string();
    }
};

/// How the checks are run: the crawl's kept settings unless the command line says otherwise.
struct ContentAuditChoices {
    bool duplicates = false;
    /// The similarity that makes a near-duplicate, in percent.
    int nearPercent = 90;
    /// A page of fewer visible words is thin.
    std::uint64_t thinWords = 200;
    bool linkScore = false;
};

/// The choices a kept crawl was made with.
ContentAuditChoices KeptContentChoices(const store::CrawlSettings& settings);

/// Works out the duplicates, near-duplicates, thin pages and link scores of a kept crawl, off the file
/// (see docs/content-audit.md). Memory is bounded by the pages: a signature and a few numbers each, and the
/// link graph as arrays. Returns why it could not, or "".
std::string WorkOutContentAudit(store::CrawlStore& store, const ContentAuditChoices& choices,
                                ContentFindings& findings);

} // namespace vortaxel::app
