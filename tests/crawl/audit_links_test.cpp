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

TEST(ResolveLinksAhead, GivesWhatResolvingWhereTheLinksAreUsedGives) {
    // Each page against two addresses: links resolved ahead must match, link for link, what the run's
    // thread and the writer would resolve themselves, base element, fragments and non-web links included.
    const std::string pages[] = {
        "<a href=b.html>b</a><a href='/c?x#y'>c</a><a href=#top>t</a><a href=mailto:a@b.test>m</a>"
        "<a href='http://[bad'>x</a><link rel=canonical href=../up.html><img src='i.png#%zz'>",
        "<base href='http://other.test/dir/'><a href=b.html>b</a><a href=''>self</a><a href='?q=1'>q</a>",
        "<base href='javascript:void(0)'><a href='sub/../d%7e.html#part'>d</a>",
    };
    for (const std::string& html : pages) {
        for (const std::string address : {"http://site.test/shop/a.html", "http://site.test/x?y=1"}) {
            PageRead read = ReadPage(html);
            PageIdentityCache ahead;
            ResolveLinksAhead(read, address, ahead);
            ASSERT_EQ(read.resolvedFor, address);
            PageIdentityCache here;
            const std::string base = LinkBase(address, read.facts);
            for (const PageLink& link : read.links) {
                EXPECT_EQ(link.identity.value_or(link.target), ResolvedTarget(here, base, link.target))
                    << html << " at " << address << ": " << link.target;
            }
            const PageLinks followed = FollowedLinks(read, {}, false);
            ASSERT_EQ(followed.identities.size(), followed.links.size());
            EXPECT_EQ(followed.resolvedFor, address);
        }
    }
    std::string flood;
    for (std::size_t i = 0; i <= kMaxLinksResolvedAhead; ++i) {
        flood += "<a href=p" + std::to_string(i) + ">p</a>";
    }
    PageRead read = ReadPage(flood);
    PageIdentityCache identities;
    ResolveLinksAhead(read, "http://site.test/", identities);
    EXPECT_TRUE(read.resolvedFor.empty());
    EXPECT_FALSE(read.links.front().identity);
    EXPECT_TRUE(FollowedLinks(read, {}, false).identities.empty());
}

} // namespace
} // namespace vortaxel::crawl
