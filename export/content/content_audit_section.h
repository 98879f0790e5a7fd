#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vortaxel::audit {

/// One page the content audit has something to say about.
struct ContentAuditPageRow {
    std::string url;
    std::string schemaTypes;
    std::string schemaIssues;
    std::string hreflangIssues;
    std::string spelling;
};

/// What the audit page shows of the content audit: the pages with findings, at most kMostContentRows.
struct ContentAuditSection {
    bool structuredData = false;
    bool hreflang = false;
    bool spelling = false;
    std::vector<ContentAuditPageRow> rows;
    /// Pages with structured data, with schema issues and with hreflang issues, over the whole crawl.
    std::size_t pagesWithTypes = 0;
    std::size_t pagesWithSchemaIssues = 0;
    std::size_t pagesWithHreflangIssues = 0;
    std::size_t pagesWithSpelling = 0;
};

/// Rows past this are counted, not shown: the report holds them all.
inline constexpr std::size_t kMostContentRows = 2'000;

/// Adds `row` to the section's counts, and to its rows while there is room and it has a finding.
void AddContentAuditRow(ContentAuditSection& section, ContentAuditPageRow row);

/// The audit page's "Structured data", "hreflang" and "Spelling" sections, for the choices the crawl made.
void AppendContentAuditSections(std::string& out, const ContentAuditSection& section);

} // namespace vortaxel::audit
