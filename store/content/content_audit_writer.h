#pragma once

#include "crawl/content/content_audit_choices.h"
#include "crawl/page/page_reader.h"
#include "store/sqlite_db.h"

#include <cstdint>

namespace vortaxel::store {

/// Keeps what a page's content was read for beside its facts, inside the caller's transaction: its
/// structured data's types and issues, and each extractor's values.
class ContentAuditWriter {
public:
    /// Keeps what `choices`, the crawl's, asked of the page; the statements are made at the first page, once
    /// the run has written its settings.
    SqlStatus Write(SqlDatabase& db, const crawl::ContentAuditChoices& choices, std::int64_t pageId,
                    const crawl::PageRead& read);

private:
    SqlStatus Prepare(SqlDatabase& db, const crawl::ContentAuditChoices& choices);

    bool prepared_ = false;
    bool structuredData_ = false;
    bool extracts_ = false;
    SqlStatement schema_;
    SqlStatement extract_;
};

/// How a list of types or issues is kept in one text field, and shown in one report cell.
inline constexpr std::string_view kContentListSeparator = "; ";

} // namespace vortaxel::store
