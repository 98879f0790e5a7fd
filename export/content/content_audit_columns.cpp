#include "export/content/content_audit_columns.h"

#include "export/csv_field.h"
#include "export/utf8.h"

namespace vortaxel::audit {

namespace {

void AppendField(std::string& fields, std::string_view field) {
    fields += ',';
    keywords::AppendCsvField(fields, keywords::WellFormedUtf8(field));
}

} // namespace

std::string ContentAuditColumns(const crawl::ContentAuditChoices& choices) {
    std::string columns;
    if (choices.structuredData) {
        columns += ",schema_types,schema_issues";
    }
    if (choices.hreflang) {
        columns += ",hreflang_issues";
    }
    for (const crawl::Extractor& extractor : choices.extractors) {
        // Names are checked as they are given: letters, digits, '_' and '-', nothing a CSV header quotes.
        columns += ',';
        columns += extractor.name;
    }
    return columns;
}

void AppendContentAuditFields(std::string& fields, const crawl::ContentAuditChoices& choices,
                              const ContentAuditCells& cells) {
    if (choices.structuredData) {
        AppendField(fields, cells.schemaTypes);
        AppendField(fields, cells.schemaIssues);
    }
    if (choices.hreflang) {
        AppendField(fields, cells.hreflangIssues);
    }
    for (std::size_t i = 0; i < choices.extractors.size(); ++i) {
        std::string cell;
        if (i < cells.extracted.size()) {
            for (std::size_t j = 0; j < cells.extracted[i].size(); ++j) {
                if (j != 0) {
                    cell += kExtractedSeparator;
                }
                cell += cells.extracted[i][j];
            }
        }
        AppendField(fields, cell);
    }
}

std::string SpellingColumn(const crawl::ContentAuditChoices& choices) {
    return choices.spelling ? ",spelling" : "";
}

void AppendSpellingField(std::string& fields, const crawl::ContentAuditChoices& choices,
                         const ContentAuditCells& cells) {
    if (choices.spelling) {
        AppendField(fields, cells.spelling);
    }
}

} // namespace vortaxel::audit
