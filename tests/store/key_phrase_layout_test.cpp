// A crawl file of the layout before pages kept their text is read as it is and upgraded when a run
// carries it on, keeping the setting it began with; a file of the text's layout without its tables is damaged.

#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/read/audit_reader.h"
#include "store/read/key_phrase_queries.h"
#include "store/sqlite_db.h"
#include "tests/support/older_layouts.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

store::CrawlSettings Browser(bool keyPhrases) {
    store::CrawlSettings settings{"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30};
    settings.keyPhrases = keyPhrases;
    return settings;
}

/// A browser crawl of one page and its fetch, then `sql` run on the file.
std::string MakeCrawl(const ScratchFolder& folder, bool keyPhrases, const std::string& sql) {
    std::string path = (folder.Path() / "crawl.db").string();
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Create, error);
        EXPECT_NE(store, nullptr) << error;
        EXPECT_TRUE(store->StartRun(Browser(keyPhrases)));
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).Execute(
            "INSERT INTO pages (id, url, depth, turn, event, title) VALUES (1, 'http://a.test/', 0, 1, 1, 'A');"
            "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, final_url, content_type, "
            "body_skipped, bytes, ms, redirects, error) VALUES (1, 1, 1, 'http://a.test/', 0, 1, 200, "
            "'http://a.test/', 'text/html', 0, 10, 1, 0, '');"
            "UPDATE crawl SET turns = 1, state = 'finished'"));
    }
    store::SqlDatabase db;
    EXPECT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
    EXPECT_TRUE(db.Execute(sql));
    return path;
}

TEST(TextLayout, AFourthLayoutFileIsReadAsItIsAndUpgradedWhenResumed) {
    ScratchFolder folder("layout");
    const std::string path = MakeCrawl(folder, false, UndoLayoutsAfter(4) + "PRAGMA user_version = 4;");
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Read, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), 4);
        EXPECT_FALSE(store->Settings().keyPhrases);
        EXPECT_NE(store::KeptTextUnavailable(*store).find("without key phrases"), std::string::npos);
        std::size_t rows = 0;
        store::AuditReader reader(*store, false);
        EXPECT_EQ(reader.ForEachRow([&rows](const store::AuditRow& row) {
            rows += 1;
            EXPECT_TRUE(row.keyPhrases.empty());
        }),
                  "");
        EXPECT_EQ(rows, 1u);
    }
    {
        auto store = store::CrawlStore::Open(path, Access::Resume, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), store::kCrawlSchemaVersion);
        EXPECT_FALSE(store->Settings().keyPhrases);
        std::int64_t count = -1;
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM page_candidates", count));
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM key_phrases", count));
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM pages WHERE text_lang IS NULL AND "
                                                             "meta_keywords IS NULL AND first_heading IS NULL",
                                                             count));
        EXPECT_EQ(count, 1);
    }
}

TEST(TextLayout, TheSettingIsKeptAndReadBack) {
    ScratchFolder folder("layout");
    const std::string path = MakeCrawl(folder, true, "SELECT 1");
    std::string error;
    auto store = store::CrawlStore::Open(path, Access::Read, error);
    ASSERT_NE(store, nullptr) << error;
    EXPECT_TRUE(store->Settings().keyPhrases);
    EXPECT_EQ(store::KeptTextUnavailable(*store), "");
}

struct DamagedRow {
    const char* name;
    const char* sql;
    const char* reason;
};

class DamagedTextLayout : public ::testing::TestWithParam<DamagedRow> {};

TEST_P(DamagedTextLayout, IsRefusedWithWhatItLacks) {
    ScratchFolder folder("layout");
    const std::string path = MakeCrawl(folder, true, GetParam().sql);
    std::string error;
    EXPECT_EQ(store::CrawlStore::Open(path, Access::Read, error), nullptr);
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedTextLayout,
    ::testing::Values(DamagedRow{"NoCandidates", "DROP TABLE page_candidates", "lacks the table page_candidates"},
                      DamagedRow{"NoKeyPhrases", "DROP TABLE key_phrases", "lacks the table key_phrases"},
                      DamagedRow{"NoSetting", "ALTER TABLE settings DROP COLUMN key_phrases",
                                 "lacks the column settings.key_phrases"},
                      DamagedRow{"SettingNoFlag", "UPDATE settings SET key_phrases = 7", "a value no run writes"},
                      DamagedRow{"ControlsNoObject", "UPDATE settings SET controls = '[]'", "a value no run writes"},
                      DamagedRow{"NoControls", "ALTER TABLE settings DROP COLUMN controls",
                                 "lacks the column settings.controls"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vortaxel::test
