#include "export/link_report.h"

#include <gtest/gtest.h>
#include <vector>

namespace vortaxel::audit {
namespace {

AuditLink Link(std::string target, std::string anchor, std::optional<int> status, std::string error = {}) {
    AuditLink link;
    link.source = "http://s.test/";
    link.target = std::move(target);
    link.anchor = std::move(anchor);
    link.element = "a href";
    link.targetStatus = status;
    link.targetError = std::move(error);
    return link;
}

TEST(LinkReportTest, EveryLinkWithItsSourceAndItsTargetsOutcome) {
    std::vector<AuditLink> links = {
        Link("http://s.test/gone", "Gone, \"really\"", 404),
        Link("http://s.test/off", "line\r\nbreak", std::nullopt, "Couldn't connect, refused"),
        Link("http://elsewhere.test/", "", std::nullopt),
    };
    links[2].rel = "nofollow ugc";
    links[2].follow = false;
    EXPECT_EQ(BuildLinkReport(links), "source,target,anchor,element,rel,follow,status\r\n"
                                      "http://s.test/,http://s.test/gone,\"Gone, \"\"really\"\"\",a href,,yes,404\r\n"
                                      "http://s.test/,http://s.test/off,\"line\r\nbreak\",a href,,yes,"
                                      "\"Couldn't connect, refused\"\r\n"
                                      "http://s.test/,http://elsewhere.test/,,a href,nofollow ugc,no,\r\n");
}

TEST(LinkReportTest, NoLinksLeavesTheHeader) {
    LinkReportBuilder builder;
    EXPECT_EQ(builder.RowCount(), 0U);
    EXPECT_EQ(builder.Text(), "source,target,anchor,element,rel,follow,status\r\n");
}

} // namespace
} // namespace vortaxel::audit
