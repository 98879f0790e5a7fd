#include "export/audit_page.h"
#include "export/content/content_audit_columns.h"
#include "export/content/content_audit_section.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::audit {
namespace {

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

TEST(ContentAuditSection, ShowsThePagesWithFindingsAsTextAndCountsTheRest) {
    ContentAuditSection section;
    section.structuredData = true;
    section.hreflang = true;
    AddContentAuditRow(section, {"https://a.test/", "Product", "", "", ""});
    AddContentAuditRow(section, {"https://a.test/b", "Event", "Event has no <name>", "no x-default", ""});
    for (std::size_t i = 0; i < kMostContentRows + 5; ++i) {
        AddContentAuditRow(section, {"https://a.test/p" + std::to_string(i), "", "", "no self reference", ""});
    }
    EXPECT_EQ(section.rows.size(), kMostContentRows);
    EXPECT_EQ(section.pagesWithTypes, 2u);
    EXPECT_EQ(section.pagesWithSchemaIssues, 1u);
    EXPECT_EQ(section.pagesWithHreflangIssues, kMostContentRows + 6);

    AuditData data;
    data.markup = section;
    const std::string page = BuildAuditPage(data);
    EXPECT_NE(page.find("<a href=\"#structured-data\">Structured data</a>"), std::string::npos);
    EXPECT_NE(page.find("<p class=\"note\">2 pages with structured data, 1 with issues.</p>"), std::string::npos);
    EXPECT_NE(page.find("<td>Event has no &lt;name&gt;</td>"), std::string::npos);
    EXPECT_EQ(page.find("Event has no <name>"), std::string::npos);
    EXPECT_EQ(Count(page, "no self reference"), kMostContentRows - 1);
    EXPECT_EQ(BuildAuditPage(AuditData{}).find("structured-data"), std::string::npos);
}

TEST(ContentAuditColumns, ColumnsFollowTheChoicesAndValuesShareACell) {
    crawl::ContentAuditChoices choices;
    EXPECT_EQ(ContentAuditColumns(choices), "");
    choices.hreflang = true;
    choices.extractors = {{"price", crawl::ExtractorKind::XPath, "//p"}, {"sku", crawl::ExtractorKind::Regex, "x"}};
    EXPECT_EQ(ContentAuditColumns(choices), ",hreflang_issues,price,sku");
    std::string fields;
    AppendContentAuditFields(fields, choices, {"", "", "no x-default", {{"", "9,50", "=1"}, {}}, ""});
    EXPECT_EQ(fields, ",no x-default,\" | 9,50 | =1\",");
}

} // namespace
} // namespace vortaxel::audit
