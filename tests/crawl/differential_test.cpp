#include "crawl/crawl_engine.h"
#include "reference_crawl.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using testing::ReferenceCrawl;
using testing::RunRecorder;
using testing::Site;
using testing::SiteFetcher;
using testing::Texts;

const std::vector<std::string> kStartTexts = {
    "http://s.test/",  "http://s.test/",     "http://s.test", "HTTP://S.TEST/", "",
    " http://s.test/", "http://s.test/sub/", "http://o.test/"};

/// A random site: pages with links of every kind the rules treat differently, some to pages
/// that do not exist.
Site MakeSite(std::mt19937& rng) {
    const int pages = 2 + static_cast<int>(rng() % 30);
    const std::vector<std::string> shapes = {
        R"(href="p#.html")",
        R"(href="/p#.html")",
        R"(href='http://s.test/p#.html')",
        R"(HREF="HTTPS://s.test/p#")",
        R"(href="sub/p#.html")",
        R"(window.open('p#.html'))",
        R"(window.open('http://o.test/p#.html'))",
        R"(href="http://o.test/p#?u=http://s.test/")",
        R"(href="mailto:p#@s.test")",
        R"(href="doc#.PDF")",
        R"(href="p#.html?v=1")",
        "href=\"javascript:go(#)\"",
        R"(href="p#.html#top")",
        R"(href="")",
    };
    Site site;
    for (int i = 0; i < pages; ++i) {
        std::string body;
        for (int links = static_cast<int>(rng() % 12); links > 0; --links) {
            std::string link = shapes[rng() % shapes.size()];
            if (const auto mark = link.find('#'); mark != std::string::npos) {
                link.replace(mark, 1, std::to_string(rng() % (pages + 2)));
            }
            body += link + " ";
        }
        if (rng() % 10 == 0) {
            body += R"(href="unclosed)";
        }
        site[i == 0 ? "http://s.test/" : "http://s.test/p" + std::to_string(i) + ".html"] = body;
        site["http://s.test/sub/p" + std::to_string(i) + ".html"] = R"(href="p1.html")";
    }
    return site;
}

/// The user's actions during a run, drawn from a seeded generator: both runs draw in the same
/// order as long as they make the same requests and turns.
struct Script {
    unsigned seed;
    std::vector<std::string> startTexts;
    unsigned editOdds;     // one edit of the URL field in this many chances
    unsigned stopOdds = 0; // one stop in this many yields; 0 never
    unsigned every = 1;    // compare the lists at every this many yields
};

/// What a run did: the found list at every compared turn and at the end, every request, and the turns.
struct Outcome {
    Texts turns;
    Texts requests;
    int yields = 0;
};

std::string Joined(const std::vector<std::string>& found) {
    std::string text;
    for (const std::string& url : found) {
        text += url + "\n";
    }
    return text;
}

Texts Listed(const CrawlEngine& engine) {
    Texts texts;
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        texts.emplace_back(engine.List2().Text(i));
    }
    return texts;
}

/// One crawler over `site` under `script`. `edit` gives it a new URL field, `stop` stops it, `run`
/// runs it from the field, `found` lists its found list.
struct Crawler {
    std::function<void(const std::string&)> edit;
    std::function<void()> stop;
    std::function<void(const std::string&)> run;
    std::function<Texts()> found;
};

Outcome Drive(const Crawler& crawler, SiteFetcher& fetcher, RunRecorder& listener, const Site& site,
              const Script& script) {
    fetcher.pages = site;
    fetcher.requests.clear();
    listener.yields = 0;
    std::mt19937 rng(script.seed);
    Outcome outcome;
    const auto act = [&] {
        if (rng() % script.editOdds == 0) {
            crawler.edit(script.startTexts[rng() % script.startTexts.size()]);
        }
    };
    listener.onYield = [&](int n) {
        if (n % script.every == 0) {
            outcome.turns.push_back(Joined(crawler.found()));
        }
        act();
        if (script.stopOdds != 0 && rng() % script.stopOdds == 0) {
            crawler.stop();
        }
    };
    fetcher.onFetch = [&](std::size_t) { act(); };
    crawler.run("http://s.test/");
    outcome.turns.push_back(Joined(crawler.found()));
    outcome.requests = fetcher.requests;
    outcome.yields = listener.yields;
    return outcome;
}

/// Runs the engine and the plain reading side by side and requires the same found list at every
/// compared turn, the same requests and as many turns.
void ExpectSameRuns(CrawlEngine& engine, SiteFetcher& fetcher, RunRecorder& listener, const Site& site,
                    const Script& script) {
    const Crawler fastCrawler{
        [&](const std::string& text) { engine.SetStartText(text); },
        [&] { engine.Stop(); },
        [&](const std::string& text) { engine.Run(text, RuleSet::Classic); },
        [&] { return Listed(engine); },
    };
    const Outcome fast = Drive(fastCrawler, fetcher, listener, site, script);

    SiteFetcher plainFetcher;
    RunRecorder plainListener;
    std::string field;
    ReferenceCrawl reference(plainFetcher, plainListener, field);
    const Crawler plainCrawler{
        [&](const std::string& text) { field = text; },
        [&] { reference.Stop(); },
        [&](const std::string& text) {
            field = text;
            reference.Run();
        },
        [&] { return reference.list2; },
    };
    const Outcome plain = Drive(plainCrawler, plainFetcher, plainListener, site, script);
    for (std::size_t i = 0; i < std::min(fast.turns.size(), plain.turns.size()); ++i) {
        ASSERT_EQ(fast.turns[i], plain.turns[i]) << "seed " << script.seed << ", turn " << i * script.every;
    }
    ASSERT_EQ(fast.requests, plain.requests) << "seed " << script.seed;
    ASSERT_EQ(fast.yields, plain.yields) << "seed " << script.seed;
}

TEST(Differential, EngineMatchesThePlainReadingAfterEveryTurn) {
    SiteFetcher fetcher;
    RunRecorder listener;
    CrawlEngine engine(fetcher, listener);
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        std::mt19937 siteRng(seed);
        ExpectSameRuns(engine, fetcher, listener, MakeSite(siteRng), Script{seed, kStartTexts, 8, 60});
        if (HasFatalFailure()) {
            return;
        }
    }
}

// Thousands of queued pages, so the visited part of the queue is dropped while field edits
// force full passes and narrow the site in between.
TEST(Differential, LongQueuesMatchThePlainReading) {
    Site site;
    std::string start;
    for (int i = 0; i < 6000; ++i) {
        start += "href=\"w" + std::to_string(i) + ".html\" ";
        if (i % 3 == 0) {
            site["http://s.test/w" + std::to_string(i) + ".html"] = "href='w" + std::to_string(i + 7000) + ".html'";
        }
    }
    site["http://s.test/"] = start;
    const std::vector<std::string> edits = {"http://s.test/", "HTTP://S.TEST/", "http://s.test", "",
                                            "http://s.test/w1"};
    SiteFetcher fetcher;
    RunRecorder listener;
    CrawlEngine engine(fetcher, listener);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        ExpectSameRuns(engine, fetcher, listener, site, Script{seed, edits, 900, 0, 97});
    }
}

} // namespace
} // namespace vortaxel::crawl
