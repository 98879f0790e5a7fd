// The report's Issues table as a tree: each kind once with its severity and counts, and a kind's rows
// alone, a broken address's links together.

#include "store/crawl_store.h"
#include "store/read/crawl_report.h"
#include "store/sqlite_db.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

struct Fetch {
    std::string url;
    int status;
    bool blocked = false;
};

struct Link {
    int page; // index into the fetches, all of which answered 200
    std::string target;
};

std::unique_ptr<store::CrawlStore> MakeCrawl(const std::string& path, const std::vector<Fetch>& fetches,
                                             const std::vector<Link>& links) {
    std::string error;
    auto store = store::CrawlStore::Open(path, store::CrawlStore::Access::Create, error);
    EXPECT_NE(store, nullptr) << error;
    EXPECT_TRUE(store->StartRun({"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
    store::SqlDatabase& db = store->Db();
    store::SqlStatement page;
    store::SqlStatement fetch;
    store::SqlStatement link;
    // Titles of a fit length and one H1 each, so that only the links and answers make issues.
    EXPECT_TRUE(page.Prepare(db, "INSERT INTO pages (id, url, depth, turn, event, title, meta_description, h1_count) "
                                 "VALUES (?1, ?2, 0, 1, 1, 'A title of a length search engines show: ' || ?2, "
                                 "'A description that says what the page holds, long enough to be shown whole by a "
                                 "search engine.' || ?2, 1)"));
    EXPECT_TRUE(fetch.Prepare(db, "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, "
                                  "content_type, body_skipped, bytes, ms, redirects, error) "
                                  "VALUES (1, 1, ?, ?, ?, ?, ?, ?, 'text/html', 0, 10, 0, 0, '')"));
    EXPECT_TRUE(link.Prepare(db, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow) "
                                 "VALUES (?, ?, 'x', 'a href', '', '', 1)"));
    EXPECT_TRUE(db.Execute("BEGIN"));
    for (std::size_t i = 0; i < fetches.size(); ++i) {
        const Fetch& kept = fetches[i];
        if (kept.status == 200) {
            page.Bind(1, static_cast<std::int64_t>(i + 1));
            page.Bind(2, kept.url);
            EXPECT_TRUE(page.Run());
            fetch.Bind(1, static_cast<std::int64_t>(i + 1));
        } else {
            fetch.BindNull(1);
        }
        fetch.Bind(2, kept.url);
        fetch.Bind(3, std::int64_t{kept.blocked ? 1 : 0});
        fetch.Bind(4, std::int64_t{kept.blocked ? 0 : 1});
        fetch.Bind(5, std::int64_t{kept.status});
        fetch.Bind(6, kept.url);
        EXPECT_TRUE(fetch.Run());
    }
    for (const Link& kept : links) {
        link.Bind(1, static_cast<std::int64_t>(kept.page) + 1);
        link.Bind(2, kept.target);
        EXPECT_TRUE(link.Run());
    }
    EXPECT_TRUE(db.Execute("COMMIT"));
    return store;
}

TEST(ReportIssues, KindsComeOnceWithTheirSeverityAndABrokenAddressesLinksTogether) {
    ScratchFolder folder("report-issues");
    auto store = MakeCrawl((folder / "crawl.db").string(),
                           {{"http://a.test/", 200},
                            {"http://a.test/b", 200},
                            {"http://a.test/gone", 404},
                            {"http://a.test/lost", 410},
                            {"http://a.test/private", 0, true}},
                           {{0, "http://a.test/gone"},
                            {0, "http://a.test/lost"},
                            {1, "http://a.test/gone"},
                            {0, "http://a.test/private"},
                            {1, "http://a.test/"}});
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store::BuildReportIssues(*store), "");
    std::vector<store::ReportIssueGroup> groups;
    ASSERT_TRUE(store::ReadIssueGroups(store->Db(), groups));
    struct Expected {
        audit::IssueKind kind;
        const char* severity;
        std::uint64_t rows;
        std::uint64_t pages;
    };
    // The blocked address is neither a broken link's target nor a page without an answer.
    const std::vector<Expected> expected = {
        {audit::IssueKind::BrokenLink, "error", 3, 2},
        {audit::IssueKind::BlockedLink, "notice", 1, 1},
        {audit::IssueKind::ClientError, "error", 2, 2},
    };
    ASSERT_EQ(groups.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(groups[i].title);
        EXPECT_EQ(groups[i].kind, expected[i].kind);
        EXPECT_EQ(groups[i].severity, expected[i].severity);
        EXPECT_EQ(groups[i].rows, expected[i].rows);
        EXPECT_EQ(groups[i].pages, expected[i].pages);
    }
    store::ReportTable table(store->Db(), store::ReportKind::Issues);
    table.OnlyIssue(audit::IssueKind::BrokenLink);
    std::vector<store::ReportRow> rows;
    ASSERT_TRUE(table.Rows(0, 10, rows));
    std::vector<std::string> details;
    details.reserve(rows.size());
    for (const store::ReportRow& row : rows) {
        details.push_back(row.cells[1] + " " + row.cells[2] + " " + row.cells[3]);
    }
    EXPECT_EQ(details, (std::vector<std::string>{"http://a.test/ 404 http://a.test/gone error",
                                                 "http://a.test/b 404 http://a.test/gone error",
                                                 "http://a.test/ 410 http://a.test/lost error"}));
}

} // namespace
} // namespace vortaxel::test
