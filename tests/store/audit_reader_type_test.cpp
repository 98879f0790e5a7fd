// A fetch that listed no page is read as HTML by its content type, as the fetcher judged it when it came in.

#include "store/crawl_store.h"
#include "store/crawl_store_db.h"
#include "store/read/audit_reader.h"
#include "store/sqlite_db.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::test {
namespace {

using Access = store::CrawlStore::Access;

TEST(AuditReaderContentType, AnUnlistedAnswerIsHtmlByItsType) {
    const struct {
        const char* type;
        audit::Indexability indexability;
    } rows[] = {
        {"text/html", audit::Indexability::Indexable},
        {"Text/HTML; charset=utf-8", audit::Indexability::Indexable},
        {"application/xhtml+xml", audit::Indexability::Indexable},
        // Written so by an older release, whose check trimmed trailing blanks alone.
        {" text/html", audit::Indexability::Indexable},
        {"\ttext/html ;charset=utf-8", audit::Indexability::Indexable},
        {"text/htmlx", audit::Indexability::NotHtml},
        {"image/png", audit::Indexability::NotHtml},
    };
    for (const auto& row : rows) {
        ScratchFolder folder("reader-type");
        const std::string path = (folder.Path() / "crawl.db").string();
        std::string error;
        auto store = store::CrawlStore::Open(path, Access::Create, error);
        ASSERT_NE(store, nullptr) << error;
        ASSERT_TRUE(store->StartRun({"http://a.test/", crawl::RuleSet::Browser, false, {}, {}, 1 << 30}));
        store::SqlDatabase& db = store::CrawlStoreDb::Of(*store);
        store::SqlStatement fetch;
        ASSERT_TRUE(fetch.Prepare(db, "INSERT INTO fetches (event, turn, page_id, url, blocked, ok, status, "
                                      "final_url, content_type, body_skipped, bytes, ms, redirects, error) "
                                      "VALUES (1, 1, NULL, 'http://a.test/x', 0, 1, 200, 'http://a.test/x', ?, 0, "
                                      "10, 0, 0, '')"));
        fetch.Bind(1, std::string_view(row.type));
        ASSERT_TRUE(fetch.Run());
        std::size_t seen = 0;
        store::AuditReader reader(*store, false);
        EXPECT_EQ(reader.ForEachRow([&](const store::AuditRow& read) {
            seen += 1;
            EXPECT_EQ(read.page.indexability, row.indexability) << row.type;
        }),
                  "");
        EXPECT_EQ(seen, 1u) << row.type;
    }
}

} // namespace
} // namespace vortaxel::test
