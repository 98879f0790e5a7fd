#pragma once

#include "crawl/content/content_audit_choices.h"

#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::audit {

/// What the content audit found on one page, as the report shows it.
struct ContentAuditCells {
    std::string schemaTypes;
    std::string schemaIssues;
    std::string hreflangIssues;
    /// Each extractor's values, in the crawl's order of them.
    std::vector<std::vector<std::string>> extracted;
    /// The words of the title, description and H1 the page's dictionary lacks.
    std::string spelling;
};

/// How an extractor's values share one cell under --extract-all.
inline constexpr std::string_view kExtractedSeparator = " | ";

/// The report's columns for what `choices` asked, each after a comma: schema_types and schema_issues,
/// hreflang_issues, then one column per extractor by its name; "" when it asked for nothing.
std::string ContentAuditColumns(const crawl::ContentAuditChoices& choices);

/// The fields of those columns for one row, each after a comma; a row that is no page has them empty.
void AppendContentAuditFields(std::string& fields, const crawl::ContentAuditChoices& choices,
                              const ContentAuditCells& cells);

/// The spelling column, after a comma, when `choices` asked for it: it comes after every other column.
std::string SpellingColumn(const crawl::ContentAuditChoices& choices);
/// Its field for one row.
void AppendSpellingField(std::string& fields, const crawl::ContentAuditChoices& choices,
                         const ContentAuditCells& cells);

} // namespace vortaxel::audit
