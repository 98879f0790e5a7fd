#pragma once

#include "app/crawl_store.h"
#include "export/audit_data.h"

#include <cstddef>
#include <functional>
#include <string>

namespace vortaxel::app {

/// One fetch of a kept crawl with what the audit knows of it.
struct AuditRow {
    audit::AuditPage page;
    /// Redirects followed, as the plain report counts them.
    int redirects = 0;
    /// Whether the fetch listed a page (HTML that answered 2xx on the site).
    bool listed = false;
    /// The page's lang attribute.
    std::string lang;
};

/// Reads the audit of a crawl kept under browser rules, streaming from the file: nothing is held
/// for more than one row at a time. Each returns why reading failed, naming the file, or "".
class AuditReader {
public:
    /// Indexes the links by target for the lookups that follow, once per file: built in one sort at the
    /// end rather than kept up to date while the crawl writes millions of links in no order.
    explicit AuditReader(CrawlStore& store);

    /// Every fetch and blocked address in the order the runs met them, as the per-page report lists them.
    std::string ForEachRow(const std::function<void(const AuditRow&)>& visit);
    /// Every link of every page, in the order they were read, with its target's final outcome.
    std::string ForEachLink(const std::function<void(const audit::AuditLink&)>& visit);
    /// The audit in memory, for the audit page and the summary: every fetch, every broken link, and the first
    /// `mostOtherLinks` of the others, so that a site's whole link graph never is. Without `keepBroken`, for
    /// the summary alone: the broken links only as a tally, and each fetch without the texts it does not read
    /// (final address, type, error, H1, canonical, robots, the addresses of redirect hops).
    std::string Load(audit::AuditData& data, std::size_t mostOtherLinks, bool keepBroken = true);

private:
    CrawlStore& store_;
};

/// Why a kept crawl holds no audit ("it was kept without page facts"), or "" when it holds one.
std::string AuditUnavailable(const CrawlStore& store);

} // namespace vortaxel::app
