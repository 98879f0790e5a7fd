// A crawl file of the layout before the content audit is read as it is, all of it off, and upgraded when a run
// carries it on; the choices a crawl is made with are kept and read back, and a row no run writes is damage.

#include "store/content/content_audit_queries.h"
#include "store/content/content_audit_settings.h"
#include "store/content/content_audit_writer.h"
#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/sqlite_db.h"
#include "tests/support/named_rows.h"
#include "tests/support/older_layouts.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

/// The layout before the one that keeps structured data, extractors and hreflang choices.
std::string LayoutBefore() {
    constexpr int kBefore = store::kContentAuditChoicesLayout - 1;
    return UndoLayoutsAfter(kBefore) + "PRAGMA user_version = " + std::to_string(kBefore);
}

crawl::ContentAuditChoices Audited() {
    crawl::ContentAuditChoices choices;
    choices.structuredData = true;
    choices.extractAll = true;
    choices.extractors = {{"price", crawl::ExtractorKind::XPath, "//span[@class='price']"},
                          {"sku", crawl::ExtractorKind::Regex, "SKU: (\\S+) \xff"}};
    return choices;
}

std::string MakeCrawl(const ScratchFolder& folder, const crawl::ContentAuditChoices& choices, const std::string& sql) {
    std::string path = (folder.Path() / "crawl.db").string();
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Create, error);
        EXPECT_NE(store, nullptr) << error;
        store::CrawlSettings settings{"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30};
        settings.contentAudit = choices;
        EXPECT_TRUE(store->StartRun(settings));
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).Execute(
            "INSERT INTO pages (id, url, depth, turn, event, title) VALUES (1, 'http://a.test/', 0, 1, 1, 'A');"
            "UPDATE crawl SET turns = 1, state = 'finished'"));
    }
    store::SqlDatabase db;
    EXPECT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
    EXPECT_TRUE(db.Execute(sql));
    return path;
}

TEST(ContentAuditLayout, AnOlderFileIsReadAllOffAndUpgradedWhenResumed) {
    ScratchFolder folder("content-layout");
    const std::string path = MakeCrawl(folder, {}, LayoutBefore());
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Read, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), store::kContentAuditChoicesLayout - 1);
        EXPECT_EQ(store->Settings().contentAudit, crawl::ContentAuditChoices{});
    }
    auto store = store::CrawlStore::Open(path, Access::Resume, error);
    ASSERT_NE(store, nullptr) << error;
    EXPECT_EQ(store->SchemaVersion(), store::kCrawlSchemaVersion);
    std::int64_t count = -1;
    EXPECT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM page_extracts", count));
    EXPECT_EQ(count, 0);
}

TEST(ContentAuditLayout, TheChoicesAndWhatAPageHoldsAreKeptAndReadBack) {
    ScratchFolder folder("content-layout");
    const std::string path = MakeCrawl(folder, Audited(), "SELECT 1");
    std::string error;
    auto store = store::CrawlStore::Open(path, Access::Resume, error);
    ASSERT_NE(store, nullptr) << error;
    crawl::ContentAuditChoices expected = Audited();
    // What is no UTF-8 is kept with its bytes replaced.
    expected.extractors[1].expression = "SKU: (\\S+) \xEF\xBF\xBD";
    EXPECT_EQ(store->Settings().contentAudit, expected);

    crawl::PageRead read;
    read.structured = {{"Product", "Offer"}, {"Offer has no price"}};
    read.extracted = {{"9.50", "7.00"}, {}};
    store::ContentAuditWriter writer;
    ASSERT_TRUE(writer.Write(store::CrawlStoreDb::Of(*store), store->Settings().contentAudit, 1, read));
    store::ContentAuditQueries queries(*store);
    ASSERT_EQ(queries.Prepare(), "");
    const audit::ContentAuditCells cells = queries.For(1);
    EXPECT_EQ(cells.schemaTypes, "Product; Offer");
    EXPECT_EQ(cells.schemaIssues, "Offer has no price");
    EXPECT_EQ(cells.extracted, (std::vector<std::vector<std::string>>{{"9.50", "7.00"}, {}}));
    EXPECT_EQ(queries.For(0).schemaTypes, "");
}

struct DamagedRow {
    const char* name;
    const char* sql;
    const char* reason;
};

class DamagedContentAudit : public ::testing::TestWithParam<DamagedRow> {};

TEST_P(DamagedContentAudit, IsRefusedWithWhy) {
    ScratchFolder folder("content-layout");
    const std::string path = MakeCrawl(folder, Audited(), GetParam().sql);
    std::string error;
    EXPECT_EQ(store::CrawlStore::Open(path, Access::Read, error), nullptr);
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedContentAudit,
    ::testing::Values(DamagedRow{"NoTable", "DROP TABLE page_schema", "lacks the table page_schema"},
                      DamagedRow{"FlagNoFlag", "UPDATE content_audit SET hreflang = 2", "a value no run writes"},
                      DamagedRow{"ExtractorsNoJson", "UPDATE content_audit SET extractors = '{'",
                                 "a value no run writes"},
                      DamagedRow{"ExtractorOfNoKind",
                                 "UPDATE content_audit SET extractors = "
                                 "'[{\"name\":\"a\",\"kind\":\"css\",\"expression\":\"p\"}]'",
                                 "a value no run writes"}),
    RowName());

} // namespace
} // namespace vortaxel::test
