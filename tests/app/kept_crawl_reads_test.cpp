// What a user reads back from kept crawls of a small site: how two crawls of it differ, what the report's tables
// show for a filter, a sort and a window of rows, and a file of every older layout opened, read without being
// touched, and carried on to the same list as a crawl of today's layout.

#include "app/crawl_session.h"
#include "app/run_controller.h"
#include "crawl/page_fetcher.h"
#include "store/crawl_store.h"
#include "store/read/crawl_compare.h"
#include "store/read/crawl_report.h"
#include "store/sqlite_db.h"
#include "tests/support/older_layouts.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using Access = app::CrawlSession::Access;
using Lines = std::vector<std::string>;

constexpr const char* kHome = "http://s.test/";

/// One page of the site: the status it answers with, its title, the addresses it links to (absolute) and, for a
/// redirect, where the request ended.
struct SitePage {
    long status = 200;
    std::string title;
    Lines links;
    std::string finalUrl;
};

using Site = std::map<std::string, SitePage>;

/// A home page linking to an about page, a shop with an item and a missing page, an old page and a redirect.
Site BaseSite() {
    return {
        {"http://s.test/",
         {200, "Home", {"http://s.test/about", "http://s.test/shop", "http://s.test/old", "http://s.test/r"}, ""}},
        {"http://s.test/about", {200, "About us", {"http://s.test/"}, ""}},
        {"http://s.test/shop", {200, "Shop 100%", {"http://s.test/shop/item_1", "http://s.test/missing"}, ""}},
        {"http://s.test/shop/item_1", {200, "Item", {"http://s.test/shop"}, ""}},
        {"http://s.test/old", {200, "Old", {}, ""}},
        {"http://s.test/r", {200, "Moved", {}, "http://s.test/about"}},
    };
}

/// Serves a Site; with a stop set, asks the run to stop once as many pages were fetched.
class SiteFetcher final : public crawl::PageFetcher {
public:
    explicit SiteFetcher(Site site) : site_(std::move(site)) {}

    void StopAfter(app::RunController& run, int fetches) {
        run_ = &run;
        stopAfter_ = fetches;
    }

    crawl::FetchedPage Fetch(const std::string& url) override {
        if (run_ != nullptr && ++fetched_ == stopAfter_) {
            run_->Stop();
        }
        const auto found = site_.find(url);
        const SitePage page = found != site_.end() ? found->second : SitePage{404, "", {}, ""};
        crawl::FetchedPage fetched = crawl::FetchedPage::Failure("HTTP status " + std::to_string(page.status));
        if (page.status < 400) {
            std::string body = "<html><head><title>" + page.title + "</title></head><body>";
            for (const std::string& link : page.links) {
                body += "<a href=\"" + link + "\">to " + link + "</a>";
            }
            fetched = crawl::FetchedPage::Success(body + "</body></html>");
            fetched.contentType = "text/html";
        }
        fetched.status = page.status;
        fetched.finalUrl = page.finalUrl.empty() ? url : page.finalUrl;
        fetched.redirects = page.finalUrl.empty() ? 0 : 1;
        return fetched;
    }

private:
    Site site_;
    app::RunController* run_ = nullptr;
    int stopAfter_ = 0;
    int fetched_ = 0;
};

store::CrawlSettings Settings(crawl::RuleSet rules) {
    store::CrawlSettings settings;
    settings.startText = kHome;
    settings.rules = rules;
    settings.maxMemory = std::size_t{1} << 30;
    return settings;
}

/// Crawls `site` into a new file at `path` (stopping after `stopAfter` fetches when not 0) and returns the list.
Lines Crawl(const std::string& path, Site site, crawl::RuleSet rules = crawl::RuleSet::Browser, int stopAfter = 0) {
    app::CrawlSession session;
    EXPECT_EQ(session.Replace(path, Settings(rules)), "");
    SiteFetcher fetcher(std::move(site));
    crawl::CrawlListener quiet;
    app::RunSetup setup;
    setup.rules = rules;
    app::RunController run(setup, quiet, fetcher);
    if (stopAfter != 0) {
        fetcher.StopAfter(run, stopAfter);
    }
    session.Keep(run);
    run.Run(kHome);
    Lines listed;
    EXPECT_EQ(session.ForEachFound([&listed](std::string_view url) { listed.emplace_back(url); }), "");
    return listed;
}

std::unique_ptr<store::CrawlStore> OpenRead(const std::string& path) {
    std::string error;
    auto store = store::CrawlStore::Open(path, Access::Read, error);
    EXPECT_NE(store, nullptr) << error;
    return store;
}

class KeptCrawlReads : public ::testing::Test {
protected:
    ScratchFolder folder_{"kept-reads"};
    std::string Path(const std::string& name) const { return (folder_.Path() / name).string(); }
};

// ---- Two crawls compared ----

struct CompareCase {
    const char* name;
    std::function<void(Site&)> change;
    Lines expected;
};

class ComparedCrawls : public KeptCrawlReads, public ::testing::WithParamInterface<CompareCase> {};

std::string ChangeLine(const store::PageChange& change) {
    return std::string(store::PageChangeName(change.kind)) + " " + change.url + " " + std::to_string(change.oldStatus) +
           "->" + std::to_string(change.newStatus) + " " + change.oldFinalUrl + "->" + change.newFinalUrl;
}

TEST_P(ComparedCrawls, TellEveryPageThatCameWentOrAnsweredOtherwise) {
    Crawl(Path("older.vxcrawl"), BaseSite());
    Site newer = BaseSite();
    GetParam().change(newer);
    Crawl(Path("newer.vxcrawl"), newer);

    auto older = OpenRead(Path("older.vxcrawl"));
    auto fresh = OpenRead(Path("newer.vxcrawl"));
    ASSERT_TRUE(older && fresh);
    Lines changes;
    EXPECT_EQ(store::CompareCrawls(*older, *fresh,
                                   [&changes](const store::PageChange& c) { changes.push_back(ChangeLine(c)); }),
              "");
    EXPECT_EQ(changes, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ComparedCrawls,
    ::testing::Values(
        CompareCase{"NothingChanged", [](Site&) {}, {}},
        CompareCase{"APageNoLongerLinkedIsGone",
                    [](Site& site) { std::erase(site["http://s.test/"].links, "http://s.test/old"); },
                    {"gone http://s.test/old 200->0 http://s.test/old->"}},
        CompareCase{"ANewlyLinkedPageIsAdded",
                    [](Site& site) {
                        site["http://s.test/about"].links.push_back("http://s.test/new");
                        site["http://s.test/new"] = {200, "New", {}, ""};
                    },
                    {"added http://s.test/new 0->200 ->http://s.test/new"}},
        // A page that fails is no page of the site's list: it went, as a missing one that answers now came.
        CompareCase{"APageThatNowFailsIsGone",
                    [](Site& site) { site["http://s.test/old"].status = 500; },
                    {"gone http://s.test/old 200->0 http://s.test/old->"}},
        CompareCase{"AMissingPageThatNowAnswersIsAdded",
                    [](Site& site) {
                        site["http://s.test/missing"] = {200, "Back", {}, ""};
                    },
                    {"added http://s.test/missing 0->200 ->http://s.test/missing"}},
        CompareCase{"APageThatAnswersWithAnotherStatusChanged",
                    [](Site& site) { site["http://s.test/about"].status = 203; },
                    {"changed http://s.test/about 200->203 http://s.test/about->http://s.test/about"}},
        // A browser lists where a redirect lands, not the address that sent it there.
        CompareCase{"APageThatNowRedirectsIsGoneAndWhereItLandsAdded",
                    [](Site& site) { site["http://s.test/old"].finalUrl = "http://s.test/landing"; },
                    {"added http://s.test/landing 0->200 ->http://s.test/landing",
                     "gone http://s.test/old 200->0 http://s.test/old->"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The report's tables ----

struct ReportCase {
    const char* name;
    store::ReportKind kind;
    std::string filter;
    std::optional<std::string> linksTo;
    /// The column sorted by, and whether ascending; none keeps the crawl's order.
    std::optional<std::size_t> sortColumn;
    bool ascending;
    /// The first cell of each row, in order.
    Lines expected;
};

class ReportQueries : public KeptCrawlReads, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(ReportQueries, ShowTheRowsAskedForAndCountThem) {
    Crawl(Path("report.vxcrawl"), BaseSite());
    std::string error;
    auto store = store::OpenReportStore(Path("report.vxcrawl"), error);
    ASSERT_NE(store, nullptr) << error;
    const ReportCase& c = GetParam();
    store::ReportTable table(*store, c.kind);
    table.Filter(c.filter);
    if (c.linksTo) {
        table.OnlyLinksTo(*c.linksTo);
    }
    if (c.sortColumn) {
        table.SortBy(*c.sortColumn, c.ascending);
    }
    std::vector<store::ReportRow> rows;
    ASSERT_TRUE(table.Rows(0, 100, rows));
    Lines first;
    for (const store::ReportRow& row : rows) {
        first.push_back(row.cells.at(0));
    }
    EXPECT_EQ(first, c.expected);
    std::int64_t count = -1;
    ASSERT_TRUE(table.Count(count));
    EXPECT_EQ(count, static_cast<std::int64_t>(c.expected.size()));

    // A window of the same rows is the same rows.
    if (rows.size() >= 3) {
        std::vector<store::ReportRow> window;
        ASSERT_TRUE(table.Rows(1, 2, window));
        ASSERT_EQ(window.size(), 2u);
        EXPECT_EQ(window[0].cells, rows[1].cells);
        EXPECT_EQ(window[1].cells, rows[2].cells);
    }
}

constexpr std::size_t kAddress = 0;
constexpr std::size_t kStatus = 1;
constexpr std::size_t kTitle = 4;

INSTANTIATE_TEST_SUITE_P(
    Tables, ReportQueries,
    ::testing::Values(
        ReportCase{"PagesByAddress",
                   store::ReportKind::Pages,
                   "",
                   {},
                   kAddress,
                   true,
                   {"http://s.test/", "http://s.test/about", "http://s.test/missing", "http://s.test/old",
                    "http://s.test/r", "http://s.test/shop", "http://s.test/shop/item_1"}},
        ReportCase{"PagesByTitleDescending",
                   store::ReportKind::Pages,
                   "shop",
                   {},
                   kTitle,
                   false,
                   {"http://s.test/shop", "http://s.test/shop/item_1"}},
        ReportCase{"AFailedPageSortsFirstByStatus",
                   store::ReportKind::Pages,
                   "i",
                   {},
                   kStatus,
                   false,
                   {"http://s.test/missing", "http://s.test/shop/item_1"}},
        ReportCase{"AFilterFindsATitle", store::ReportKind::Pages, "about us", {}, {}, true, {"http://s.test/about"}},
        ReportCase{
            "APercentSignIsOnlyAPercentSign", store::ReportKind::Pages, "%", {}, {}, true, {"http://s.test/shop"}},
        ReportCase{"AnUnderscoreIsOnlyAnUnderscore",
                   store::ReportKind::Pages,
                   "_",
                   {},
                   {},
                   true,
                   {"http://s.test/shop/item_1"}},
        ReportCase{"AFilterNothingHasShowsNoRows", store::ReportKind::Pages, "nowhere", {}, {}, true, {}},
        ReportCase{"TheLinksToAPage",
                   store::ReportKind::Links,
                   "",
                   "http://s.test/shop",
                   kAddress,
                   true,
                   {"http://s.test/", "http://s.test/shop/item_1"}},
        ReportCase{"TheLinksToAPageThatMatchAFilter",
                   store::ReportKind::Links,
                   "item",
                   "http://s.test/shop",
                   {},
                   true,
                   {"http://s.test/shop/item_1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Files of older layouts ----

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class OlderLayouts : public KeptCrawlReads, public ::testing::WithParamInterface<int> {};

TEST_P(OlderLayouts, AreReadUntouchedAndCarriedOnToTheWholeCrawl) {
    const std::string path = Path("older.vxcrawl");
    const Lines whole = Crawl(Path("whole.vxcrawl"), BaseSite());
    const Lines stopped = Crawl(path, BaseSite(), crawl::RuleSet::Browser, 3);
    ASSERT_LT(stopped.size(), whole.size());
    {
        store::SqlDatabase db;
        ASSERT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
        ASSERT_TRUE(db.Execute(UndoLayoutsAfter(GetParam()) + "PRAGMA user_version = " + std::to_string(GetParam())));
    }
    const std::string before = Bytes(path);

    app::CrawlSession session;
    ASSERT_EQ(session.Open(path, Access::Read), "");
    EXPECT_EQ(session.Store().SchemaVersion(), GetParam());
    Lines kept;
    EXPECT_EQ(session.ForEachFound([&kept](std::string_view url) { kept.emplace_back(url); }), "");
    EXPECT_EQ(kept, stopped);
    EXPECT_EQ(session.RefuseFinished(), "");
    session.Close();
    EXPECT_EQ(Bytes(path), before) << "reading a kept crawl wrote to it";

    ASSERT_EQ(session.Open(path, Access::Resume), "");
    ASSERT_EQ(session.Start(session.Store().Settings()), "");
    SiteFetcher fetcher(BaseSite());
    crawl::CrawlListener quiet;
    app::RunSetup setup;
    setup.rules = crawl::RuleSet::Browser;
    app::RunController run(setup, quiet, fetcher);
    session.Keep(run);
    run.Run(kHome, true);
    Lines carried;
    EXPECT_EQ(session.ForEachFound([&carried](std::string_view url) { carried.emplace_back(url); }), "");
    EXPECT_EQ(carried, whole);
    session.Close();
    ASSERT_EQ(session.Open(path, Access::Read), "");
    EXPECT_EQ(session.Store().SchemaVersion(), store::kCrawlSchemaVersion);
    EXPECT_NE(session.RefuseFinished(), "");
}

// Layout 4 is the oldest the undo steps reach.
INSTANTIATE_TEST_SUITE_P(Layouts, OlderLayouts, ::testing::Range(4, store::kCrawlSchemaVersion),
                         [](const auto& info) { return "Layout" + std::to_string(info.param); });

} // namespace
} // namespace vortaxel::test
