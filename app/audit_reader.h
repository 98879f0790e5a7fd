#pragma once

#include "app/crawl_store.h"
#include "export/audit_data.h"
#include "export/audit_summary.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::app {

/// Joins to a link `l` the last fetch `f` of its target, whose outcome is the link's.
inline constexpr const char* kLinkTargetFetch =
    "LEFT JOIN fetches f ON f.id = (SELECT max(id) FROM fetches WHERE url = l.target)";

/// One fetch of a kept crawl with what the audit knows of it.
struct AuditRow {
    /// The fetch's id in the file.
    std::int64_t fetchId = 0;
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
    /// With `indexLinks` false the lookup indexes are left as they are: for a few lookups, scanning the links costs
    /// less than sorting them all.
    explicit AuditReader(CrawlStore& store, bool indexLinks = true);

    /// Every fetch and blocked address in the order the runs met them, as the per-page report lists them.
    std::string ForEachRow(const std::function<void(const AuditRow&)>& visit);
    /// The one row of the fetch `fetchId`, when there is one.
    std::string ReadRow(std::int64_t fetchId, const std::function<void(const AuditRow&)>& visit);
    /// Every link of every page, in the order they were read, with its target's final outcome.
    std::string ForEachLink(const std::function<void(const audit::AuditLink&)>& visit);
    /// The audit in memory, for the audit page: every fetch, every broken link, and the first `mostOtherLinks`
    /// of the others, so that a site's whole link graph never is.
    std::string Load(audit::AuditData& data, std::size_t mostOtherLinks);

    /// The run's summary, reading the rows for it alone (see AuditSummaryCounter).
    std::string Summarise(audit::AuditSummary& summary);

private:
    std::string ReadRows(std::optional<std::int64_t> fetchId, const std::function<void(const AuditRow&)>& visit);

    CrawlStore& store_;
};

/// Counts the run's summary from the rows of a pass that reads them anyway (the per-page report's), then
/// what it counts across pages (shared titles and descriptions, broken links) in SQLite, so that a large
/// site's texts are never held: eight bytes a page.
class AuditSummaryCounter {
public:
    explicit AuditSummaryCounter(CrawlStore& store);
    void Add(const AuditRow& row);
    /// Returns why reading failed, or "".
    std::string Finish(audit::AuditSummary& summary);

private:
    CrawlStore& store_;
    audit::AuditRunMeta meta_;
    audit::AuditSummary summary_;
    // The fetches whose title and description count.
    std::vector<std::int64_t> withText_;
};

/// Why a kept crawl holds no audit ("it was kept without page facts"), or "" when it holds one.
std::string AuditUnavailable(const CrawlStore& store);

} // namespace vortaxel::app
