// Links a crawl does not follow, checked: each distinct target asked once for its status alone, never
// listed nor followed, and a host that does not answer asked no more.

#include "crawl/crawl_engine.h"
#include "recording_crawl.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vortaxel::crawl {
namespace {

using Texts = std::vector<std::string>;

/// HTML pages by address; FetchStatus answers from `statuses` (0: no answer at all) and keeps its own record.
class CheckedSite final : public PageFetcher {
public:
    FetchedPage Fetch(const std::string& url) override {
        pageRequests.push_back(url);
        const auto file = files.find(url);
        FetchedPage page = FetchedPage::Success(file == files.end() ? std::string() : file->second);
        page.status = file == files.end() ? 404 : 200;
        page.contentType = "text/html";
        return page;
    }
    FetchedPage FetchStatus(const std::string& url) override {
        statusRequests.push_back(url);
        const auto known = statuses.find(url);
        const long status = known == statuses.end() ? 200 : known->second;
        if (status == 0) {
            return FetchedPage::Failure("timed out");
        }
        FetchedPage page = FetchedPage::Success("");
        page.status = status;
        return page;
    }

    std::map<std::string, std::string> files;
    std::map<std::string, long> statuses;
    Texts pageRequests;
    Texts statusRequests;
};

class FetchRecorder final : public testing::RunRecorder {
public:
    void PageFetched(const std::string& url, const FetchedPage& page) override {
        told[url] = page.ok ? std::to_string(page.status) : page.error;
    }
    std::map<std::string, std::string> told;
};

TEST(ExternalChecksTest, TargetsTheCrawlDoesNotFollowAreAskedOnceForTheirStatus) {
    CheckedSite site;
    site.files["http://s.test/"] = "<a href=\"http://o.test/a\">a</a><a href=\"http://o.test/a#again\">again</a>"
                                   "<a href=\"/page.html\">page</a><a rel=nofollow href=\"/private.html\">private</a>"
                                   "<img src=\"http://o.test/pic.png\"><a href=\"mailto:x@s.test\">mail</a>";
    site.files["http://s.test/page.html"] =
        "<a href=\"http://o.test/a\">a</a><a href=\"http://o.test/gone\">gone</a>"
        "<a href=\"http://silent.test/1\">1</a><a href=\"http://silent.test/2\">2</a>"
        "<a href=\"/both.html\">both</a>";
    site.files["http://s.test/private.html"] = "private";
    site.files["http://s.test/both.html"] = "<a rel=nofollow href=\"/page.html\">back</a>";
    site.files["http://s.test/closed.html"] = "<meta name=robots content=nofollow><a href=\"/shut.html\">s</a>";
    site.statuses["http://o.test/gone"] = 404;
    site.statuses["http://silent.test/1"] = 0;
    site.statuses["http://silent.test/2"] = 0;
    struct Row {
        const char* name;
        bool checkExternal;
        bool followNofollow;
        Texts pages;
        Texts checks;
        std::map<std::string, std::string> told;
    };
    const Texts crawled = {"http://s.test/", "http://s.test/page.html", "http://s.test/both.html"};
    const Row rows[] = {
        {"off, nothing is checked", false, false, crawled, {}, {}},
        {"on: other hosts' targets and nofollow ones, each once; a silent host once",
         true,
         false,
         crawled,
         {"http://o.test/a", "http://s.test/private.html", "http://o.test/gone", "http://silent.test/1"},
         {{"http://o.test/a", "200"},
          {"http://s.test/private.html", "200"},
          {"http://o.test/gone", "404"},
          {"http://silent.test/1", "timed out"},
          {"http://silent.test/2", "timed out"}}},
        {"nofollow links followed are crawled, not checked",
         true,
         true,
         {"http://s.test/", "http://s.test/page.html", "http://s.test/private.html", "http://s.test/both.html"},
         {"http://o.test/a", "http://o.test/gone", "http://silent.test/1"},
         {{"http://o.test/a", "200"}, {"http://o.test/gone", "404"}, {"http://silent.test/1", "timed out"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        site.pageRequests.clear();
        site.statusRequests.clear();
        FetchRecorder listener;
        CrawlEngine engine(site, listener);
        RunLimits limits;
        limits.followNofollow = row.followNofollow;
        limits.controls.checkExternal = row.checkExternal;
        engine.SetLimits(limits);
        EXPECT_EQ(engine.Run("http://s.test/", RuleSet::Browser), RunEnd::QueueEmpty);
        EXPECT_EQ(site.pageRequests, row.pages);
        EXPECT_EQ(site.statusRequests, row.checks);
        // Checked, never listed.
        EXPECT_EQ(listener.found, row.pages);
        for (const auto& [url, outcome] : row.told) {
            EXPECT_EQ(listener.told[url], outcome) << url;
        }
    }
}

TEST(ExternalChecksTest, ANofollowPageHasItsLinksCheckedAndAListedPageOnAnotherHostIsNotCheckedAgain) {
    CheckedSite site;
    site.files["http://s.test/closed.html"] =
        "<meta name=robots content=nofollow><a href=\"/shut.html\">s</a><a href=\"http://o.test/listed\">l</a>";
    site.files["http://o.test/listed"] = "<a href=\"http://s.test/closed.html\">back</a>";
    FetchRecorder listener;
    CrawlEngine engine(site, listener);
    RunLimits limits;
    limits.controls.checkExternal = true;
    limits.controls.listMode = true;
    limits.controls.listed = {"http://s.test/closed.html", "http://o.test/listed"};
    engine.SetLimits(limits);
    engine.Run("http://s.test/", RuleSet::Browser);
    EXPECT_EQ(site.pageRequests, limits.controls.listed);
    EXPECT_EQ(site.statusRequests, Texts{"http://s.test/shut.html"});
}

} // namespace
} // namespace vortaxel::crawl
