#include "export/audit_charts.h"
#include "export/audit_data.h"
#include "export/audit_issues.h"
#include "export/utf8.h"

#include <gtest/gtest.h>

namespace vortaxel::audit {
namespace {

TEST(AuditIssuesTest, EveryKindHasItsPlaceNameAndSeverity) {
    for (std::size_t i = 0; i < IssueKinds().size(); ++i) {
        const IssueKindInfo& info = IssueKinds()[i];
        EXPECT_EQ(static_cast<std::size_t>(info.kind), i) << info.id;
        EXPECT_FALSE(info.id.empty());
        EXPECT_FALSE(info.title.empty());
    }
    EXPECT_EQ(SeverityText(InfoOf(IssueKind::BrokenLink).severity), "error");
    EXPECT_EQ(SeverityText(InfoOf(IssueKind::BlockedLink).severity), "notice");
}

TEST(AuditIssuesTest, LengthsAreCountedInCharactersAndStated) {
    struct Case {
        std::string text;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {std::string(29, 'a'), "29 characters, under 30"},
        {std::string(30, 'a'), ""},
        {std::string(60, 'a'), ""},
        {std::string(61, 'a'), "61 characters, over 60"},
        // Sixty characters of two bytes each are sixty characters.
        {[] {
             std::string text;
             for (int i = 0; i < 60; ++i) {
                 text += "\xC3\xA9";
             }
             return text;
         }(),
         ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LengthProblem(c.text, kTitleShortest, kTitleLongest), c.problem) << c.text;
    }
}

TEST(AuditIssuesTest, BlockedLinksAreNotBroken) {
    struct Case {
        const char* name;
        std::optional<int> status;
        std::string error;
        bool blocked;
        bool broken;
    };
    const std::vector<Case> cases = {
        {"fine", 200, "", false, false},
        {"gone", 404, "", false, true},
        {"failed", std::nullopt, "timed out", false, true},
        {"blocked", std::nullopt, "blocked by robots.txt", true, false},
    };
    for (const Case& c : cases) {
        AuditLink link;
        link.targetStatus = c.status;
        link.targetError = c.error;
        link.targetBlocked = c.blocked;
        EXPECT_EQ(IsBrokenLink(link), c.broken) << c.name;
        EXPECT_EQ(IsBlockedLink(link), c.blocked) << c.name;
    }
}

TEST(AuditIssuesTest, TextsBecomeWellFormedUtf8) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"plain", "plain"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"caf\xE9", "caf\xEF\xBF\xBD"},
        {"\xFF\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"cut \xE2\x82", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keywords::WellFormedUtf8(c.text), c.expected) << c.text;
        EXPECT_TRUE(keywords::IsWellFormedUtf8(keywords::WellFormedUtf8(c.text)));
    }
}

TEST(AuditIssuesTest, DepthChartKeepsPagesWithoutDepthApart) {
    AuditData data;
    for (const int depth : {0, 1, 1, -1, -1}) {
        AuditPage page;
        page.depth = depth;
        data.pages.push_back(page);
    }
    const std::string svg = DepthChartSvg(data);
    EXPECT_NE(svg.find(">none<"), std::string::npos) << svg;
}

} // namespace
} // namespace vortaxel::audit
