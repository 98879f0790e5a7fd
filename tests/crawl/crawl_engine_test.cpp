#include "crawl/crawl_engine.h"
#include "fake_crawl_host.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using testing::CheckValue;
using testing::EngineWindow;
using testing::FakeCrawlHost;
using Texts = std::vector<std::string>;

const std::string kRefusal = "message=Oops:Please enter a Starting URL";

Texts Found(const CrawlEngine& engine) {
    Texts texts;
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        texts.emplace_back(engine.List2().Text(i));
    }
    return texts;
}

Texts Queue(const CrawlEngine& engine) {
    Texts texts;
    for (std::size_t i = 0; i < engine.QueueCount(); ++i) {
        texts.emplace_back(engine.QueueText(i));
    }
    return texts;
}

/// A start page linking to three pages, each of which links back and on to one more.
struct Fixture : ::testing::Test {
    Fixture() {
        host.urlText = "http://s/";
        host.pages = {
            {"http://s/", R"(href="a.html" href="b.html" href="c.html")"},
            {"http://s/a.html", R"(href="/" href="d.html")"},
            {"http://s/b.html", R"(href="/" href="e.html")"},
            {"http://s/c.html", R"(href="/")"},
            {"http://s/d.html", ""},
            {"http://s/e.html", ""},
        };
    }
    FakeCrawlHost host;
    EngineWindow window{host};
    CrawlEngine& engine = window.Engine();
};

TEST_F(Fixture, RefusesAnEmptyOrBareSchemeFieldAndChangesNothing) {
    for (const std::string typed : {"", "http://"}) {
        host.urlText = typed;
        host.calls.clear();
        host.counter = "Retrieving URLs: 7";
        window.cmdstart_Click();
        EXPECT_EQ(host.calls, (Texts{"url?", kRefusal, "focus"})) << typed;
        EXPECT_EQ(host.counter, "Retrieving URLs: 7");
        EXPECT_FALSE(engine.IsRunning());
        EXPECT_EQ(engine.List2().Count(), 0U);
    }
}

TEST_F(Fixture, NormalisesTheStartUrlOnlyByAppendingASlash) {
    struct Row {
        std::string typed;
        std::string normalised;
    };
    const Row rows[] = {
        {"http://s", "http://s/"},   {"HTTP://", "HTTP://"},          {"http://s/page.html", "http://s/page.html/"},
        {"http://s ", "http://s /"}, {"file:///etc", "file:///etc/"}, {" http://s", " http://s/"},
    };
    host.pages[" http://s/"] = host.pages["http://s/"];
    for (const Row& row : rows) {
        host.urlText = row.typed;
        host.fetched.clear();
        window.cmdstart_Click();
        EXPECT_EQ(host.urlText, row.normalised);
        ASSERT_FALSE(host.fetched.empty());
        EXPECT_EQ(host.fetched.front(), row.normalised);
        EXPECT_EQ(Found(engine).front(), row.normalised);
    }
    // A leading blank is in no extracted link, so only the start page is visited.
    EXPECT_EQ(host.fetched, (Texts{" http://s/"}));
}

TEST_F(Fixture, EachTurnYieldsOnceAndARepeatIsDroppedUnfetched) {
    host.pages = {{"http://s/", R"(href="a.html" href="a.html")"}, {"http://s/a.html", R"(href="/")"}};
    int enter = 13;
    window.txturl_KeyPress(enter);
    EXPECT_EQ(enter, 13);
    EXPECT_EQ(host.fetched, (Texts{"http://s/", "http://s/a.html"}));
    EXPECT_EQ(host.yields, 4) << "start page, repeat dropped, a.html, start page again dropped";
    EXPECT_EQ(host.counter, "Retrieving URLs: 2");
    EXPECT_EQ(Found(engine), (Texts{"http://s/", "http://s/a.html"}));
    EXPECT_EQ(engine.QueueCount(), 0U);
    EXPECT_FALSE(engine.IsRunning());
}

TEST_F(Fixture, OtherKeysDoNothing) {
    for (int key : {10, 32, 65, 0}) {
        window.txturl_KeyPress(key);
    }
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Fixture, StopEndsTheRunAfterTheTurnInProgress) {
    struct Row {
        int yield;         // stop at this yield, or 0
        std::size_t fetch; // stop in this fetch, or 0
        Texts found;
        Texts queue;
    };
    const Row rows[] = {
        {1, 0, {"http://s/"}, {"http://s/a.html", "http://s/b.html", "http://s/c.html"}},
        {0,
         2,
         {"http://s/", "http://s/a.html"},
         {"http://s/b.html", "http://s/c.html", "http://s/", "http://s/d.html"}},
        {0,
         6,
         {"http://s/", "http://s/a.html", "http://s/b.html", "http://s/c.html", "http://s/d.html", "http://s/e.html"},
         {"http://s/"}},
    };
    for (const Row& row : rows) {
        host.onYield = [&](int n) {
            if (n == row.yield) {
                window.cmdstop_Click();
            }
        };
        host.onFetch = [&](std::size_t n) {
            if (n == row.fetch) {
                window.cmdstop_Click();
            }
        };
        host.fetched.clear();
        host.yields = 0;
        window.cmdstart_Click();
        EXPECT_EQ(Found(engine), row.found);
        EXPECT_EQ(Queue(engine), row.queue);
        EXPECT_EQ(host.fetched, row.found);
        EXPECT_TRUE(engine.StopRequested());
        EXPECT_EQ(Texts(host.calls.end() - 2, host.calls.end()), (Texts{"an-", "start+"}));
    }
}

TEST_F(Fixture, FailedFetchIsListedAndCounted) {
    host.pages.erase("http://s/a.html");
    host.pages["http://s/c.html"] = R"(href="a.html")";
    window.cmdstart_Click();
    EXPECT_EQ(Found(engine),
              (Texts{"http://s/", "http://s/a.html", "http://s/b.html", "http://s/c.html", "http://s/e.html"}));
    EXPECT_EQ(host.counter, "Retrieving URLs: 5");
    EXPECT_TRUE(engine.PageBuffer().empty());
}

TEST_F(Fixture, SelectAllRuleFollowsTheBox) {
    struct Row {
        CheckValue value;
        std::string flags; // after a run in which the user flips entries 0 and 1 at the third yield
    };
    for (const Row& row :
         {Row{CheckValue::Ticked, "111111"}, Row{CheckValue::Unticked, "010000"}, Row{CheckValue::Greyed, "010000"}}) {
        host.checkValue = row.value;
        host.yields = 0;
        host.onYield = [&](int n) {
            if (n == 3) {
                engine.List2().SetSelected(1, true);
                engine.List2().SetSelected(0, false);
            }
        };
        window.cmdstart_Click();
        std::string flags;
        for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
            flags += engine.List2().IsSelected(i) ? '1' : '0';
        }
        EXPECT_EQ(flags, row.flags);
    }
}

TEST_F(Fixture, EditsOfTheUrlFieldTakeEffectAtTheirNextUse) {
    host.pages["http://t/"] = "";
    host.pages["http://s/a.html"] = R"(href="x.html" window.open('y.html'))";
    host.onFetch = [&](std::size_t n) {
        if (n == 2) {
            host.urlText = "http://t/";
        }
    };
    window.cmdstart_Click();
    // The queue left from the start page is outside the new site and goes at the next pass.
    EXPECT_EQ(Found(engine), (Texts{"http://s/", "http://s/a.html", "http://t/x.html", "http://t/y.html"}));
}

TEST_F(Fixture, StartDuringARunRestartsOnceAfterTheClosingSteps) {
    host.pages["http://t/"] = "";
    host.onYield = [&](int n) {
        EXPECT_TRUE(engine.IsRunning());
        if (n == 2) {
            host.urlText = "http://t";
            int enter = 13;
            window.txturl_KeyPress(enter);
            window.cmdstart_Click();
        }
    };
    window.cmdstart_Click();
    EXPECT_FALSE(engine.IsRunning());
    EXPECT_EQ(host.fetched, (Texts{"http://s/", "http://s/a.html", "http://t/"}));
    EXPECT_EQ(Found(engine), (Texts{"http://t/"}));
    EXPECT_FALSE(engine.StopRequested());
    std::erase(host.calls, "url?");
    const Texts closeThenRestart = {"an-", "start+", "url=http://t/", "an+"};
    EXPECT_NE(std::search(host.calls.begin(), host.calls.end(), closeThenRestart.begin(), closeThenRestart.end()),
              host.calls.end());
}

TEST_F(Fixture, StopAfterARestartRequestEndsTheRunWithoutRestarting) {
    host.pages["http://t/"] = "";
    host.onYield = [&](int n) {
        if (n == 2) {
            host.urlText = "http://t/";
            window.cmdstart_Click();
            window.cmdstop_Click();
        }
    };
    window.cmdstart_Click();
    EXPECT_FALSE(engine.IsRunning());
    EXPECT_EQ(host.fetched, (Texts{"http://s/", "http://s/a.html"}));
    EXPECT_TRUE(engine.StopRequested());
}

TEST_F(Fixture, DuplicateTestCountsQueueAndFoundList) {
    host.pages["http://s/"] = R"(href="a" href="b" href="a" window.open('http://o/x') href='mailto:m')";
    host.onYield = [&](int n) {
        if (n == 1) {
            window.cmdstop_Click();
        }
    };
    window.cmdstart_Click();
    EXPECT_EQ(Queue(engine), (Texts{"http://s/a", "http://s/b", "http://s/a"}));
    struct Row {
        std::string url;
        bool isNew;
    };
    for (const Row& row : {Row{"http://s/a", false}, Row{"http://s/b", true}, Row{"http://s/", true},
                           Row{"http://s/A", true}, Row{"http://o/x", true}, Row{"", true}}) {
        EXPECT_EQ(engine.IsNewLink(row.url), row.isNew) << row.url;
    }
    EXPECT_TRUE(engine.IsFound("http://s/"));
    EXPECT_FALSE(engine.IsFound("http://s/a"));
}

} // namespace
} // namespace vortaxel::crawl
