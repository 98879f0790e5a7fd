// The summary's broken links counted as the links file reads them must match the count SQLite makes when
// nothing reads the links first: the same links, targets and pages, whichever way they are counted. So must
// the links and the report's inlinks read with the crawl's addresses held in memory.

#include "store/crawl_store.h"
#include "store/read/audit_reader.h"
#include "store/sqlite_db.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

struct KeptPage {
    std::string url;
    int status;
    bool blocked = false;
    /// Where a redirect landed, the page's own address, when it is not `url`.
    std::string landed = {};
};

struct KeptLink {
    int page; // index into the pages
    std::string target;
    int copies = 1;
};

struct CounterRow {
    const char* name;
    std::vector<KeptPage> fetches;
    std::vector<KeptLink> links;
    std::size_t brokenLinks;
    std::size_t brokenTargets;
    std::size_t pagesWithBrokenLinks;
};

class BrokenLinkCounts : public ::testing::TestWithParam<CounterRow> {};

/// A browser-rules crawl whose fetches list a page each when they answered 200, in the order given.
std::unique_ptr<store::CrawlStore> MakeCrawl(const std::filesystem::path& path, const CounterRow& row) {
    std::string error;
    auto store = store::CrawlStore::Open(path.string(), Access::Create, error);
    EXPECT_NE(store, nullptr) << error;
    EXPECT_TRUE(store->StartRun({"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
    store::SqlDatabase& db = store->Db();
    store::SqlStatement page;
    store::SqlStatement fetch;
    store::SqlStatement link;
    EXPECT_TRUE(page.Prepare(db, "INSERT INTO pages (id, url, turn, event, title, meta_description) "
                                 "VALUES (?, ?, 1, 1, '', '')"));
    EXPECT_TRUE(fetch.Prepare(db, "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, "
                                  "content_type, body_skipped, bytes, ms, redirects, error) "
                                  "VALUES (1, 1, ?, ?, ?, ?, ?, ?, 'text/html', 0, 10, 0, 0, '')"));
    EXPECT_TRUE(link.Prepare(db, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow) "
                                 "VALUES (?, ?, 'x', 'a href', '', '', 1)"));
    EXPECT_TRUE(db.Execute("BEGIN"));
    for (std::size_t i = 0; i < row.fetches.size(); ++i) {
        const KeptPage& kept = row.fetches[i];
        const bool listed = kept.status == 200;
        if (listed) {
            page.Bind(1, static_cast<std::int64_t>(i + 1));
            page.Bind(2, kept.landed.empty() ? kept.url : kept.landed);
            EXPECT_TRUE(page.Run());
        }
        listed ? fetch.Bind(1, static_cast<std::int64_t>(i + 1)) : fetch.BindNull(1);
        fetch.Bind(2, kept.url);
        fetch.Bind(3, std::int64_t{kept.blocked ? 1 : 0});
        fetch.Bind(4, std::int64_t{kept.blocked ? 0 : 1});
        fetch.Bind(5, std::int64_t{kept.status});
        fetch.Bind(6, kept.url);
        EXPECT_TRUE(fetch.Run());
    }
    for (const KeptLink& kept : row.links) {
        for (int copy = 0; copy < kept.copies; ++copy) {
            link.Bind(1, static_cast<std::int64_t>(kept.page) + 1);
            link.Bind(2, kept.target);
            EXPECT_TRUE(link.Run());
        }
    }
    EXPECT_TRUE(db.Execute("COMMIT"));
    return store;
}

TEST_P(BrokenLinkCounts, AreTheSameCountedFromTheLinksPassAsInSqlite) {
    const CounterRow& row = GetParam();
    ScratchFolder folder("broken-link-counts");
    auto store = MakeCrawl(folder / "crawl.db", row);
    ASSERT_NE(store, nullptr);
    store::AuditReader reader(*store);
    const auto count = [&](bool readLinks, bool complete) {
        store::AuditSummaryCounter counter(*store);
        EXPECT_EQ(reader.ForEachRow([&counter](const store::AuditRow& page) { counter.Add(page); }), "");
        if (readLinks) {
            EXPECT_EQ(reader.ForEachLinkRow([&counter](const store::AuditLinkRow& link) { counter.AddLink(link); }),
                      "");
        }
        if (complete) {
            counter.LinksComplete();
        }
        audit::AuditSummary summary;
        EXPECT_EQ(counter.Finish(summary), "");
        return std::vector<std::size_t>{summary.brokenLinks, summary.brokenTargets, summary.pagesWithBrokenLinks};
    };
    const std::vector<std::size_t> expected{row.brokenLinks, row.brokenTargets, row.pagesWithBrokenLinks};
    EXPECT_EQ(count(false, false), expected) << "counted in SQLite";
    EXPECT_EQ(count(true, true), expected) << "counted from the links pass";
    // A pass cut short leaves its counts aside.
    EXPECT_EQ(count(true, false), expected) << "links read but not all of them";
}

TEST_P(BrokenLinkCounts, LinksAndInlinksAreTheSameWithTheAddressesHeldInMemory) {
    const CounterRow& row = GetParam();
    ScratchFolder folder("held-link-targets");
    auto store = MakeCrawl(folder / "crawl.db", row);
    ASSERT_NE(store, nullptr);
    const auto read = [&](bool held) {
        store::AuditReader reader(*store, !held);
        EXPECT_EQ(reader.HoldTargets(held ? store::AuditReader::kMostTargetsHeld : 0), held);
        std::vector<std::string> seen;
        EXPECT_EQ(reader.ForEachLinkRow([&seen](const store::AuditLinkRow& r) {
            seen.push_back(r.link.source + ' ' + r.link.target + ' ' +
                           std::to_string(r.link.targetStatus.value_or(-1)) + ' ' + r.link.targetError + ' ' +
                           std::to_string(r.targetFetchId));
        }),
                  "");
        // Links that come back to an earlier page are counted through SQLite.
        const bool inPageOrder = std::is_sorted(row.links.begin(), row.links.end(),
                                                [](const KeptLink& a, const KeptLink& b) { return a.page < b.page; });
        EXPECT_EQ(reader.InlinksCounted(), held && inPageOrder);
        if (!reader.InlinksCounted()) {
            reader.IndexLinks();
        }
        EXPECT_EQ(reader.ForEachRow([&seen](const store::AuditRow& r) {
            seen.push_back(r.page.url + " inlinks " + std::to_string(r.page.inlinks));
        }),
                  "");
        return seen;
    };
    EXPECT_EQ(read(true), read(false));
}

const std::vector<KeptPage> kShop = {
    {"http://a.test/", 200},     {"http://a.test/b", 200},    {"http://a.test/c", 200},
    {"http://a.test/gone", 404}, {"http://a.test/down", 503}, {"http://a.test/private", 0, true},
};

INSTANTIATE_TEST_SUITE_P(
    Crawls, BrokenLinkCounts,
    ::testing::Values(
        CounterRow{"NoBrokenLinks", kShop, {{0, "http://a.test/b"}, {1, "http://a.test/c"}}, 0, 0, 0},
        CounterRow{"RepeatedTargetsAndNeverFetchedOnes",
                   kShop,
                   {{0, "http://a.test/gone", 3},
                    {0, "http://a.test/b"},
                    {1, "http://a.test/down"},
                    {1, "http://a.test/gone"},
                    // Blocked by robots.txt: no broken link, since nothing was asked of it.
                    {2, "http://a.test/private"},
                    {2, "http://elsewhere.test/never-fetched"},
                    {2, "mailto:x@a.test"}},
                   5,
                   2,
                   2},
        // Far more broken links than the ids are sorted at, from pages whose links come back round.
        CounterRow{"ManyBrokenLinksOnFewPages",
                   kShop,
                   {{0, "http://a.test/gone", 40000},
                    {1, "http://a.test/down", 40000},
                    {0, "http://a.test/down", 5000},
                    {2, "http://a.test/c", 10}},
                   85000,
                   2,
                   2},
        // The last fetch decides: a target that failed and was fetched again once it answered is not broken.
        CounterRow{"ATargetFetchedAgain",
                   {{"http://a.test/", 200}, {"http://a.test/later", 503}, {"http://a.test/later", 200}},
                   {{0, "http://a.test/later"}, {2, "http://a.test/later"}},
                   0,
                   0,
                   0},
        // Pages are counted by address: two pages kept at one address are one page holding broken links.
        CounterRow{"TwoPagesAtOneAddress",
                   {{"http://a.test/", 200}, {"http://a.test/", 200}, {"http://a.test/gone", 404}},
                   {{0, "http://a.test/gone"}, {1, "http://a.test/gone", 2}},
                   3,
                   1,
                   1},
        // A page's links to itself are not its inlinks; a redirected page's are counted at where it landed.
        CounterRow{"SelfLinksAndARedirectedPage",
                   {{"http://a.test/", 200},
                    {"http://a.test/old", 200, false, "http://a.test/new"},
                    {"http://a.test/c", 200},
                    {"http://a.test/gone", 404}},
                   {{0, "http://a.test/", 2},
                    {0, "http://a.test/new"},
                    {1, "http://a.test/new"},
                    {1, "http://a.test/old"},
                    {1, "http://a.test/"},
                    {2, "http://a.test/new"},
                    {2, "http://a.test/gone"},
                    {2, "http://a.test/c"}},
                   1,
                   1,
                   1}),
    [](const ::testing::TestParamInfo<CounterRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vortaxel::test
