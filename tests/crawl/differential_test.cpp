#include "crawl/crawl_engine.h"
#include "fake_crawl_host.h"
#include "reference_crawl.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using testing::CheckValue;
using testing::EngineWindow;
using testing::FakeCrawlHost;
using testing::ReferenceCrawl;
using Snapshots = std::vector<std::string>;
using Site = std::map<std::string, std::string>;

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
/// order as long as they make the same host calls.
struct Script {
    unsigned seed;
    std::vector<std::string> startTexts;
    unsigned editOdds;     // one edit of the URL field in this many chances
    unsigned stopOdds = 0; // one stop in this many yields; 0 never
    unsigned every = 1;    // compare the lists at every this many yields

    void Act(std::mt19937& rng, FakeCrawlHost& host) const {
        if (rng() % editOdds == 0) {
            host.urlText = startTexts[rng() % startTexts.size()];
        }
        if (rng() % 12 == 0) {
            host.checkValue = static_cast<CheckValue>(rng() % 3);
        }
    }
};

std::string Snapshot(const std::vector<std::string>& queue, const std::vector<std::string>& found,
                     const std::vector<bool>& selected) {
    std::string text;
    for (const std::string& url : queue) {
        text += url + "\n";
    }
    text += "--\n";
    for (std::size_t i = 0; i < found.size(); ++i) {
        text += (selected[i] ? "* " : "  ") + found[i] + "\n";
    }
    return text;
}

std::string Snapshot(const CrawlEngine& engine) {
    std::vector<std::string> queue;
    std::vector<std::string> found;
    std::vector<bool> selected;
    for (std::size_t i = 0; i < engine.QueueCount(); ++i) {
        queue.emplace_back(engine.QueueText(i));
    }
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        found.emplace_back(engine.List2().Text(i));
        selected.push_back(engine.List2().IsSelected(i));
    }
    return Snapshot(queue, found, selected);
}

struct Run {
    Snapshots turns;
    std::vector<std::string> calls;
};

/// Runs one crawler over `site` under `script`; `shoot` lists its queue and found list.
template <typename Crawler, typename Shoot>
Run Drive(Crawler& crawler, FakeCrawlHost& host, const Site& site, const Script& script, Shoot shoot) {
    host.pages = site;
    host.urlText = "http://s.test/";
    host.checkValue = CheckValue::Ticked;
    host.calls.clear();
    host.yields = 0;
    std::mt19937 rng(script.seed);
    Run run;
    host.onYield = [&](int n) {
        if (n % script.every == 0) {
            run.turns.push_back(shoot());
        }
        script.Act(rng, host);
        if (script.stopOdds != 0 && rng() % script.stopOdds == 0) {
            crawler.cmdstop_Click();
        }
    };
    host.onFetch = [&](std::size_t) { script.Act(rng, host); };
    crawler.cmdstart_Click();
    run.turns.push_back(shoot());
    // Reads of the URL field are left out: the engine is told of edits rather than reading the field.
    std::erase(host.calls, "url?");
    run.calls = std::move(host.calls);
    return run;
}

/// Runs the engine and the plain reading side by side and requires the same lists at every
/// compared turn and the same host calls throughout.
void ExpectSameRuns(EngineWindow& window, FakeCrawlHost& engineHost, const Site& site, const Script& script) {
    const Run fast = Drive(window, engineHost, site, script, [&] { return Snapshot(window.Engine()); });
    FakeCrawlHost referenceHost;
    ReferenceCrawl reference(referenceHost);
    const Run plain = Drive(reference, referenceHost, site, script,
                            [&] { return Snapshot(reference.list1, reference.list2, reference.selected); });
    for (std::size_t i = 0; i < std::min(fast.turns.size(), plain.turns.size()); ++i) {
        ASSERT_EQ(fast.turns[i], plain.turns[i]) << "seed " << script.seed << ", turn " << i * script.every;
    }
    ASSERT_EQ(fast.calls, plain.calls) << "seed " << script.seed;
}

TEST(Differential, EngineMatchesThePlainReadingAfterEveryTurn) {
    FakeCrawlHost host;
    EngineWindow engine(host);
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        std::mt19937 siteRng(seed);
        ExpectSameRuns(engine, host, MakeSite(siteRng), Script{seed, kStartTexts, 8, 60});
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
    FakeCrawlHost host;
    EngineWindow engine(host);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        ExpectSameRuns(engine, host, site, Script{seed, edits, 900, 0, 97});
    }
}

} // namespace
} // namespace vortaxel::crawl
