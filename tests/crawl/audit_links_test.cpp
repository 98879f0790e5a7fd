// Which links browser rules follow on a page, as search engines treat its directives.

#include "crawl/browser/audit_links.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

TEST(RobotsDirectives, NofollowIsFoundAloneAfterAUserAgentOrAsNoneInAnyCase) {
    const struct {
        const char* robots;
        bool nofollow;
    } cases[] = {
        {"nofollow", true},           {"index, NoFollow", true}, {"none", true},
        {"otherbot: nofollow", true}, {"noindex", false},        {"", false},
        {"nofollowing", false},       {"follow, index", false},  {"max-snippet:-1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RobotsSayNofollow(c.robots), c.nofollow) << c.robots;
    }
    EXPECT_TRUE(RelSaysNofollow("external\tnofollow"));
    EXPECT_FALSE(RelSaysNofollow("nofollowme noopener"));
}

std::vector<std::string> Followed(std::string_view html, std::string_view header = {}, bool all = false) {
    return FollowedLinks(ReadPage(html), header, all).links;
}

TEST(FollowedLinks, SearchEngineLinkKindsAreFollowedAndNofollowOnlyWhenAsked) {
    const std::string page = "<link rel=canonical href=/c><link rel=next href=/n><link rel=prev href=/p>"
                             "<link rel=alternate hreflang=de href=/de><link rel=alternate href=/feed>"
                             "<link rel=stylesheet href=/s.css><meta http-equiv=refresh content='5; url=/r'>"
                             "<img src=/i.png><a href=/a>a</a><a href=/x rel=nofollow>x</a>";
    EXPECT_EQ(Followed(page), (std::vector<std::string>{"/c", "/n", "/p", "/de", "/r", "/a"}));
    EXPECT_EQ(Followed(page, {}, true), (std::vector<std::string>{"/c", "/n", "/p", "/de", "/r", "/a", "/x"}));
    EXPECT_TRUE(Followed("<meta name=robots content=nofollow><a href=/a>a</a>").empty());
    EXPECT_TRUE(Followed("<a href=/a>a</a>", "googlebot: none").empty());
    EXPECT_EQ(Followed("<a href=/a>a</a>", "nofollow", true), std::vector<std::string>{"/a"});
}

} // namespace
} // namespace vortaxel::crawl
