#include "crawl/crawl_engine.h"
#include "fake_crawl_host.h"
#include "reference_crawl.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using testing::FakeCrawlHost;
using testing::ReferenceCrawl;
using Snapshots = std::vector<std::string>;

const std::vector<std::string> kStartTexts = {
    "http://s.test/",  "http://s.test/",     "http://s.test", "HTTP://S.TEST/", "",
    " http://s.test/", "http://s.test/sub/", "http://o.test/"};

/// A random site: pages with links of every kind the rules treat differently, some to pages
/// that do not exist.
std::map<std::string, std::string> MakeSite(std::mt19937& rng) {
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
    std::map<std::string, std::string> site;
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
    explicit Script(unsigned seed) : rng(seed) {}

    void Act(FakeCrawlHost& host) {
        if (rng() % 8 == 0) {
            host.urlText = kStartTexts[rng() % kStartTexts.size()];
        }
        if (rng() % 12 == 0) {
            host.checkValue = static_cast<CheckValue>(rng() % 3);
        }
    }
    bool Stop() { return rng() % 60 == 0; }

    std::mt19937 rng;
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

void Prepare(FakeCrawlHost& host, const std::map<std::string, std::string>& site) {
    host.pages = site;
    host.urlText = "http://s.test/";
    host.checkValue = CheckValue::Ticked;
    host.calls.clear();
    host.fetched.clear();
    host.yields = 0;
}

TEST(Differential, EngineMatchesThePlainReadingAfterEveryTurn) {
    FakeCrawlHost engineHost;
    CrawlEngine engine(engineHost);
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        std::mt19937 siteRng(seed);
        const auto site = MakeSite(siteRng);

        Prepare(engineHost, site);
        Script engineScript(seed);
        Snapshots engineTurns;
        engineHost.onYield = [&](int) {
            engineTurns.push_back(Snapshot(engine));
            engineScript.Act(engineHost);
            if (engineScript.Stop()) {
                engine.cmdstop_Click();
            }
        };
        engineHost.onFetch = [&](std::size_t) { engineScript.Act(engineHost); };
        engine.cmdstart_Click();
        engineTurns.push_back(Snapshot(engine));

        FakeCrawlHost referenceHost;
        Prepare(referenceHost, site);
        ReferenceCrawl reference(referenceHost);
        Script referenceScript(seed);
        Snapshots referenceTurns;
        referenceHost.onYield = [&](int) {
            referenceTurns.push_back(Snapshot(reference.list1, reference.list2, reference.selected));
            referenceScript.Act(referenceHost);
            if (referenceScript.Stop()) {
                reference.cmdstop_Click();
            }
        };
        referenceHost.onFetch = [&](std::size_t) { referenceScript.Act(referenceHost); };
        reference.cmdstart_Click();
        referenceTurns.push_back(Snapshot(reference.list1, reference.list2, reference.selected));

        for (std::size_t i = 0; i < std::min(engineTurns.size(), referenceTurns.size()); ++i) {
            ASSERT_EQ(engineTurns[i], referenceTurns[i]) << "seed " << seed << ", turn " << i;
        }
        ASSERT_EQ(engineHost.calls, referenceHost.calls) << "seed " << seed;
    }
}

} // namespace
} // namespace vortaxel::crawl
