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
    /// A redirect left to the crawl, as a fetcher that follows none gives it.
    std::string redirectTo = {};
    /// The body failed after the headers came.
    bool broken = false;
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
        const Reply& reply = found->second;
        FetchedPage page =
            reply.status < 300 && !reply.broken ? FetchedPage::Success(reply.body) : FetchedPage::Failure("HTTP error");
        page.status = reply.status;
        page.redirectTo = reply.redirectTo;
        page.finalUrl = url;
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

Texts FoundOf(const CrawlEngine& engine) {
    Texts found;
    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        found.emplace_back(engine.List2().Text(i));
    }
    return found;
}

// A robots.txt that began to come and then failed may have said "Disallow: /": it forbids everything.
TEST(RobotsGate, RobotsFileThatFailsAfterItsHeadersForbidsAll) {
    for (const RuleSet rules : {RuleSet::Classic, RuleSet::Browser}) {
        SiteFetcher fetcher;
        fetcher.site = {{"http://s/", {200, R"(<a href="a.html"></a>)"}},
                        {"http://s/a.html", {200, ""}},
                        {"http://s/robots.txt", {200, "User-agent: *\nAllow: /\n", "", true}}};
        Recorder recorder;
        CrawlEngine engine(fetcher, recorder);
        recorder.engine = &engine;
        engine.SetObeyRobots(true);
        engine.Run("http://s/", rules);
        EXPECT_EQ(FoundOf(engine), Texts{});
        EXPECT_EQ(fetcher.requests, Texts{"whole http://s/robots.txt"});
    }
}

struct RedirectCase {
    const char* name;
    std::string target;
    Texts requests;
};

// Each hop of a redirect is asked of robots.txt before it is requested, the target host's own file
// included; a forbidden hop ends the page there.
TEST(RobotsGate, RedirectsAreFollowedOnlyWhereRobotsAllow) {
    const RedirectCase cases[] = {
        {"into a disallowed path", "http://s/private/p.html", {"whole http://s/robots.txt", "http://s/"}},
        {"to a host that disallows it",
         "http://t/p.html",
         {"whole http://s/robots.txt", "http://s/", "whole http://t/robots.txt"}},
        {"to an allowed page on another port",
         "http://s:8080/p.html",
         {"whole http://s/robots.txt", "http://s/", "whole http://s:8080/robots.txt", "http://s:8080/p.html"}},
    };
    for (const RedirectCase& c : cases) {
        SCOPED_TRACE(c.name);
        SiteFetcher fetcher;
        fetcher.site = {{"http://s/", {301, "", c.target}},
                        {"http://s/robots.txt", {200, "User-agent: *\nDisallow: /private/\n"}},
                        {"http://t/robots.txt", {200, "User-agent: *\nDisallow: /\n"}},
                        {"http://s:8080/robots.txt", {404, ""}},
                        {c.target, {200, "<p>landed</p>"}}};
        Recorder recorder;
        CrawlEngine engine(fetcher, recorder);
        recorder.engine = &engine;
        engine.SetObeyRobots(true);
        engine.Run("http://s/", RuleSet::Classic);
        EXPECT_EQ(fetcher.requests, c.requests);
    }
}

TEST(RobotsGate, RedirectChainsEndAfterTheHopLimit) {
    SiteFetcher fetcher;
    fetcher.site = {{"http://s/robots.txt", {404, ""}}};
    for (int i = 0; i < 20; ++i) {
        fetcher.site["http://s/" + std::to_string(i)] = {302, "", "http://s/" + std::to_string(i + 1)};
    }
    Recorder recorder;
    CrawlEngine engine(fetcher, recorder);
    recorder.engine = &engine;
    engine.SetObeyRobots(true);
    engine.Run("http://s/0", RuleSet::Classic);
    // robots.txt, the page and ten hops.
    EXPECT_EQ(fetcher.requests.size(), 1 + 1 + static_cast<std::size_t>(kMaxRedirectHops));
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

// A crawl going as another crawler obeys the group robots.txt gives that crawler, and "*" without one.
TEST(RobotsGate, TheGroupOfTheCrawlsAgentTokenDecidesFallingBackToTheStarGroup) {
    const std::string robots = "User-agent: *\nDisallow: /star\n\n"
                               "User-agent: Googlebot\nDisallow: /google\n\n"
                               "User-agent: Vortaxel\nDisallow: /own\n";
    const struct {
        const char* agent;
        Texts found;
    } cases[] = {
        {"", {"http://s/", "http://s/google", "http://s/star"}},
        {"Googlebot", {"http://s/", "http://s/own", "http://s/star"}},
        {"googlebot", {"http://s/", "http://s/own", "http://s/star"}},
        {"bingbot", {"http://s/", "http://s/google", "http://s/own"}},
        {"*", {"http://s/", "http://s/google", "http://s/own"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.agent);
        SiteFetcher fetcher;
        fetcher.site = {{"http://s/", {200, R"(<a href="own"></a><a href="google"></a><a href="star"></a>)"}},
                        {"http://s/own", {200, ""}},
                        {"http://s/google", {200, ""}},
                        {"http://s/star", {200, ""}},
                        {"http://s/robots.txt", {200, robots}}};
        Recorder recorder;
        CrawlEngine engine(fetcher, recorder);
        recorder.engine = &engine;
        RunLimits limits;
        limits.controls.robotsAgent = c.agent;
        engine.SetLimits(limits);
        engine.SetObeyRobots(true);
        engine.Run("http://s/", RuleSet::Browser);
        Texts found = FoundOf(engine);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, c.found);
    }
}

} // namespace
} // namespace vortaxel::crawl
