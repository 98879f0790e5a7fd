// A crawl kept in its database, cut off at many points and carried on each time, must list exactly
// what one uninterrupted run lists, in the same order, under both rule sets.

#include "app/run_controller.h"
#include "crawl/crawl_listener.h"
#include "crawl/page_fetcher.h"
#include "store/crawl_store.h"
#include "store/read/kept_crawl.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using crawl::RuleSet;

constexpr const char* kStart = "http://shop.test/";

/// A shop whose pages link to each other at random, with repeats, missing pages, redirects, files
/// that are no page and links off the site: what makes the queue keep repeats and drop entries.
class RandomShop final : public crawl::PageFetcher {
public:
    struct Shape {
        std::size_t pages;
        std::uint32_t seed;
    };
    explicit RandomShop(Shape shape) : pages_(shape.pages), seed_(shape.seed) {}

    crawl::FetchedPage Fetch(const std::string& url) override {
        ++fetches[url];
        const std::string path = url.substr(std::string(kStart).size());
        if (path.starts_with("r")) { // a redirect to the page of the same number
            crawl::FetchedPage page = Page(std::stoul(path.substr(1)));
            page.finalUrl = kStart + PagePath(std::stoul(path.substr(1)));
            return page;
        }
        if (path.starts_with("f")) {
            crawl::FetchedPage page = crawl::FetchedPage::Success("plain text");
            page.status = 200;
            page.contentType = "text/plain";
            return page;
        }
        if (path.empty() || path.starts_with("p")) {
            const std::size_t i = path.empty() ? 0 : std::stoul(path.substr(1));
            if (i < pages_) {
                return Page(i);
            }
        }
        crawl::FetchedPage missing = crawl::FetchedPage::Failure("HTTP status 404");
        missing.status = 404;
        return missing;
    }

    std::map<std::string, int> fetches;

private:
    static std::string PagePath(std::size_t i) { return i == 0 ? "" : "p" + std::to_string(i) + ".html"; }

    crawl::FetchedPage Page(std::size_t i) const {
        std::mt19937 random(seed_ + static_cast<std::uint32_t>(i));
        std::string body = "<html><body>";
        const auto link = [&body](const std::string& href) { body += "<a href=\"" + href + "\">x</a>\n"; };
        for (std::size_t child : {2 * i + 1, 2 * i + 2}) {
            if (child < pages_) {
                link(PagePath(child));
            }
        }
        for (int k = 0; k < 8; ++k) {
            const std::size_t target = random() % (pages_ + 3);
            switch (random() % 6) {
            case 0:
                link("r" + std::to_string(target));
                break;
            case 1:
                link("f" + std::to_string(target % 5) + ".txt");
                break;
            case 2:
                link("http://elsewhere.test/" + std::to_string(target));
                break;
            default:
                link(PagePath(target)); // past the last page: a missing one
            }
        }
        crawl::FetchedPage page = crawl::FetchedPage::Success(body + "</body></html>");
        page.status = 200;
        page.contentType = "text/html";
        return page;
    }

    std::size_t pages_;
    std::uint32_t seed_;
};

/// Dies, as a killed process does, when the run has fetched a given number of pages: in the middle
/// of a turn, with the batch in progress never written.
class Killer final : public crawl::CrawlListener {
public:
    struct Killed {};
    explicit Killer(std::size_t fetchesLeft) : left_(fetchesLeft) {}
    void PageFetched(const std::string& /*url*/, const crawl::FetchedPage& /*page*/) override {
        if (left_-- == 0) {
            throw Killed{};
        }
    }

private:
    std::size_t left_;
};

std::vector<std::string> Uninterrupted(RuleSet rules, RandomShop& shop) {
    crawl::CrawlListener quiet;
    app::RunSetup setup;
    setup.rules = rules;
    app::RunController run(setup, quiet, shop);
    run.Run(kStart);
    std::vector<std::string> found;
    for (std::size_t i = 0; i < run.Engine().List2().Count(); ++i) {
        found.emplace_back(run.Engine().List2().Text(i));
    }
    return found;
}

std::vector<std::string> KeptPages(const std::string& path) {
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    EXPECT_NE(store, nullptr) << error;
    std::vector<std::string> found;
    if (store) {
        store::KeptCrawl(*store).ForEachFound([&found](std::string_view url) { found.emplace_back(url); });
    }
    return found;
}

/// Every page but the start was found on a page listed before it, one level deeper.
void ExpectLinkedDepths(const std::string& path) {
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    std::int64_t count = 0;
    ASSERT_TRUE(store->Db().QueryInt("SELECT count(*) FROM pages WHERE found_on IS NULL AND NOT (id = 1 AND depth = 0)",
                                     count));
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(store->Db().QueryInt("SELECT count(*) FROM pages p JOIN pages f ON f.id = p.found_on "
                                     "WHERE p.depth IS NOT f.depth + 1 OR f.id >= p.id",
                                     count));
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(store->Db().QueryInt("SELECT max(depth) FROM pages", count));
    EXPECT_GT(count, 2);
}

struct KillRow {
    const char* name;
    RuleSet rules;
    /// Pages fetched by each run before it dies; the run after the last carries on to the end.
    std::vector<std::size_t> killAfter;
    store::CrawlRecorder::Batch batch;
};

class ResumeAfterKills : public ::testing::TestWithParam<KillRow> {};

TEST_P(ResumeAfterKills, KeepsExactlyTheListOfOneUninterruptedRun) {
    const KillRow& row = GetParam();
    RandomShop reference({300, 7});
    const std::vector<std::string> expected = Uninterrupted(row.rules, reference);
    ASSERT_GT(expected.size(), 100u);

    ScratchFolder folder("resume");
    const std::string path = (folder / "crawl.db").string();
    RandomShop shop({300, 7});
    app::RunSetup setup;
    setup.rules = row.rules;
    for (std::size_t run = 0; run <= row.killAfter.size(); ++run) {
        std::string error;
        auto store = store::CrawlStore::Open(
            path, run == 0 ? store::CrawlStore::Access::Create : store::CrawlStore::Access::Resume, error);
        ASSERT_NE(store, nullptr) << error;
        ASSERT_TRUE(store->StartRun({kStart, row.rules, false, {}, {}, 1 << 30}));
        crawl::CrawlListener quiet;
        app::RunController controller(setup, quiet, shop);
        controller.KeepIn(*store, row.batch);
        Killer killer(run < row.killAfter.size() ? row.killAfter[run] : SIZE_MAX);
        controller.AddListener(killer);
        try {
            controller.Run(kStart, run != 0);
            EXPECT_EQ(run, row.killAfter.size()) << "a run meant to die ended first";
        } catch (const Killer::Killed&) {
            EXPECT_LT(run, row.killAfter.size());
        }
    }
    EXPECT_EQ(KeptPages(path), expected);
    ExpectLinkedDepths(path);
    // Pages fetched again are those each kill lost, the open batch and the turns still waiting for the
    // writer: a bounded number, never a restart.
    int again = 0;
    for (const auto& [url, count] : shop.fetches) {
        EXPECT_GE(count, reference.fetches[url]) << url;
        again += count - reference.fetches[url];
    }
    EXPECT_LE(again, int(row.killAfter.size() * (row.batch.pages + row.batch.waiting + 1))) << row.name;
}

const store::CrawlRecorder::Batch kEveryTurn{1, std::chrono::milliseconds(0), 1};
const store::CrawlRecorder::Batch kFivePages{5, std::chrono::hours(1), 3};

INSTANTIATE_TEST_SUITE_P(
    Kills, ResumeAfterKills,
    ::testing::Values(KillRow{"ClassicOnce", RuleSet::Classic, {40}, kFivePages},
                      KillRow{"ClassicAtTheStart", RuleSet::Classic, {0, 0, 1, 0}, kFivePages},
                      KillRow{"ClassicOften", RuleSet::Classic, {3, 17, 1, 9, 30, 2, 60, 5, 4}, kFivePages},
                      KillRow{"ClassicEveryTurnKept", RuleSet::Classic, {10, 25, 7, 90}, kEveryTurn},
                      KillRow{"BrowserOnce", RuleSet::Browser, {40}, kFivePages},
                      KillRow{"BrowserAtTheStart", RuleSet::Browser, {0, 0, 1, 0}, kFivePages},
                      KillRow{"BrowserOften", RuleSet::Browser, {3, 17, 1, 9, 30, 2, 60, 5, 4}, kFivePages},
                      KillRow{"BrowserEveryTurnKept", RuleSet::Browser, {10, 25, 7, 90}, kEveryTurn}),
    [](const ::testing::TestParamInfo<KillRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vortaxel::test

namespace vortaxel::test {
namespace {

TEST(KeptCrawlWriteFailure, StopsTheRunWithTheReasonAndLeavesAFileThatResumes) {
    RandomShop reference({300, 11});
    const std::vector<std::string> expected = Uninterrupted(RuleSet::Classic, reference);
    ScratchFolder folder("full");
    const std::string path = (folder / "crawl.db").string();
    RandomShop shop({300, 11});
    for (int run = 0; run < 2; ++run) {
        std::string error;
        auto store = store::CrawlStore::Open(
            path, run == 0 ? store::CrawlStore::Access::Create : store::CrawlStore::Access::Resume, error);
        ASSERT_NE(store, nullptr) << error;
        ASSERT_TRUE(store->StartRun({kStart, RuleSet::Classic, false, {}, {}, 1 << 30}));
        if (run == 0) {
            // A disk that fills up: the file may grow by a few pages only.
            std::int64_t pages = 0;
            ASSERT_TRUE(store->Db().QueryInt("PRAGMA page_count", pages));
            ASSERT_TRUE(store->Db().Execute("PRAGMA max_page_count=" + std::to_string(pages + 3)));
        }
        crawl::CrawlListener quiet;
        app::RunController controller(app::RunSetup{}, quiet, shop);
        controller.KeepIn(*store, kFivePages);
        controller.Run(kStart, run != 0);
        if (run == 0) {
            EXPECT_NE(controller.StopReason().find("cannot keep the crawl in " + path), std::string::npos)
                << controller.StopReason();
            EXPECT_LT(controller.Engine().List2().Count(), expected.size());
        } else {
            EXPECT_EQ(controller.StopReason(), "");
        }
    }
    EXPECT_EQ(KeptPages(path), expected);
}

} // namespace
} // namespace vortaxel::test
