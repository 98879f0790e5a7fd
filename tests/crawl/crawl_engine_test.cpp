#include "crawl/crawl_engine.h"
#include "crawl/start_requests.h"
#include "crawl/start_text.h"
#include "recording_crawl.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using testing::RunRecorder;
using testing::SiteFetcher;
using testing::Texts;

Texts Listed(const CrawlEngine& engine) {
    Texts texts;
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        texts.emplace_back(engine.List2().Text(i));
    }
    return texts;
}

Texts Left(const CrawlEngine& engine) {
    Texts texts;
    engine.NextVisits(100, texts);
    return texts;
}

/// A start page linking to three pages, each of which links back and on to one more. Starts go as a
/// user gives them, with `field` as the URL field.
struct Fixture : ::testing::Test {
    Fixture() {
        fetcher.pages = {
            {"http://s/", R"(href="a.html" href="b.html" href="c.html")"},
            {"http://s/a.html", R"(href="/" href="d.html")"},
            {"http://s/b.html", R"(href="/" href="e.html")"},
            {"http://s/c.html", R"(href="/")"},
            {"http://s/d.html", ""},
            {"http://s/e.html", ""},
        };
    }

    /// The field's text readied and written back, then a run from it; nothing when it is refused.
    void StartFromField() {
        starts.Start([this] {
            if (PrepareStartText(field)) {
                engine.Run(field, RuleSet::Classic);
            }
        });
    }

    std::string field = "http://s/";
    SiteFetcher fetcher;
    RunRecorder listener;
    CrawlEngine engine{fetcher, listener};
    StartRequests starts{engine};
};

TEST_F(Fixture, RefusedStartMakesNoRequestAndKeepsTheList) {
    StartFromField();
    const Texts before = Listed(engine);
    for (const std::string typed : {"", "http://"}) {
        field = typed;
        fetcher.requests.clear();
        StartFromField();
        EXPECT_TRUE(fetcher.requests.empty()) << typed;
        EXPECT_EQ(Listed(engine), before) << typed;
        EXPECT_EQ(field, typed);
    }
    EXPECT_EQ(listener.started, 1);
}

TEST_F(Fixture, TheStartUrlIsOnlyGivenAClosingSlash) {
    struct Row {
        std::string typed;
        std::string normalised;
    };
    const Row rows[] = {
        {"http://s", "http://s/"},   {"HTTP://", "HTTP://"},          {"http://s/page.html", "http://s/page.html/"},
        {"http://s ", "http://s /"}, {"file:///etc", "file:///etc/"}, {" http://s", " http://s/"},
    };
    fetcher.pages[" http://s/"] = fetcher.pages["http://s/"];
    for (const Row& row : rows) {
        field = row.typed;
        fetcher.requests.clear();
        StartFromField();
        EXPECT_EQ(field, row.normalised);
        ASSERT_FALSE(fetcher.requests.empty()) << row.typed;
        EXPECT_EQ(fetcher.requests.front(), row.normalised);
        EXPECT_EQ(Listed(engine).front(), row.normalised);
    }
    // A leading blank is in no extracted link, so only the start page is visited.
    EXPECT_EQ(fetcher.requests, (Texts{" http://s/"}));
}

TEST_F(Fixture, EachTurnYieldsOnceAndARepeatIsDroppedUnfetched) {
    fetcher.pages = {{"http://s/", R"(href="a.html" href="a.html")"}, {"http://s/a.html", R"(href="/")"}};
    StartFromField();
    EXPECT_EQ(fetcher.requests, (Texts{"http://s/", "http://s/a.html"}));
    EXPECT_EQ(listener.yields, 4) << "start page, repeat dropped, a.html, start page again dropped";
    EXPECT_EQ(listener.found, (Texts{"http://s/", "http://s/a.html"}));
    EXPECT_EQ(Listed(engine), listener.found);
    EXPECT_TRUE(Left(engine).empty());
    EXPECT_EQ(listener.ended, 1);
}

TEST_F(Fixture, DuplicatesAreFetchedOnceAndCaseCounts) {
    fetcher.pages["http://s/"] = R"(href="a" href="b" href="a" href="A" window.open('http://o/x') href='mailto:m')";
    StartFromField();
    // A link queued twice is visited at its last place in the queue, once.
    EXPECT_EQ(fetcher.requests, (Texts{"http://s/", "http://s/b", "http://s/a", "http://s/A"}));
    EXPECT_EQ(Listed(engine), fetcher.requests);
}

TEST_F(Fixture, StopEndsTheRunAfterTheTurnInProgress) {
    struct Row {
        int yield;         // stop at this yield, or 0
        std::size_t fetch; // stop in this fetch, or 0
        Texts found;
        Texts left; // what the queue left holds beyond its head
    };
    const Row rows[] = {
        {1, 0, {"http://s/"}, {"http://s/b.html", "http://s/c.html"}},
        {0, 2, {"http://s/", "http://s/a.html"}, {"http://s/c.html", "http://s/d.html"}},
        {0,
         6,
         {"http://s/", "http://s/a.html", "http://s/b.html", "http://s/c.html", "http://s/d.html", "http://s/e.html"},
         {}},
    };
    int runs = 0;
    for (const Row& row : rows) {
        listener.onYield = [&](int n) {
            if (n == row.yield) {
                starts.Stop();
            }
        };
        fetcher.onFetch = [&](std::size_t n) {
            if (n == row.fetch) {
                starts.Stop();
            }
        };
        fetcher.requests.clear();
        listener.yields = 0;
        StartFromField();
        ++runs;
        EXPECT_EQ(Listed(engine), row.found);
        EXPECT_EQ(fetcher.requests, row.found);
        EXPECT_EQ(Left(engine), row.left);
        EXPECT_EQ(listener.ended, runs);
        EXPECT_EQ(listener.depth, 0);
    }
}

TEST_F(Fixture, FailedFetchIsListedAndCounted) {
    fetcher.pages.erase("http://s/a.html");
    fetcher.pages["http://s/c.html"] = R"(href="a.html")";
    StartFromField();
    const Texts expected = {"http://s/", "http://s/a.html", "http://s/b.html", "http://s/c.html", "http://s/e.html"};
    EXPECT_EQ(Listed(engine), expected);
    EXPECT_EQ(listener.found, expected);
}

TEST_F(Fixture, PicksMadeDuringARunStayAsTheListGrows) {
    listener.onYield = [&](int n) {
        if (n == 3) {
            engine.List2().SetSelected(1, true);
            engine.List2().SetSelected(0, false);
        }
    };
    StartFromField();
    std::string flags;
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        flags += engine.List2().IsSelected(i) ? '1' : '0';
    }
    EXPECT_EQ(flags, "010000");
}

TEST_F(Fixture, EditsOfTheUrlFieldTakeEffectAtTheirNextUse) {
    fetcher.pages["http://t/"] = "";
    fetcher.pages["http://s/a.html"] = R"(href="x.html" window.open('y.html'))";
    fetcher.onFetch = [&](std::size_t n) {
        if (n == 2) {
            engine.SetStartText("http://t/");
        }
    };
    StartFromField();
    // The queue left from the start page is outside the new site and goes at the next pass.
    EXPECT_EQ(Listed(engine), (Texts{"http://s/", "http://s/a.html", "http://t/x.html", "http://t/y.html"}));
}

TEST_F(Fixture, StartDuringARunRestartsOnceAfterTheRunHasClosed) {
    fetcher.pages["http://t/"] = "";
    listener.onYield = [&](int n) {
        if (n == 2) {
            field = "http://t";
            StartFromField();
            StartFromField();
        }
    };
    StartFromField();
    EXPECT_EQ(fetcher.requests, (Texts{"http://s/", "http://s/a.html", "http://t/"}));
    EXPECT_EQ(Listed(engine), (Texts{"http://t/"}));
    EXPECT_EQ(field, "http://t/");
    EXPECT_EQ(listener.started, 2);
    EXPECT_EQ(listener.ended, 2);
    EXPECT_EQ(listener.deepest, 1) << "a run began inside another";
}

TEST_F(Fixture, StopAfterARestartRequestEndsTheRunWithoutRestarting) {
    fetcher.pages["http://t/"] = "";
    listener.onYield = [&](int n) {
        if (n == 2) {
            field = "http://t/";
            StartFromField();
            starts.Stop();
        }
    };
    StartFromField();
    EXPECT_EQ(fetcher.requests, (Texts{"http://s/", "http://s/a.html"}));
    EXPECT_EQ(listener.started, 1);
    EXPECT_EQ(listener.ended, 1);
}

} // namespace
} // namespace vortaxel::crawl
