#include "export/content/content_audit_section.h"

#include "export/page_text.h"
#include "export/utf8.h"

namespace vortaxel::audit {

namespace {

void Cell(std::string& out, const std::string& text) {
    out += "<td>";
    AppendHtmlText(out, keywords::WellFormedUtf8(text));
    out += "</td>";
}

void SpellingSection(std::string& out, const ContentAuditSection& section) {
    out += "<section id=\"spelling\"><h2>Spelling</h2><p class=\"note\">";
    out += std::to_string(section.pagesWithSpelling) +
           " pages with words their language's dictionary lacks in the title, description or H1.";
    out += "</p><table><thead><tr><th>Page</th><th>Words</th></tr></thead><tbody>";
    for (const ContentAuditPageRow& row : section.rows) {
        if (!row.spelling.empty()) {
            out += "<tr>";
            Cell(out, row.url);
            Cell(out, row.spelling);
            out += "</tr>";
        }
    }
    out += "</tbody></table></section>";
}

void Section(std::string& out, const ContentAuditSection& section, bool schema) {
    out += schema ? "<section id=\"structured-data\"><h2>Structured data</h2><p class=\"note\">"
                  : "<section id=\"hreflang\"><h2>hreflang</h2><p class=\"note\">";
    out += schema ? std::to_string(section.pagesWithTypes) + " pages with structured data, " +
                        std::to_string(section.pagesWithSchemaIssues) + " with issues."
                  : std::to_string(section.pagesWithHreflangIssues) + " pages with hreflang issues.";
    out += "</p><table><thead><tr><th>Page</th>";
    out += schema ? "<th>Types</th><th>Issues</th>" : "<th>Issues</th>";
    out += "</tr></thead><tbody>";
    for (const ContentAuditPageRow& row : section.rows) {
        const bool shown = schema ? !row.schemaIssues.empty() : !row.hreflangIssues.empty();
        if (!shown) {
            continue;
        }
        out += "<tr>";
        Cell(out, row.url);
        if (schema) {
            Cell(out, row.schemaTypes);
            Cell(out, row.schemaIssues);
        } else {
            Cell(out, row.hreflangIssues);
        }
        out += "</tr>";
    }
    out += "</tbody></table></section>";
}

} // namespace

void AddContentAuditRow(ContentAuditSection& section, ContentAuditPageRow row) {
    section.pagesWithTypes += row.schemaTypes.empty() ? 0 : 1;
    section.pagesWithSchemaIssues += row.schemaIssues.empty() ? 0 : 1;
    section.pagesWithHreflangIssues += row.hreflangIssues.empty() ? 0 : 1;
    section.pagesWithSpelling += row.spelling.empty() ? 0 : 1;
    if ((!row.schemaIssues.empty() || !row.hreflangIssues.empty() || !row.spelling.empty()) &&
        section.rows.size() < kMostContentRows) {
        section.rows.push_back(std::move(row));
    }
}

void AppendContentAuditSections(std::string& out, const ContentAuditSection& section) {
    if (section.structuredData) {
        Section(out, section, true);
    }
    if (section.hreflang) {
        Section(out, section, false);
    }
    if (section.spelling) {
        SpellingSection(out, section);
    }
}

} // namespace vortaxel::audit
