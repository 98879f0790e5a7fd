// Spelling in the crawl file: a file of the layout before it reads with spelling off and is upgraded when
// resumed; what a page's words are is kept, the site's own words are left out at reading, each language
// without a usable dictionary gives one note, and a flag no run writes is damage.

#include "store/content/content_audit_queries.h"
#include "store/content/content_audit_settings.h"
#include "store/content/content_audit_writer.h"
#include "store/content/spelling_queries.h"
#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/sqlite_db.h"
#include "tests/support/older_layouts.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

std::string MakeCrawl(const ScratchFolder& folder, const crawl::ContentAuditChoices& choices, const std::string& sql) {
    std::string path = (folder.Path() / "crawl.db").string();
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Create, error);
        EXPECT_NE(store, nullptr) << error;
        store::CrawlSettings settings{"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30};
        settings.contentAudit = choices;
        EXPECT_TRUE(store->StartRun(settings));
        std::string pages;
        for (int id = 1; id <= 10; ++id) {
            pages += "INSERT INTO pages (id, url, depth, turn, event) VALUES (" + std::to_string(id) +
                     ", 'http://a.test/" + std::to_string(id) + "', 0, 1, " + std::to_string(id) + ");";
        }
        EXPECT_TRUE(store::CrawlStoreDb::Of(*store).Execute(pages + "UPDATE crawl SET turns = 1, state = 'finished'"));
    }
    store::SqlDatabase db;
    EXPECT_TRUE(db.Open(path, store::SqlDatabase::Mode::ReadWrite));
    EXPECT_TRUE(db.Execute(sql));
    return path;
}

crawl::ContentAuditChoices Spelling() {
    crawl::ContentAuditChoices choices;
    choices.spelling = true;
    return choices;
}

TEST(SpellingLayout, AnOlderFileReadsWithSpellingOffAndIsUpgradedWhenResumed) {
    ScratchFolder folder("spelling-layout");
    constexpr int kBefore = store::kSpellingLayout - 1;
    crawl::ContentAuditChoices hreflang;
    hreflang.hreflang = true;
    const std::string path =
        MakeCrawl(folder, hreflang, UndoLayoutsAfter(kBefore) + "PRAGMA user_version = " + std::to_string(kBefore));
    std::string error;
    {
        auto store = store::CrawlStore::Open(path, Access::Read, error);
        ASSERT_NE(store, nullptr) << error;
        EXPECT_EQ(store->SchemaVersion(), kBefore);
        EXPECT_EQ(store->Settings().contentAudit, hreflang);
        // Its hreflang findings are read from its links alone.
        store::ContentAuditQueries queries(*store);
        EXPECT_EQ(queries.Prepare(), "");
        std::vector<std::string> notes;
        EXPECT_EQ(store::SpellingNotes(*store, notes), "");
        EXPECT_TRUE(notes.empty());
    }
    auto store = store::CrawlStore::Open(path, Access::Resume, error);
    ASSERT_NE(store, nullptr) << error;
    EXPECT_EQ(store->SchemaVersion(), store::kCrawlSchemaVersion);
    EXPECT_EQ(store->Settings().contentAudit, hreflang);
    std::int64_t count = -1;
    EXPECT_TRUE(store::CrawlStoreDb::Of(*store).QueryInt("SELECT count(*) FROM page_spelling", count));
    EXPECT_EQ(count, 0);
}

TEST(SpellingLayout, WordsAreKeptAndTheSitesOwnLeftOutAtReading) {
    ScratchFolder folder("spelling-layout");
    // "Zorblat" is the text of a link on 3 of the 10 pages: the site's own word. "Quuxly" on 2 is not.
    std::string links;
    for (int page = 1; page <= 3; ++page) {
        links += "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow, href_bytes) VALUES (" +
                 std::to_string(page) + ", 'http://a.test/', 'ZORBLAT home', 'a', '', '', 1, 0);";
    }
    links += "INSERT INTO links (page_id, target, anchor, element, rel, hreflang, follow, href_bytes) VALUES "
             "(1, 'http://a.test/', 'Quuxly', 'a', '', '', 1, 0), (2, 'http://a.test/', 'quuxly', 'a', '', '', 1, 0),"
             "(3, 'http://a.test/', 'Flumph', 'img', '', '', 1, 0), (4, 'http://a.test/', 'Flumph', 'img', '', '', "
             "1, 0), (5, 'http://a.test/', 'Flumph', 'img', '', '', 1, 0);";
    const std::string path = MakeCrawl(folder, Spelling(), links);
    std::string error;
    auto store = store::CrawlStore::Open(path, Access::Resume, error);
    ASSERT_NE(store, nullptr) << error;
    ASSERT_EQ(store->Settings().contentAudit, Spelling());

    store::ContentAuditWriter writer;
    const struct {
        std::int64_t page;
        const char* lang;
        const char* title;
        const char* description;
    } pages[] = {
        {1, "en", "Welcom to Zorblat", "Quuxly lamps"},
        {2, "en", "Zorblat Flumph", "lamps 4 you"},
        {3, "nl", "Welkom", ""},
        {4, "nl", "Winkel", ""},
        {5, "", "\xFF\xFE", ""},
    };
    for (const auto& page : pages) {
        crawl::PageRead read;
        read.facts.lang = page.lang;
        read.facts.title = page.title;
        read.facts.metaDescription = page.description;
        ASSERT_TRUE(writer.Write(store::CrawlStoreDb::Of(*store), store->Settings().contentAudit, page.page, read));
    }
    store::ContentAuditQueries queries(*store);
    ASSERT_EQ(queries.Prepare(), "");
    const struct {
        std::int64_t page;
        const char* spelling;
    } expected[] = {{1, "Welcom; Quuxly"}, {2, "Flumph"}, {3, ""}, {5, ""}, {6, ""}, {0, ""}};
    for (const auto& row : expected) {
        EXPECT_EQ(queries.For(row.page).spelling, row.spelling) << row.page;
    }
    std::vector<std::string> notes;
    EXPECT_EQ(store::SpellingNotes(*store, notes), "");
    EXPECT_EQ(notes, (std::vector<std::string>{"no Hunspell dictionary for nl; its pages are not checked (2 pages)",
                                               "no language known for 1 page; not checked for spelling"}));
}

TEST(SpellingLayout, AFlagNoRunWritesIsDamage) {
    ScratchFolder folder("spelling-layout");
    const std::string path = MakeCrawl(folder, Spelling(), "UPDATE content_audit SET spelling = 2");
    std::string error;
    EXPECT_EQ(store::CrawlStore::Open(path, Access::Read, error), nullptr);
    EXPECT_NE(error.find("a value no run writes"), std::string::npos) << error;
}

TEST(AnchorWords, SplitLikeTheTextPrint) {
    EXPECT_EQ(store::AnchorWords("Zorblat's HOME-page, caf\xC3\xA9 2go"),
              (std::vector<std::string>{"zorblat's", "home", "page", "caf\xC3\xA9", "2go"}));
    EXPECT_TRUE(store::AnchorWords(" -- ").empty());
}

} // namespace
} // namespace vortaxel::test
