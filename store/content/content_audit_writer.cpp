#include "store/content/content_audit_writer.h"

#include <string>

namespace vortaxel::store {

namespace {

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty()) {
            out += kContentListSeparator;
        }
        out += item;
    }
    return out;
}

} // namespace

SqlStatus ContentAuditWriter::Prepare(SqlDatabase& db, const crawl::ContentAuditChoices& choices) {
    structuredData_ = choices.structuredData;
    extracts_ = !choices.extractors.empty();
    SqlStatus status;
    if (structuredData_) {
        status = schema_.Prepare(db, "INSERT OR REPLACE INTO page_schema (page_id, types, issues) VALUES (?, ?, ?)");
    }
    if (status && extracts_) {
        status = extract_.Prepare(
            db, "INSERT OR REPLACE INTO page_extracts (page_id, extractor, ordinal, value) VALUES (?, ?, ?, ?)");
    }
    return status;
}

SqlStatus ContentAuditWriter::Write(SqlDatabase& db, const crawl::ContentAuditChoices& choices, std::int64_t pageId,
                                    const crawl::PageRead& read) {
    if (!prepared_) {
        if (SqlStatus status = Prepare(db, choices); !status) {
            return status;
        }
        prepared_ = true;
    }
    SqlStatus status;
    if (structuredData_) {
        schema_.Bind(1, pageId);
        schema_.Bind(2, Joined(read.structured.types));
        schema_.Bind(3, Joined(read.structured.issues));
        status = schema_.Run();
    }
    for (std::size_t i = 0; status && extracts_ && i < read.extracted.size(); ++i) {
        for (std::size_t j = 0; status && j < read.extracted[i].size(); ++j) {
            extract_.Bind(1, pageId);
            extract_.Bind(2, static_cast<std::int64_t>(i));
            extract_.Bind(3, static_cast<std::int64_t>(j));
            extract_.Bind(4, read.extracted[i][j]);
            status = extract_.Run();
        }
    }
    return status;
}

} // namespace vortaxel::store
