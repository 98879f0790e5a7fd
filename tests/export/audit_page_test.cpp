#include "export/audit_page.h"
#include "export/page_text.h"

#include <algorithm>
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

TEST(AuditPageTest, OverviewSaysHowManyLinksAndHowLongOrThatTheTimeWasNotKept) {
    struct Case {
        const char* name;
        std::optional<std::uint64_t> linksTotal;
        bool durationKnown;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {"measured",
         3'000'030,
         true,
         {"\"linksTotal\":3000030", ">3000030</span><span class=\"label\">Links<", "took 1 min 5 s"}},
        {"read back", std::nullopt, false, {"\"linksTotal\":2", "time taken not kept", ">not kept<"}},
    };
    for (const Case& c : cases) {
        AuditData data;
        data.links = {Link("http://s.test/a", 200), Link("http://s.test/b", 404)};
        data.linksTotal = c.linksTotal;
        data.meta.durationKnown = c.durationKnown;
        data.meta.durationMs = 65'400;
        const std::string html = BuildAuditPage(data);
        for (const std::string& text : c.shown) {
            EXPECT_NE(html.find(text), std::string::npos) << c.name << ": " << text;
        }
        // Each kind of issue goes to the page with its heading and severity.
        EXPECT_NE(html.find("\"broken-link\":[\"Broken links\",\"error\"]"), std::string::npos) << c.name;
    }
}

/// The page with its script nonce, which differs on every build, taken out.
std::string WithoutNonce(std::string page) {
    for (std::size_t at = page.find("nonce-"); at != std::string::npos; at = page.find("nonce-", at + 1)) {
        page.erase(at + 6, 32);
    }
    for (std::size_t at = page.find("nonce=\""); at != std::string::npos; at = page.find("nonce=\"", at + 1)) {
        page.erase(at + 7, 32);
    }
    return page;
}

TEST(AuditPageTest, StreamedPageComesInPiecesAndIsTheBuiltOne) {
    AuditData data;
    for (int i = 0; i < 6000; ++i) {
        AuditPage page;
        page.url = "http://s.test/p" + std::to_string(i);
        page.title = std::string(200, 't');
        data.pages.push_back(page);
    }
    data.links = {Link("http://s.test/gone", 404)};
    std::vector<std::size_t> pieces;
    std::string streamed;
    StreamAuditPage(data, [&](std::string_view piece) {
        pieces.push_back(piece.size());
        streamed += piece;
    });
    EXPECT_GT(pieces.size(), 1U);
    EXPECT_LT(*std::max_element(pieces.begin(), pieces.end()), std::size_t{2} << 20);
    EXPECT_EQ(WithoutNonce(streamed), WithoutNonce(BuildAuditPage(data)));
}

class FailingWriter final : public services::FileWriter {
public:
    services::WriteResult Write(const std::string& path, std::string_view bytes) override {
        written = bytes;
        return services::WriteResult::Failure("cannot write " + path);
    }
    std::string written;
};

TEST(AuditPageTest, AFailedWriteIsReportedWithItsReason) {
    FailingWriter files;
    const services::WriteResult result = WriteAuditPage(AuditData{}, "/nowhere/audit.html", files);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, "cannot write /nowhere/audit.html");
    EXPECT_EQ(files.written.rfind("<!DOCTYPE html>", 0), 0U);
}

} // namespace
} // namespace vortaxel::audit
