#include "store/read/content_queries.h"

#include "store/crawl_store_db.h"
#include "store/sqlite_db.h"

#include <vector>

namespace vortaxel::store {

namespace {

// A page may be listed by more than one fetch (its own and one that redirected to it): the first wins.
constexpr const char* kPrintsQuery =
    "SELECT p.id, p.url, coalesce(p.meta_robots, ''), f.robots_tag, coalesce(p.canonical, ''), "
    "coalesce(p.word_count, 0), t.text_hash, t.blocks FROM fetches f JOIN pages p ON p.id = f.page_id "
    "JOIN text_prints t ON t.page_id = p.id ORDER BY p.id, f.id";

} // namespace

std::string MissingTextPrints(CrawlStore& store) {
    if (store.Settings().rules != crawl::RuleSet::Browser) {
        return "the crawl kept no text prints to compare its pages by: it was made under classic rules";
    }
    if (store.SchemaVersion() < kContentAuditLayout || !store.Settings().duplicates) {
        return "the crawl kept no text prints to compare its pages by: it was made without --duplicates";
    }
    return {};
}

std::string ContentQueries::ForEachPrint(const std::function<void(const PrintedPage&)>& visit) {
    SqlStatement rows;
    SqlStatus status = rows.Prepare(CrawlStoreDb::Of(store_), kPrintsQuery);
    if (!status) {
        return store_.FailureText(status);
    }
    std::int64_t last = 0;
    while (rows.Step()) {
        PrintedPage page;
        page.pageId = rows.Int(0);
        if (page.pageId == last) {
            continue;
        }
        last = page.pageId;
        page.url = rows.Text(1);
        page.metaRobots = rows.Text(2);
        page.robotsTag = rows.Text(3);
        page.canonical = rows.Text(4);
        page.wordCount = static_cast<std::uint64_t>(rows.Int(5));
        page.textHash = static_cast<std::uint64_t>(rows.Int(6));
        page.blocks = rows.Blob(7);
        visit(page);
    }
    return rows.Status() ? std::string() : store_.FailureText(rows.Status());
}

std::string ContentQueries::BlocksOf(std::int64_t pageId, std::string& blocks) {
    SqlStatement query;
    SqlStatus status = query.Prepare(CrawlStoreDb::Of(store_), "SELECT blocks FROM text_prints WHERE page_id = ?");
    if (!status) {
        return store_.FailureText(status);
    }
    query.Bind(1, pageId);
    blocks.clear();
    if (query.Step()) {
        blocks = query.Blob(0);
    }
    return query.Status() ? std::string() : store_.FailureText(query.Status());
}

std::string ContentQueries::LastPageId(std::int64_t& id) {
    std::int64_t pages = 0;
    SqlStatus status = CrawlStoreDb::Of(store_).QueryInt("SELECT coalesce(max(id), 0) FROM pages", id);
    if (status) {
        status = CrawlStoreDb::Of(store_).QueryInt("SELECT count(*) FROM pages", pages);
    }
    if (!status) {
        return store_.FailureText(status);
    }
    // A run numbers its pages from 1 with no gap; the checks hold a few numbers per id, so an id far past the
    // count (a file written by hand or damaged) would cost memory for pages that are not there.
    if (id < 0 || id > 2 * pages + 1024) {
        id = 0;
        return "cannot compare the pages of " + store_.Path() +
               ": it is damaged: its page ids lie outside the 1 to about twice the " + std::to_string(pages) +
               " pages a run numbers";
    }
    return {};
}

std::string
ContentQueries::ForEachPageAddress(const std::function<void(std::int64_t pageId, std::string_view url)>& visit) {
    SqlStatement rows;
    SqlStatus status = rows.Prepare(CrawlStoreDb::Of(store_),
                                    "SELECT p.id, p.url, f.url FROM fetches f JOIN pages p ON p.id = f.page_id");
    if (!status) {
        return store_.FailureText(status);
    }
    while (rows.Step()) {
        visit(rows.Int(0), rows.Text(1));
        if (rows.Text(2) != rows.Text(1)) {
            visit(rows.Int(0), rows.Text(2));
        }
    }
    return rows.Status() ? std::string() : store_.FailureText(rows.Status());
}

std::string
ContentQueries::ForEachFollowedLink(const std::function<void(std::int64_t pageId, std::string_view target)>& visit) {
    SqlStatement rows;
    SqlStatus status = rows.Prepare(CrawlStoreDb::Of(store_),
                                    "SELECT page_id, target FROM links WHERE follow = 1 AND element IN ('a', 'area') "
                                    "ORDER BY page_id, id");
    if (!status) {
        return store_.FailureText(status);
    }
    while (rows.Step()) {
        visit(rows.Int(0), rows.Text(1));
    }
    return rows.Status() ? std::string() : store_.FailureText(rows.Status());
}

} // namespace vortaxel::store
