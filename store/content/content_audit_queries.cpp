#include "store/content/content_audit_queries.h"

#include "store/crawl_store_db.h"

namespace vortaxel::store {

std::string ContentAuditQueries::Prepare() {
    const crawl::ContentAuditChoices& choices = store_.Settings().contentAudit;
    SqlDatabase& db = CrawlStoreDb::Of(store_);
    SqlStatus status;
    if (choices.structuredData) {
        status = schema_.Prepare(db, "SELECT types, issues FROM page_schema WHERE page_id = ?");
    }
    if (status && !choices.extractors.empty()) {
        status = extracts_.Prepare(
            db, "SELECT extractor, value FROM page_extracts WHERE page_id = ? ORDER BY extractor, ordinal");
    }
    return status ? std::string() : store_.FailureText(status);
}

audit::ContentAuditCells ContentAuditQueries::For(std::int64_t pageId) {
    const crawl::ContentAuditChoices& choices = store_.Settings().contentAudit;
    audit::ContentAuditCells cells;
    cells.extracted.resize(choices.extractors.size());
    if (pageId == 0) {
        return cells;
    }
    if (choices.structuredData) {
        schema_.Bind(1, pageId);
        if (schema_.Step()) {
            cells.schemaTypes = schema_.Text(0);
            cells.schemaIssues = schema_.Text(1);
        }
        schema_.Reset();
    }
    if (!choices.extractors.empty()) {
        extracts_.Bind(1, pageId);
        while (extracts_.Step()) {
            const std::int64_t extractor = extracts_.Int(0);
            if (extractor >= 0 && static_cast<std::size_t>(extractor) < cells.extracted.size()) {
                cells.extracted[static_cast<std::size_t>(extractor)].emplace_back(extracts_.Text(1));
            }
        }
        extracts_.Reset();
    }
    return cells;
}

} // namespace vortaxel::store
