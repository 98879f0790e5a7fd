#include "crawl/crawl_engine.h"
#include "crawl/crawl_queue.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using Texts = std::vector<std::string>;

/// A site in memory that records what the run tells it, and can fail an allocation in its n-th
/// fetch or at its n-th listed page.
struct Site final : PageFetcher, CrawlListener {
    FetchedPage Fetch(const std::string& url) override {
        if (++fetches == failFetch) {
            throw std::bad_alloc();
        }
        const auto page = pages.find(url);
        if (page == pages.end()) {
            return FetchedPage::Failure("404");
        }
        FetchedPage fetched = FetchedPage::Success(page->second);
        fetched.status = 200;
        fetched.contentType = "text/html";
        return fetched;
    }
    void PageFound(std::size_t index, std::string_view) override {
        if (index + 1 == failFound) {
            throw std::bad_alloc();
        }
    }
    void LinksDropped(std::string_view url, std::size_t count) override {
        drops.push_back(std::string(url) + " " + std::to_string(count));
    }
    void RunEnded() override { ++ended; }

    std::map<std::string, std::string> pages;
    std::size_t fetches = 0;
    std::size_t failFetch = 0;
    std::size_t failFound = 0;
    Texts drops;
    int ended = 0;
};

Texts Found(const CrawlEngine& engine) {
    Texts texts;
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        texts.emplace_back(engine.List2().Text(i));
    }
    return texts;
}

// "http://s/" + "aa" is 11 bytes: a budget of 33 takes three of the start page's five links.
TEST(PageLinkBudget, LinksPastItAreDroppedOnceAPageAndTheRunGoesOn) {
    struct Row {
        std::uint64_t budget;
        Texts found;
        Texts drops;
    };
    const Row rows[] = {
        {RunLimits{}.pageLinkBytes,
         {"http://s/", "http://s/aa", "http://s/bb", "http://s/cc", "http://s/dd", "http://s/ee", "http://s/ff"},
         {}},
        {33, {"http://s/", "http://s/aa", "http://s/bb", "http://s/cc", "http://s/ff"}, {"http://s/ 2"}},
        {10, {"http://s/"}, {"http://s/ 5"}},
    };
    for (const Row& row : rows) {
        Site site;
        site.pages = {{"http://s/", R"(href="aa" href="bb" href="cc" href="dd" window.open('ee'))"},
                      {"http://s/cc", R"(href="ff")"}};
        CrawlEngine engine(site, site);
        engine.SetLimits({.pageLinkBytes = row.budget});
        EXPECT_EQ(engine.Run("http://s/", RuleSet::Classic), RunEnd::QueueEmpty);
        EXPECT_EQ(Found(engine), row.found) << row.budget;
        EXPECT_EQ(site.drops, row.drops) << row.budget;
    }
}

TEST(PageLinkBudget, BrowserRulesDropLinksPastItToo) {
    Site site;
    site.pages = {{"http://s/", R"(<a href="aa"></a><a href="bb"></a><a href="cc"></a><a href="dd"></a>)"},
                  {"http://s/aa", ""},
                  {"http://s/bb", ""},
                  {"http://s/cc", R"(<a href="ff"></a>)"},
                  {"http://s/dd", ""},
                  {"http://s/ff", ""}};
    CrawlEngine engine(site, site);
    engine.SetLimits({.pageLinkBytes = 33});
    engine.Run("http://s/", RuleSet::Browser);
    EXPECT_EQ(Found(engine), (Texts{"http://s/", "http://s/aa", "http://s/bb", "http://s/cc", "http://s/ff"}));
    EXPECT_EQ(site.drops, Texts{"http://s/ 1"});
}

TEST(PageLimit, TheRunStopsOnceThatManyPagesAreListedUnderEitherRules) {
    for (const RuleSet rules : {RuleSet::Classic, RuleSet::Browser}) {
        for (std::size_t limit : {1, 2, 3, 5, 6, 100}) {
            Site site;
            site.pages = {{"http://s/", R"(<a href="a">a</a> <a href="b">b</a>)"},
                          {"http://s/a", R"(<a href="c">c</a> <a href="d">d</a>)"},
                          {"http://s/b", ""},
                          {"http://s/c", ""},
                          {"http://s/d", ""}};
            CrawlEngine engine(site, site);
            engine.SetLimits({.pages = limit});
            const RunEnd end = engine.Run("http://s/", rules);
            const Texts all = {"http://s/", "http://s/a", "http://s/b", "http://s/c", "http://s/d"};
            EXPECT_EQ(Found(engine), Texts(all.begin(), all.begin() + std::ptrdiff_t(std::min(limit, all.size()))))
                << limit;
            EXPECT_EQ(end, limit <= all.size() ? RunEnd::Stopped : RunEnd::QueueEmpty) << limit;
            EXPECT_EQ(engine.StopReason(), "");
        }
    }
}

TEST(RunBudget, ReachingItStopsTheRunWithItsReasonAndKeepsTheFoundList) {
    Site site;
    // A link of 2 MiB takes a store block of its own, past the 2 MiB budget.
    site.pages = {{"http://s/", R"(href="a" href="b")"},
                  {"http://s/a", "href=\"" + std::string(std::size_t{2} << 20, 'x') + "\" href=\"c\""}};
    CrawlEngine engine(site, site);
    engine.SetLimits({.storeBytes = std::uint64_t{2} << 20});
    EXPECT_EQ(engine.Run("http://s/", RuleSet::Classic), RunEnd::MemoryBudget);
    EXPECT_EQ(Found(engine), (Texts{"http://s/", "http://s/a"}));
    EXPECT_EQ(engine.StopReason(), "URL store reached its memory budget of 2 MiB");
    EXPECT_TRUE(engine.StopRequested());
    EXPECT_EQ(site.ended, 1);
}

// Under browser rules one page cannot carry the run past its budget: a page whose links each resolve to 8,000
// bytes queues no more of them than the budget has room for, what the page holds counted, and the run stops
// there, as a memory stop, without a word of a page budget.
TEST(RunBudget, OnePageOfLongLinksQueuesNoMoreThanTheBudgetHasRoomFor) {
    Site site;
    const std::string base = "http://s/" + std::string(7'990, 'b') + "/";
    std::string page = "<base href=\"" + base + "\">";
    for (int i = 0; i < 2'000; ++i) {
        page += "<a href=" + std::to_string(i) + ">x</a>";
    }
    site.pages = {{"http://s/", page}};
    struct Row {
        std::uint64_t budget;
        RunEnd end;
    };
    // 2,000 links of 8,000 bytes are 16 MB: more than the smaller budgets, less than the page's own of 64 MiB.
    const Row rows[] = {{std::uint64_t{2} << 20, RunEnd::MemoryBudget},
                        {std::uint64_t{8} << 20, RunEnd::MemoryBudget},
                        {std::uint64_t{64} << 20, RunEnd::Stopped}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.budget);
        CrawlEngine engine(site, site);
        engine.SetLimits({.storeBytes = row.budget, .pages = 1});
        EXPECT_EQ(engine.Run("http://s/", RuleSet::Browser), row.end);
        // The store grows a block of 1 MiB at a time.
        EXPECT_LE(engine.StoreBytes(), row.budget + (std::uint64_t{1} << 20));
        EXPECT_EQ(Found(engine), (Texts{"http://s/"}));
        EXPECT_TRUE(site.drops.empty()) << site.drops.front();
    }
}

TEST(OutOfMemory, AnAllocationFailureStopsTheRunAndKeepsTheFoundList) {
    struct Row {
        std::size_t failFetch;
        std::size_t failFound;
        Texts found;
    };
    const Row rows[] = {
        {1, 0, {"http://s/"}},
        {3, 0, {"http://s/", "http://s/a", "http://s/b"}},
        {0, 2, {"http://s/", "http://s/a"}},
    };
    for (const Row& row : rows) {
        Site site;
        site.pages = {{"http://s/", R"(href="a" href="b" href="c")"}};
        site.failFetch = row.failFetch;
        site.failFound = row.failFound;
        CrawlEngine engine(site, site);
        EXPECT_EQ(engine.Run("http://s/", RuleSet::Classic), RunEnd::OutOfMemory);
        EXPECT_EQ(Found(engine), row.found);
        EXPECT_EQ(engine.StopReason(), "out of memory");
        EXPECT_EQ(site.ended, 1);
        EXPECT_FALSE(engine.IsRunning());
        // The engine is fit for the next run.
        site.failFetch = site.failFound = 0;
        EXPECT_EQ(engine.Run("http://s/", RuleSet::Classic), RunEnd::QueueEmpty);
        EXPECT_EQ(Found(engine).size(), 4U);
        EXPECT_EQ(engine.StopReason(), "");
    }
}

TEST(CrawlQueue, WaitingJoinedLinksReadAndCountAsTheirWholeText) {
    // Long bases are kept apart from their links, short ones joined at once: both kinds mixed.
    const std::string s = "http://s/" + std::string(80, 's') + "/";
    const std::string t = "http://t/" + std::string(80, 's') + "/";
    UrlStore store;
    CrawlQueue queue(store);
    queue.AppendJoined(s, "a");
    queue.Append(s + "a");
    queue.AppendJoined(t, "a");
    queue.AppendJoined("http://u/", "a");
    queue.AppendJoined(s, "");
    queue.AppendJoined(s + "a", "");
    const Texts whole = {s + "a", s + "a", t + "a", "http://u/a", s, s + "a"};
    ASSERT_EQ(queue.Count(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(queue.Text(i), whole[i]) << i;
        EXPECT_EQ(queue.Occurrences(whole[i]),
                  static_cast<std::size_t>(std::count(whole.begin(), whole.end(), whole[i])))
            << i;
    }
    EXPECT_EQ(queue.Occurrences(s + "ah"), 0U);
    EXPECT_EQ(queue.Occurrences(t), 0U);
    // A pass stores them as the same URLs.
    queue.Filter("http://");
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(queue.Text(i), whole[i]) << i;
    }
    EXPECT_EQ(queue.Occurrences(s + "a"), 3U);
}

} // namespace
} // namespace vortaxel::crawl
