// A crawl file of the layout before the duplicate checks is read as it is, with them off, and upgraded when a
// run carries it on; the checks' settings come back as they were kept, and a kept value no run writes is damage.

#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/read/content_queries.h"
#include "store/sqlite_db.h"
#include "tests/support/older_layouts.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

store::CrawlSettings Checked() {
    store::CrawlSettings settings{"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30};
    settings.duplicates = true;
    settings.nearPercent = 80;
    settings.thinWords = 50;
    settings.linkScore = true;
    return settings;
}

std::string MakeCrawl(const ScratchFolder& folder, const std::string& sql) {
    std::string path = (folder.Path() / "crawl.db").string();
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Create, error);
        EXPECT_NE(store, nullptr) << error;
        EXPECT_TRUE(store->StartRun(Checked()));
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).Execute("UPDATE crawl SET turns = 1, state = 'finished'"));
    }
    store::SqlDatabase db;
    EXPECT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
    EXPECT_TRUE(db.Execute(sql));
    return path;
}

TEST(ContentLayout, TheSettingsComeBackAsKept) {
    ScratchFolder folder("content-layout");
    const std::string path = MakeCrawl(folder, "SELECT 1");
    std::string error;
    auto store = store::CrawlStore::Open(path, Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    EXPECT_EQ(store->Settings(), Checked());
    EXPECT_EQ(store::MissingTextPrints(*store), "");
}

TEST(ContentLayout, TheLayoutBeforeIsReadAsItIsAndUpgradedWhenResumed) {
    ScratchFolder folder("content-layout");
    const std::string path =
        MakeCrawl(folder, UndoLayoutsAfter(store::kContentAuditLayout - 1) +
                              "PRAGMA user_version = " + std::to_string(store::kContentAuditLayout - 1));
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Read, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), store::kContentAuditLayout - 1);
        EXPECT_FALSE(store->Settings().duplicates);
        EXPECT_EQ(store->Settings().nearPercent, 90);
        EXPECT_EQ(store->Settings().thinWords, 200);
        EXPECT_FALSE(store->Settings().linkScore);
        EXPECT_NE(store::MissingTextPrints(*store).find("without --duplicates"), std::string::npos);
    }
    {
        auto store = store::CrawlStore::Open(path, Access::Resume, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), store::kCrawlSchemaVersion);
        std::int64_t tables = 0;
        ASSERT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt(
            "SELECT count(*) FROM sqlite_master WHERE name = 'text_prints'", tables));
        EXPECT_EQ(tables, 1);
        EXPECT_FALSE(store->Settings().duplicates);
    }
}

TEST(ContentLayout, AKeptValueNoRunWritesIsDamage) {
    const struct {
        const char* name;
        const char* sql;
    } cases[] = {
        {"duplicates neither 0 nor 1", "UPDATE settings SET duplicates = 2"},
        {"a threshold of 0", "UPDATE settings SET near_duplicates = 0"},
        {"a threshold over 100", "UPDATE settings SET near_duplicates = 101"},
        {"a negative word count", "UPDATE settings SET thin_words = -1"},
        {"link score neither 0 nor 1", "UPDATE settings SET link_score = 5"},
    };
    for (const auto& item : cases) {
        ScratchFolder folder("content-layout");
        const std::string path = MakeCrawl(folder, item.sql);
        std::string error;
        EXPECT_EQ(store::CrawlStore::Open(path, Access::Read, error), nullptr) << item.name;
        EXPECT_NE(error.find("damaged"), std::string::npos) << item.name << ": " << error;
    }
}

TEST(ContentLayout, PageIdsFarPastTheCountAreDamageNotMemory) {
    const struct {
        const char* name;
        const char* sql;
        bool damaged;
    } cases[] = {
        {"no pages", "SELECT 1", false},
        {"ids from 1 on",
         "INSERT INTO pages (id, url, turn, event) VALUES (1, 'http://a.test/', 1, 1), "
         "(2, 'http://a.test/b', 1, 2)",
         false},
        {"an id of 2^40", "INSERT INTO pages (id, url, turn, event) VALUES (1099511627776, 'http://a.test/', 1, 1)",
         true},
        {"a negative id", "INSERT INTO pages (id, url, turn, event) VALUES (-5, 'http://a.test/', 1, 1)", true},
    };
    for (const auto& item : cases) {
        ScratchFolder folder("content-layout");
        const std::string path = MakeCrawl(folder, item.sql);
        std::string error;
        auto store = store::CrawlStore::Open(path, Access::Read, error);
        ASSERT_NE(store, nullptr) << item.name << ": " << error;
        std::int64_t last = -1;
        const std::string refused = store::ContentQueries(*store).LastPageId(last);
        EXPECT_EQ(refused.find("damaged") != std::string::npos, item.damaged) << item.name << ": " << refused;
        EXPECT_LE(last, 2) << item.name;
    }
}

} // namespace
} // namespace vortaxel::test
