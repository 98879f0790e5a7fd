// What a user gets back from a crawl file through the session both front ends use: a finished crawl refused
// for resuming, a stopped one carried on where it stopped, a kept crawl replayed without the network as its
// runs met it, and a copy that is a crawl file of its own.

#include "app/crawl_session.h"
#include "app/run_controller.h"
#include "crawl/crawl_listener.h"
#include "crawl/page_fetcher.h"
#include "tests/support/scratch_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using crawl::RuleSet;
using Access = app::CrawlSession::Access;

constexpr const char* kStart = "http://tree.test/";
constexpr std::size_t kPages = 40;

/// A site whose page i links to pages 2i+1 and 2i+2, where every seventh page is missing.
class TreeSite final : public crawl::PageFetcher {
public:
    crawl::FetchedPage Fetch(const std::string& url) override {
        ++fetches[url];
        const std::string path = url.substr(std::string(kStart).size());
        const std::size_t i = path.empty() ? 0 : std::stoul(path.substr(1));
        if (i >= kPages || (i % 7 == 6)) {
            crawl::FetchedPage missing = crawl::FetchedPage::Failure("HTTP status 404");
            missing.status = 404;
            return missing;
        }
        std::string body = "<html><body>";
        for (std::size_t child : {2 * i + 1, 2 * i + 2}) {
            body += "<a href=\"p" + std::to_string(child) + "\">x</a>\n";
        }
        crawl::FetchedPage page = crawl::FetchedPage::Success(body + "</body></html>");
        page.status = 200;
        page.contentType = "text/html";
        return page;
    }

    std::map<std::string, int> fetches;
};

/// What a listener is told, one line an event, as the front ends show it.
class Transcript final : public crawl::CrawlListener {
public:
    void PageFound(std::size_t index, std::string_view url) override {
        lines.push_back("found " + std::to_string(index) + " " + std::string(url));
    }
    void PageFetched(const std::string& url, const crawl::FetchedPage& page) override {
        lines.push_back("fetched " + url + (page.ok ? " ok" : " " + page.error));
    }
    void PageBlocked(std::string_view url) override { lines.push_back("blocked " + std::string(url)); }

    std::vector<std::string> lines;
};

/// Asks the run to stop once it has fetched `fetches` pages.
class StopAfter final : public crawl::CrawlListener {
public:
    StopAfter(app::RunController& run, std::size_t fetches) : run_(run), left_(fetches) {}
    void PageFetched(const std::string& /*url*/, const crawl::FetchedPage& /*page*/) override {
        if (left_ != 0 && --left_ == 0) {
            run_.Stop();
        }
    }

private:
    app::RunController& run_;
    std::size_t left_;
};

store::CrawlSettings SettingsFor(RuleSet rules) {
    store::CrawlSettings settings;
    settings.startText = kStart;
    settings.rules = rules;
    settings.maxMemory = std::size_t{1} << 30;
    return settings;
}

std::vector<std::string> Listed(const app::RunController& run) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < run.Engine().List2().Count(); ++i) {
        found.emplace_back(run.Engine().List2().Text(i));
    }
    return found;
}

std::vector<std::string> KeptList(app::CrawlSession& session) {
    std::vector<std::string> found;
    EXPECT_EQ(session.ForEachFound([&found](std::string_view url) { found.emplace_back(url); }), "");
    return found;
}

/// Crawls `site` into a new file at `path`; with `stopAfter`, stops once as many pages were fetched.
/// Returns what the run told its listener.
std::vector<std::string> CrawlInto(const std::string& path, RuleSet rules, TreeSite& site, std::size_t stopAfter = 0,
                                   std::vector<std::string>* listed = nullptr) {
    app::CrawlSession session;
    EXPECT_EQ(session.Replace(path, SettingsFor(rules)), "");
    Transcript live;
    app::RunSetup setup;
    setup.rules = rules;
    app::RunController run(setup, live, site);
    StopAfter stop(run, stopAfter);
    run.AddListener(stop);
    session.Keep(run);
    run.Run(kStart);
    if (listed != nullptr) {
        *listed = Listed(run);
    }
    session.Close();
    return live.lines;
}

std::vector<std::string> Uninterrupted(RuleSet rules) {
    TreeSite site;
    app::RunSetup setup;
    setup.rules = rules;
    crawl::CrawlListener quiet;
    app::RunController run(setup, quiet, site);
    run.Run(kStart);
    return Listed(run);
}

class CrawlSessionTest : public ::testing::TestWithParam<RuleSet> {
protected:
    ScratchFolder folder_{"session"};
    std::string Path(const char* name) const { return (folder_.Path() / name).string(); }
};

TEST_P(CrawlSessionTest, RefusesToResumeAFinishedCrawlAndNamesItsFile) {
    TreeSite site;
    const std::string path = Path("done.vxcrawl");
    CrawlInto(path, GetParam(), site);
    app::CrawlSession session;
    ASSERT_EQ(session.Open(path, Access::Resume), "");
    EXPECT_TRUE(session.Finished());
    EXPECT_EQ(session.RefuseFinished(), "the crawl kept in " + path + " is finished: there is nothing to resume");
    EXPECT_EQ(session.RefuseEmpty(), "");
}

TEST_P(CrawlSessionTest, ResumeCarriesAStoppedCrawlOnWhereItStopped) {
    const std::vector<std::string> expected = Uninterrupted(GetParam());
    ASSERT_GT(expected.size(), 20u);
    TreeSite site;
    const std::string path = Path("stopped.vxcrawl");
    std::vector<std::string> before;
    CrawlInto(path, GetParam(), site, 8, &before);
    ASSERT_LT(before.size(), expected.size());
    const std::map<std::string, int> fetchedBefore = site.fetches;

    app::CrawlSession session;
    ASSERT_EQ(session.Open(path, Access::Read), "");
    EXPECT_FALSE(session.Finished());
    EXPECT_EQ(session.RefuseFinished(), "");
    ASSERT_EQ(session.Reopen(), "");
    ASSERT_EQ(session.Start(session.Store().Settings()), "");
    crawl::CrawlListener quiet;
    app::RunSetup setup;
    setup.rules = GetParam();
    app::RunController run(setup, quiet, site);
    session.Keep(run);
    run.Run(kStart, true);
    EXPECT_EQ(Listed(run), expected);
    EXPECT_EQ(KeptList(session), expected);
    // Carried on, not started again: no page the stopped run had fetched is fetched a second time.
    for (const auto& [url, count] : fetchedBefore) {
        EXPECT_EQ(site.fetches[url], count) << url;
    }
    session.Close();
    ASSERT_EQ(session.Open(path, Access::Resume), "");
    EXPECT_NE(session.RefuseFinished(), "");
}

TEST_P(CrawlSessionTest, OfflineReplayTellsWhatTheLiveRunTold) {
    TreeSite site;
    const std::string path = Path("replay.vxcrawl");
    std::vector<std::string> listed;
    const std::vector<std::string> live = CrawlInto(path, GetParam(), site, 0, &listed);
    ASSERT_FALSE(live.empty());
    site.fetches.clear();

    app::CrawlSession session;
    ASSERT_EQ(session.Open(path, Access::Read), "");
    EXPECT_EQ(session.RefuseEmpty(), "");
    Transcript replayed;
    EXPECT_EQ(session.Replay(replayed), "");
    EXPECT_EQ(replayed.lines, live);
    EXPECT_EQ(KeptList(session), listed);
    EXPECT_TRUE(site.fetches.empty());
}

TEST_P(CrawlSessionTest, ACopyIsACrawlFileOfItsOwnThatResumes) {
    const std::vector<std::string> expected = Uninterrupted(GetParam());
    TreeSite site;
    const std::string path = Path("original.vxcrawl");
    const std::string copyPath = Path("copy.vxcrawl");
    std::vector<std::string> before;
    const std::vector<std::string> live = CrawlInto(path, GetParam(), site, 8, &before);
    {
        app::CrawlSession session;
        ASSERT_EQ(session.Open(path, Access::Read), "");
        ASSERT_EQ(session.CopyTo(copyPath), "");
        EXPECT_FALSE(session.Holds(copyPath));
    }
    app::CrawlSession copy;
    ASSERT_EQ(copy.Open(copyPath, Access::Read), "");
    EXPECT_TRUE(copy.Holds(copyPath));
    Transcript replayed;
    EXPECT_EQ(copy.Replay(replayed), "");
    EXPECT_EQ(replayed.lines, live);
    EXPECT_EQ(copy.Store().Settings(), SettingsFor(GetParam()));
    // The copy carries on by itself, and the original stays where it stopped.
    ASSERT_EQ(copy.Reopen(), "");
    ASSERT_EQ(copy.Start(copy.Store().Settings()), "");
    crawl::CrawlListener quiet;
    app::RunSetup setup;
    setup.rules = GetParam();
    app::RunController run(setup, quiet, site);
    copy.Keep(run);
    run.Run(kStart, true);
    EXPECT_EQ(KeptList(copy), expected);
    app::CrawlSession original;
    ASSERT_EQ(original.Open(path, Access::Read), "");
    EXPECT_EQ(KeptList(original), before);
}

INSTANTIATE_TEST_SUITE_P(Rules, CrawlSessionTest, ::testing::Values(RuleSet::Classic, RuleSet::Browser),
                         [](const ::testing::TestParamInfo<RuleSet>& info) {
                             return info.param == RuleSet::Classic ? "Classic" : "Browser";
                         });

TEST(CrawlSession, ReplaceKeepsACrawlThatARunningOneHolds) {
    ScratchFolder folder("session-held");
    const std::string path = (folder.Path() / "kept.vxcrawl").string();
    app::CrawlSession running;
    ASSERT_EQ(running.Replace(path, SettingsFor(RuleSet::Classic)), "");
    app::CrawlSession second;
    const std::string refused = second.Replace(path, SettingsFor(RuleSet::Browser));
    EXPECT_NE(refused.find("a running crawl holds it"), std::string::npos) << refused;
    EXPECT_FALSE(second.IsOpen());
    running.Close();
    // Once let go, the crawl kept there is replaced by a new one with the new settings.
    ASSERT_EQ(second.Replace(path, SettingsFor(RuleSet::Browser)), "");
    EXPECT_EQ(second.Store().Settings().rules, RuleSet::Browser);
    EXPECT_EQ(second.Store().Progress().turns, 0);
}

TEST(CrawlSession, AFailedOpenKeepsTheCrawlHeldAndAnEmptyCrawlIsNotReplayed) {
    ScratchFolder folder("session-open");
    const std::string path = (folder.Path() / "kept.vxcrawl").string();
    const std::string junk = (folder.Path() / "notes.txt").string();
    std::ofstream(junk) << "not a crawl\n";
    app::CrawlSession session;
    ASSERT_EQ(session.Replace(path, SettingsFor(RuleSet::Classic)), "");
    session.Close();
    ASSERT_EQ(session.Open(path, Access::Read), "");
    int letGo = 0;
    session.BeforeLettingGo([&letGo] { ++letGo; });
    EXPECT_NE(session.Open(junk, Access::Read), "");
    EXPECT_TRUE(session.Holds(path));
    EXPECT_EQ(letGo, 0);
    EXPECT_EQ(session.RefuseEmpty(), "the crawl kept in " + path +
                                         " holds no finished turn: it ended before its first page was kept "
                                         "(--resume carries it on)");
    session.Close();
    EXPECT_FALSE(session.IsOpen());
    EXPECT_EQ(letGo, 1);
}

} // namespace
} // namespace vortaxel::test
