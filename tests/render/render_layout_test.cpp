// A crawl file of the layout before rendered pages were kept is read as it is, as a crawl that did not render,
// and upgraded when a run carries it on.

#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/read/audit_reader.h"
#include "store/render_settings.h"
#include "store/sqlite_db.h"
#include "tests/support/older_layouts.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

// A stopped browser-rules crawl that rendered with a 700 ms wait and fetched its start page, with `rows` added.
void KeepOneFetchedPage(const std::string& path, const std::string& rows) {
    std::string error;
    auto store = store::CrawlStore::Open(path, Access::Create, error);
    ASSERT_NE(store, nullptr) << error;
    ASSERT_TRUE(store->StartRun({"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
    ASSERT_TRUE(store::KeepRenderWait(*store, std::chrono::milliseconds(700)));
    ASSERT_TRUE(store::CrawlStoreDb::Of(*store).Execute(
        "INSERT INTO pages (id, url, depth, turn, event, title) VALUES (1, 'http://a.test/', 0, 1, 1, 'A');"
        "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, content_type, "
        "body_skipped, bytes, ms, redirects, error) VALUES (1, 1, 1, 'http://a.test/', 0, 1, 200, "
        "'http://a.test/', 'text/html', 0, 10, 1, 0, '');" +
        rows + "UPDATE crawl SET turns = 1, state = 'stopped'"));
    EXPECT_EQ(store::KeptRenderWait(*store), std::chrono::milliseconds(700));
}

// Takes the file back to the layout before `layout`, as a program of that time left it.
void StepBackBefore(const std::string& path, int layout) {
    store::SqlDatabase db;
    ASSERT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
    ASSERT_TRUE(db.Execute(UndoLayoutsAfter(layout - 1) + "PRAGMA user_version = " + std::to_string(layout - 1)));
}

TEST(RenderLayout, AnOlderFileReadsAsNotRenderedAndIsUpgradedWhenResumed) {
    ScratchFolder folder("render-layout");
    const std::string path = (folder.Path() / "crawl.db").string();
    std::string error;
    ASSERT_NO_FATAL_FAILURE(
        KeepOneFetchedPage(path, "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow) VALUES "
                                 "(1, 'http://a.test/b', 'b', 'a', '', '', 1);"));
    ASSERT_NO_FATAL_FAILURE(StepBackBefore(path, store::kRenderLayout));
    {
        auto store = store::CrawlStore::Open(path, Access::Read, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), store::kRenderLayout - 1);
        EXPECT_FALSE(store::KeptRenderWait(*store));
        store::AuditReader reader(*store, false);
        std::size_t rows = 0;
        EXPECT_EQ(reader.ForEachRow([&rows](const store::AuditRow& row) {
            ++rows;
            EXPECT_FALSE(row.rendered);
        }),
                  "");
        EXPECT_EQ(rows, 1u);
        std::size_t links = 0;
        EXPECT_EQ(reader.ForEachLinkRow([&links](const store::AuditLinkRow& row) {
            ++links;
            EXPECT_EQ(row.seenIn, 0);
        }),
                  "");
        EXPECT_EQ(links, 1u);
    }
    {
        auto store = store::CrawlStore::Open(path, Access::Resume, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), store::kCrawlSchemaVersion);
        EXPECT_FALSE(store::KeptRenderWait(*store));
        std::int64_t count = -1;
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM rendered_pages", count));
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM links WHERE seen_in = 0", count));
        EXPECT_EQ(count, 1);
    }
}

TEST(RenderLayout, AFileKeptBeforeTheWordsReadsItsRenderedPagesWithNone) {
    ScratchFolder folder("render-words-layout");
    const std::string path = (folder.Path() / "crawl.db").string();
    std::string error;
    ASSERT_NO_FATAL_FAILURE(KeepOneFetchedPage(
        path, "INSERT INTO rendered_pages (page_id, title, js_links, js_errors, requests, blocked, ms, error) "
              "VALUES (1, 'B', 2, '', 3, 1, 40, '');"));
    ASSERT_NO_FATAL_FAILURE(StepBackBefore(path, store::kRenderWordsLayout));
    for (const Access access : {Access::Read, Access::Resume}) {
        auto store = store::CrawlStore::Open(path, access, error);
        ASSERT_NE(store, nullptr) << error;
        store::AuditReader reader(*store, false);
        std::size_t rows = 0;
        EXPECT_EQ(reader.ForEachRow([&rows](const store::AuditRow& row) {
            ++rows;
            ASSERT_TRUE(row.rendered);
            EXPECT_EQ(row.rendered->title, "B");
            EXPECT_EQ(row.rendered->jsLinks, 2u);
            EXPECT_EQ(row.rendered->jsWords, 0u);
        }),
                  "");
        EXPECT_EQ(rows, 1u);
    }
}

} // namespace
} // namespace vortaxel::test
