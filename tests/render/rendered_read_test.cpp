#include "app/rendering_fetcher.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::app {
namespace {

using crawl::LinkSeen;

TEST(MergeRenderedRead, KeepsRawFactsAndAddsWhatScriptsWrote) {
    struct Case {
        const char* name;
        std::string raw;
        std::string rendered;
        std::vector<std::string> targets;
        std::vector<LinkSeen> seen;
        std::size_t jsLinks;
        std::optional<std::string> title;
        std::optional<std::string> robots;
    };
    const std::vector<Case> cases = {
        {"nothing changed",
         "<title>T</title><a href=/a>a</a>",
         "<title>T</title><a href=/a>a</a>",
         {"/a"},
         {LinkSeen::Both},
         0,
         std::nullopt,
         std::nullopt},
        {"links and noindex added, title changed",
         "<title>T</title><a href=/a>a</a>",
         "<title>U</title><meta name=robots content=noindex><a href=/a>a</a><a href=/b>b</a>",
         {"/a", "/b"},
         {LinkSeen::Both, LinkSeen::Rendered},
         1,
         "U",
         "noindex"},
        {"link removed by script stays, as raw",
         "<a href=/a>a</a><a href=/gone>g</a>",
         "<a href=/a>a</a>",
         {"/a", "/gone"},
         {LinkSeen::Both, LinkSeen::Raw},
         0,
         std::nullopt,
         std::nullopt},
        {"a link written twice is matched once each",
         "<a href=/a>1</a>",
         "<a href=/a>1</a><a href=/a>2</a>",
         {"/a", "/a"},
         {LinkSeen::Both, LinkSeen::Rendered},
         1,
         std::nullopt,
         std::nullopt},
        {"same target in another element is another link",
         "<a href=/x>x</a>",
         "<a href=/x>x</a><link rel=canonical href=/x>",
         {"/x", "/x"},
         {LinkSeen::Both, LinkSeen::Rendered},
         1,
         std::nullopt,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        crawl::RenderedPage differences;
        const crawl::PageRead merged =
            MergeRenderedRead(crawl::ReadPage(c.raw), crawl::ReadPage(c.rendered), differences);
        std::vector<std::string> targets;
        for (const crawl::PageLink& link : merged.links) {
            targets.push_back(link.target);
        }
        EXPECT_EQ(targets, c.targets);
        EXPECT_EQ(differences.seen, c.seen);
        EXPECT_EQ(differences.jsLinks, c.jsLinks);
        EXPECT_EQ(differences.title, c.title);
        EXPECT_EQ(differences.robots, c.robots);
        // The raw page's facts stay the page's own.
        EXPECT_EQ(merged.facts.title, crawl::ReadPage(c.raw).facts.title);
    }
}

} // namespace
} // namespace vortaxel::app
