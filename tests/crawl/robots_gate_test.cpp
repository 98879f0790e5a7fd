#include "crawl/crawl_engine.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using Texts = std::vector<std::string>;

struct Reply {
    long status = 200;
    std::string body;
};

/// A site in memory that logs every request, robots.txt fetches marked as such.
class SiteFetcher final : public PageFetcher {
public:
    std::map<std::string, Reply> site;
    Texts requests;
    std::map<std::string, std::chrono::milliseconds> hostDelays;

    FetchedPage Fetch(const std::string& url) override { return Answer(url, url); }
    FetchedPage FetchWhole(const std::string& url) override { return Answer(url, "whole " + url); }
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay) override {
        hostDelays[std::string(url)] = delay;
    }

private:
    FetchedPage Answer(const std::string& url, std::string logged) {
        requests.push_back(std::move(logged));
        const auto found = site.find(url);
        if (found == site.end()) {
            return FetchedPage::Failure("refused");
        }
        FetchedPage page =
            found->second.status < 400 ? FetchedPage::Success(found->second.body) : FetchedPage::Failure("HTTP error");
        page.status = found->second.status;
        page.contentType = "text/html";
        return page;
    }
};

/// Records what the run tells, and checks at every turn that fetching ahead is never offered an
/// address the gate has not cleared.
class Recorder final : public CrawlListener {
public:
    CrawlEngine* engine = nullptr;
    Texts blocked;
    Texts offeredAhead;
    void PageBlocked(std::string_view url) override { blocked.emplace_back(url); }
    void Yield() override {
        std::vector<std::string> next;
        engine->NextVisits(8, next);
        offeredAhead.insert(offeredAhead.end(), next.begin(), next.end());
    }
};

struct Case {
    const char* name;
    RuleSet rules;
    bool obey;
    std::optional<Reply> robots; // none: the host does not answer for it
    Texts found;
    Texts blocked;
    Texts requests;
};

TEST(RobotsGate, DisallowedPagesAreNeitherFetchedNorListed) {
    const std::string robots = "http://s/robots.txt";
    const Reply disallowB{200, "User-agent: *\nDisallow: /b\n"};
    const Texts all = {"http://s/", "http://s/a.html", "http://s/b.html"};
    const Texts pagesOnly = {"http://s/", "http://s/a.html", "http://s/b.html"};
    const Texts withoutB = {"whole " + robots, "http://s/", "http://s/a.html"};
    const Case cases[] = {
        {"classic, off: no robots.txt request", RuleSet::Classic, false, disallowB, all, {}, pagesOnly},
        {"browser, off", RuleSet::Browser, false, disallowB, all, {}, pagesOnly},
        {"classic, disallowed path", RuleSet::Classic, true, disallowB, {all[0], all[1]}, {all[2]}, withoutB},
        {"browser, disallowed path", RuleSet::Browser, true, disallowB, {all[0], all[1]}, {all[2]}, withoutB},
        {"unreachable robots.txt: nothing of the host",
         RuleSet::Browser,
         true,
         std::nullopt,
         {},
         {all[0]},
         {"whole " + robots}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SiteFetcher fetcher;
        // b.html is linked twice so that a repeat of a blocked address is reported only once.
        fetcher.site = {{"http://s/", {200, R"(<a href="a.html"></a><a href="b.html"></a>)"}},
                        {"http://s/a.html", {200, R"(<a href="b.html"></a>)"}},
                        {"http://s/b.html", {200, ""}}};
        if (c.robots) {
            fetcher.site[robots] = *c.robots;
        }
        Recorder recorder;
        CrawlEngine engine(fetcher, recorder);
        recorder.engine = &engine;
        engine.SetObeyRobots(c.obey);
        engine.Run("http://s/", c.rules);

        Texts found;
        for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
            found.emplace_back(engine.List2().Text(i));
        }
        EXPECT_EQ(found, c.found);
        EXPECT_EQ(recorder.blocked, c.blocked);
        EXPECT_EQ(fetcher.requests, c.requests);
        if (c.obey) {
            for (const std::string& url : recorder.offeredAhead) {
                EXPECT_EQ(std::ranges::count(c.found, url), 1) << url << " offered for fetching ahead";
            }
        }
    }
}

TEST(RobotsGate, CrawlDelayReachesTheFetcherCapped) {
    const std::pair<const char*, std::chrono::milliseconds> cases[] = {
        {"Crawl-delay: 1.5", std::chrono::milliseconds(1500)},
        {"Crawl-delay: 86400", std::chrono::milliseconds(120000)},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        SiteFetcher fetcher;
        fetcher.site = {{"http://s/", {200, ""}},
                        {"http://s/robots.txt", {200, std::string("User-agent: *\n") + line}}};
        Recorder recorder;
        CrawlEngine engine(fetcher, recorder);
        recorder.engine = &engine;
        engine.SetObeyRobots(true);
        engine.Run("http://s/", RuleSet::Classic);
        EXPECT_EQ(fetcher.hostDelays,
                  (std::map<std::string, std::chrono::milliseconds>{{"http://s/robots.txt", expected}}));
    }
}

} // namespace
} // namespace vortaxel::crawl
