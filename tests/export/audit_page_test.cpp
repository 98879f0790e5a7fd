#include "export/audit_page.h"
#include "export/page_text.h"

#include <gtest/gtest.h>

namespace vortaxel::audit {
namespace {

struct TextRow {
    const char* name;
    std::string input;
    std::string json;
    std::string html;
};

class PageTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(PageTextTest, SiteTextCannotLeaveItsPlace) {
    std::string json;
    AppendJsonString(json, GetParam().input);
    EXPECT_EQ(json, GetParam().json);
    std::string html;
    AppendHtmlText(html, GetParam().input);
    EXPECT_EQ(html, GetParam().html);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PageTextTest,
    ::testing::Values(
        TextRow{"plain", "Blue widgets", "\"Blue widgets\"", "Blue widgets"},
        TextRow{"script_end", "</script><!--", "\"\\u003c/script\\u003e\\u003c!--\"", "&lt;/script&gt;&lt;!--"},
        TextRow{"quotes", "a\"b'c\\d&e", "\"a\\\"b'c\\\\d\\u0026e\"", "a&quot;b&#39;c\\d&amp;e"},
        TextRow{"controls", std::string("a\0b\tc\x1f", 6), "\"a\\u0000b\\u0009c\\u001f\"", "ab\tc"},
        TextRow{"line_separators",
                "a\xE2\x80\xA8"
                "b\xE2\x80\xA9",
                "\"a\\u2028b\\u2029\"",
                "a\xE2\x80\xA8"
                "b\xE2\x80\xA9"},
        TextRow{"well_formed", "caf\xC3\xA9 \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xF0\x9F\x98\x80\"",
                "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        TextRow{"malformed", "\xFF\xC0\xAF\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
                "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        TextRow{"surrogate_and_cut", "\xED\xA0\x80 \xE2\x82",
                "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD\"",
                "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD"},
        TextRow{"past_unicode", "\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
                "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}),
    [](const ::testing::TestParamInfo<TextRow>& info) { return info.param.name; });

std::size_t Occurrences(const std::string& text, std::string_view needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

AuditLink Link(std::string target, std::optional<int> status) {
    AuditLink link;
    link.source = "http://s.test/";
    link.target = std::move(target);
    link.targetStatus = status;
    return link;
}

TEST(AuditPageTest, SiteTextNeverClosesTheDataBlockOrOpensAComment) {
    AuditData data;
    data.meta.startUrl = "http://s.test/</script><!--";
    AuditPage page;
    page.url = "http://s.test/</SCRIPT>";
    page.title = "<!-- </script> <script>";
    data.pages.push_back(page);
    const std::string html = BuildAuditPage(data);
    // The data block and the script: two elements, each closed once.
    EXPECT_EQ(Occurrences(html, "</script>"), 2U);
    EXPECT_EQ(Occurrences(html, "</SCRIPT>"), 0U);
    EXPECT_EQ(Occurrences(html, "<!--"), 0U);
    EXPECT_EQ(Occurrences(html, "<script"), 2U);
}

TEST(AuditPageTest, BrokenLinksSurviveTheCutOnLinks) {
    AuditData data;
    for (int i = 0; i < 5; ++i) {
        data.links.push_back(Link("http://s.test/fine" + std::to_string(i), 200));
    }
    data.links.push_back(Link("http://s.test/gone", 404));
    const std::string html = BuildAuditPage(data, 2);
    EXPECT_NE(html.find("http://s.test/gone"), std::string::npos);
    EXPECT_NE(html.find("http://s.test/fine0"), std::string::npos);
    EXPECT_EQ(html.find("http://s.test/fine1"), std::string::npos);
    EXPECT_NE(html.find("\"linksTotal\":6"), std::string::npos);
}

class FailingWriter final : public keywords::FileWriter {
public:
    keywords::WriteResult Write(const std::string& path, std::string_view bytes) override {
        written = bytes;
        return keywords::WriteResult::Failure("cannot write " + path);
    }
    std::string written;
};

TEST(AuditPageTest, AFailedWriteIsReportedWithItsReason) {
    FailingWriter files;
    const keywords::WriteResult result = WriteAuditPage(AuditData{}, "/nowhere/audit.html", files);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, "cannot write /nowhere/audit.html");
    EXPECT_EQ(files.written.rfind("<!DOCTYPE html>", 0), 0U);
}

} // namespace
} // namespace vortaxel::audit
