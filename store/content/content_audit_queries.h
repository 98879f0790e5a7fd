#pragma once

#include "export/content/content_audit_columns.h"
#include "export/content/content_audit_section.h"
#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace vortaxel::store {

/// Reads back, page by page, what the content audit kept of a crawl.
class ContentAuditQueries {
public:
    explicit ContentAuditQueries(CrawlStore& store) : store_(store) {}

    /// Makes the statements the crawl's choices need; "" when made, else why not, naming the file.
    std::string Prepare();
    /// What the page `pageId` holds; nothing for 0, a row that is no page.
    audit::ContentAuditCells For(std::int64_t pageId);
    /// The audit page's section: every page in the crawl's order, with what it holds. Returns why reading
    /// failed, or "".
    std::string FillSection(audit::ContentAuditSection& section);
    const crawl::ContentAuditChoices& Choices() const { return store_.Settings().contentAudit; }

private:
    CrawlStore& store_;
    SqlStatement schema_;
    SqlStatement extracts_;
    /// Each page's hreflang findings, worked out off the whole crawl when it is prepared.
    std::unordered_map<std::int64_t, std::string> hreflang_;
    /// Each page's unknown words, without the site's own.
    std::unordered_map<std::int64_t, std::string> spelling_;
};

} // namespace vortaxel::store
