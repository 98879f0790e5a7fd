#include "store/read/audit_reader.h"

#include "store/crawl_store_db.h"
#include "store/sqlite_db.h"
#include "web/html_type.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vortaxel::store {

namespace {

constexpr std::string_view kBlocked = "blocked by robots.txt";
constexpr std::string_view kExcluded = "excluded";

// Pages are joined through the fetch that listed them; the counts come from the links' indexes.
constexpr const char* kRowColumns =
    "SELECT f.id, f.url, f.blocked, f.ok, f.status, f.final_url, f.content_type, f.bytes, f.ms, f.redirects,"
    "  f.error, f.robots_tag, p.id, p.url, p.depth, p.title, p.meta_description, p.h1, p.h1_count, p.canonical,"
    "  p.meta_robots, p.lang, p.word_count, p.in_sitemap, f.body_skipped, ";
// Whether a sitemap lists the address fetched; a file kept before that was kept knows it of listed pages only.
constexpr const char* kRowSitemapColumn = "f.in_sitemap";
constexpr const char* kRowSitemapBefore = "0";
constexpr const char* kRowFrom = " FROM fetches f LEFT JOIN pages p ON p.id = f.page_id";
constexpr int kFetchSitemapLayout = 4;
// A page's meta keywords, in the layout that keeps its text.
constexpr const char* kRowMetaKeywords = ", p.meta_keywords";
constexpr int kTextLayout = 5;
constexpr const char* kKeyPhrasesQuery = "SELECT key, phrase, score FROM key_phrases WHERE page_id = ? ORDER BY rank";
constexpr const char* kInlinksQuery = "SELECT count(DISTINCT page_id) FROM links WHERE target = ? AND page_id != ?";
constexpr const char* kOutlinksQuery = "SELECT count(*) FROM links WHERE page_id = ?";
constexpr const char* kHopsQuery = "SELECT code, url FROM hops WHERE fetch_id = ? ORDER BY hop";
// Links whose target's last fetch failed or answered 4xx or 5xx, as IsBrokenLink decides: a blocked one is
// no broken link.
constexpr const char* kBrokenQuery = "SELECT count(*), count(DISTINCT l.target), count(DISTINCT p.url) "
                                     "FROM links l JOIN pages p ON p.id = l.page_id ";
constexpr const char* kBrokenWhere =
    " WHERE f.id IS NOT NULL AND f.blocked = 0 AND (coalesce(f.error, '') != '' OR f.status >= 400)";
constexpr const char* kLinkQuery = "SELECT p.url, l.target, l.anchor, l.element, l.rel, l.follow, f.ok, f.status, "
                                   "f.error, f.blocked, l.page_id, f.id, ";
constexpr const char* kLinkFrom = " FROM links l JOIN pages p ON p.id = l.page_id ";
// How long an href left out for its length was; a file kept before such links were kept has none.
constexpr const char* kLinkHrefBytes = "l.href_bytes";
constexpr const char* kLinkHrefBytesBefore = "0";
constexpr int kHrefBytesLayout = 7;
// Each address's last fetch, keyed by the address itself: one lookup a link finds its target's outcome, where
// kLinkTargetFetch takes one in the index by address and another in the fetches. Of the rows max() picks
// from, SQLite takes the other columns from the one with the greatest id.
constexpr const char* kLastFetchesTable =
    "CREATE TEMP TABLE IF NOT EXISTS last_fetches (url TEXT PRIMARY KEY, id INTEGER NOT NULL, ok INTEGER NOT NULL,"
    "  status INTEGER NOT NULL, error TEXT NOT NULL, blocked INTEGER NOT NULL) WITHOUT ROWID; "
    "DELETE FROM temp.last_fetches; "
    "INSERT INTO temp.last_fetches SELECT url, max(id), ok, status, error, blocked FROM fetches GROUP BY url";
constexpr const char* kLastFetchJoin = "LEFT JOIN temp.last_fetches f ON f.url = l.target";
// Sorted and made distinct when they have doubled since they last were, and never below this many.
constexpr std::size_t kFewestIdsToSort = std::size_t{1} << 16;

std::string JoinRobots(std::string_view meta, std::string_view header) {
    std::string robots(meta);
    if (!header.empty()) {
        robots.append(robots.empty() ? "" : ", ").append(header);
    }
    return robots;
}

/// The table kLastFetchesTable makes, for as long as it lives: it lives beside the connection, not in the
/// file, so a read-only file is read the same way.
class LastFetches {
public:
    explicit LastFetches(SqlDatabase& db) : db_(db), status_(db.Execute(kLastFetchesTable)) {}
    ~LastFetches() { db_.Execute("DROP TABLE IF EXISTS temp.last_fetches"); }
    LastFetches(const LastFetches&) = delete;
    LastFetches& operator=(const LastFetches&) = delete;
    LastFetches(LastFetches&&) = delete;
    LastFetches& operator=(LastFetches&&) = delete;

    const SqlStatus& Status() const { return status_; }

private:
    SqlDatabase& db_;
    SqlStatus status_;
};

/// The link in the first six columns of `links` (page address, target, anchor, element, rel, follow), its
/// target's outcome not yet known. Assigned field by field rather than made anew, so that each text keeps the
/// room the last link's had.
void ReadLinkColumns(const SqlStatement& links, audit::AuditLink& link) {
    link.source = links.Text(0);
    link.target = links.Text(1);
    link.anchor = links.Text(2);
    link.element = links.Text(3);
    link.rel = links.Text(4);
    link.follow = links.Int(5) != 0;
    link.targetStatus.reset();
    link.targetError.clear();
    link.targetBlocked = false;
    link.targetExcluded = false;
    link.hrefBytes = 0;
}

const char* HrefBytesColumn(const CrawlStore& store) {
    return store.SchemaVersion() >= kHrefBytesLayout ? kLinkHrefBytes : kLinkHrefBytesBefore;
}

void MakeDistinct(std::vector<std::int64_t>& ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

} // namespace

std::string AuditUnavailable(const CrawlStore& store) {
    if (store.Settings().rules != crawl::RuleSet::Browser) {
        return "the crawl kept in " + store.Path() + " ran under classic rules, which keep no page facts";
    }
    if (store.SchemaVersion() < 2) {
        return "the crawl kept in " + store.Path() + " was kept without page facts";
    }
    return {};
}

AuditReader::AuditReader(CrawlStore& store, bool indexLinks)
    : store_(store), gate_(store.Settings().controls, store.Settings().startText) {
    if (indexLinks) {
        IndexLinks();
    }
}

void AuditReader::IndexLinks() {
    // A run leaves them out; a read-only file may then lack them, and the lookups are slower, not wrong.
    // The page beside the target lets the inlinks be counted from the index alone, with no visit to each link.
    CrawlStoreDb::Of(store_).Execute("CREATE INDEX IF NOT EXISTS links_target ON links (target, page_id); "
                                     "CREATE INDEX IF NOT EXISTS fetches_url ON fetches (url); "
                                     "CREATE INDEX IF NOT EXISTS pages_url ON pages (url)");
}

bool AuditReader::HoldTargets(std::size_t most) {
    auto targets = std::make_unique<LinkTargetTable>();
    if (targets->Load(CrawlStoreDb::Of(store_), most)) {
        targets_ = std::move(targets);
        inlinksCounted_ = false;
    }
    return targets_ != nullptr;
}

std::string AuditReader::ForEachRow(const std::function<void(const AuditRow&)>& visit) {
    return ReadRows(std::nullopt, visit);
}

std::string AuditReader::ReadRow(std::int64_t fetchId, const std::function<void(const AuditRow&)>& visit) {
    return ReadRows(fetchId, visit);
}

std::string AuditReader::ReadRows(std::optional<std::int64_t> fetchId,
                                  const std::function<void(const AuditRow&)>& visit) {
    SqlDatabase& db = CrawlStoreDb::Of(store_);
    SqlStatement rows;
    SqlStatement inlinks;
    SqlStatement outlinks;
    SqlStatement hops;
    const char* sitemapColumn = store_.SchemaVersion() >= kFetchSitemapLayout ? kRowSitemapColumn : kRowSitemapBefore;
    const bool keptText = store_.SchemaVersion() >= kTextLayout && store_.Settings().keyPhrases;
    SqlStatus status = rows.Prepare(db, std::string(kRowColumns) + sitemapColumn + (keptText ? kRowMetaKeywords : "") +
                                            kRowFrom + (fetchId ? " WHERE f.id = ?" : " ORDER BY f.id"));
    if (status && fetchId) {
        rows.Bind(1, *fetchId);
    }
    if (status) {
        status = inlinks.Prepare(db, kInlinksQuery);
    }
    if (status) {
        status = outlinks.Prepare(db, kOutlinksQuery);
    }
    if (status) {
        status = hops.Prepare(db, kHopsQuery);
    }
    SqlStatement keyPhrases;
    if (status && keptText) {
        status = keyPhrases.Prepare(db, kKeyPhrasesQuery);
    }
    if (!status) {
        return store_.FailureText(status);
    }
    const auto count = [](SqlStatement& query) {
        const std::int64_t value = query.Step() ? query.Int(0) : 0;
        query.Reset();
        return static_cast<std::uint64_t>(value);
    };
    AuditRow row;
    while (rows.Step()) {
        audit::AuditPage& page = row.page;
        page = audit::AuditPage{};
        row.lang.clear();
        row.metaKeywords.clear();
        row.keyPhrases.clear();
        row.fetchId = rows.Int(0);
        const bool blocked = rows.Int(2) != 0;
        const bool ok = rows.Int(3) != 0;
        page.url = rows.Text(1);
        if (rows.Int(4) != 0) {
            page.status = static_cast<int>(rows.Int(4));
        }
        page.finalUrl = rows.Text(5);
        page.contentType = rows.Text(6);
        page.bytes = static_cast<std::uint64_t>(rows.Int(7));
        page.elapsedMs = static_cast<std::uint64_t>(rows.Int(8));
        row.redirects = static_cast<int>(rows.Int(9));
        page.error = blocked ? std::string(kBlocked) : std::string(rows.Text(10));
        row.listed = !rows.IsNull(12);
        row.pageId = row.listed ? rows.Int(12) : 0;
        const std::string robotsTag(rows.Text(11));
        page.urlInSitemap = rows.Int(25) != 0;
        std::string self = page.url;
        if (row.listed) {
            self = rows.Text(13);
            page.depth = rows.IsNull(14) ? -1 : static_cast<int>(rows.Int(14));
            page.title = rows.Text(15);
            page.metaDescription = rows.Text(16);
            page.h1 = rows.Text(17);
            page.h1Count = static_cast<int>(rows.Int(18));
            page.canonical = rows.Text(19);
            page.robots = JoinRobots(rows.Text(20), robotsTag);
            row.lang = rows.Text(21);
            page.wordCount = static_cast<std::uint64_t>(rows.Int(22));
            // A page kept before fetches kept the mark was listed under the address asked for or where it landed.
            page.urlInSitemap = page.urlInSitemap || (rows.Int(23) != 0 && self == page.url);
            page.inSitemap = rows.Int(23) != 0;
            outlinks.Bind(1, rows.Int(12));
            page.outlinks = count(outlinks);
            if (keptText) {
                row.metaKeywords = rows.Text(26);
                keyPhrases.Bind(1, rows.Int(12));
                while (keyPhrases.Step()) {
                    row.keyPhrases.push_back(
                        {std::string(keyPhrases.Text(0)), std::string(keyPhrases.Text(1)), keyPhrases.Real(2)});
                }
                keyPhrases.Reset();
            }
        } else {
            // Only a listed page keeps its depth; an address that is no page has none to chart.
            page.depth = -1;
            page.robots = robotsTag;
        }
        // Links name the address as written, whatever it answers: a redirect's inlinks are the links to it,
        // not to where it leads. A page's links to its own address are no inlinks.
        const std::int64_t ownPage = row.listed && self == page.url ? rows.Int(12) : std::int64_t{-1};
        if (inlinksCounted_) {
            page.inlinks = targets_->Inlinks(page.url, ownPage);
        } else {
            inlinks.Bind(1, page.url);
            inlinks.Bind(2, ownPage);
            page.inlinks = count(inlinks);
        }
        page.inSitemap = page.inSitemap || page.urlInSitemap;
        hops.Bind(1, rows.Int(0));
        while (hops.Step()) {
            page.redirectChain.push_back({static_cast<int>(hops.Int(0)), std::string(hops.Text(1))});
        }
        hops.Reset();
        const bool html = row.listed || (ok && rows.Int(24) == 0 && web::IsHtmlType(page.contentType));
        page.indexability =
            audit::DecideIndexability({page.status, blocked, !blocked && !page.status, html, page.robots,
                                       page.canonical, self, !page.redirectChain.empty() || row.redirects > 0});
        visit(row);
    }
    return rows.Status() ? std::string() : store_.FailureText(rows.Status());
}

std::string AuditReader::ForEachLink(const std::function<void(const audit::AuditLink&)>& visit) {
    return ForEachLinkRow([&visit](const AuditLinkRow& row) { visit(row.link); });
}

std::string AuditReader::ForEachLinkRow(const std::function<void(const AuditLinkRow&)>& visit) {
    if (targets_) {
        return ForEachHeldLinkRow(visit);
    }
    const LastFetches lastFetches(CrawlStoreDb::Of(store_));
    if (!lastFetches.Status()) {
        return store_.FailureText(lastFetches.Status());
    }
    SqlStatement links;
    if (SqlStatus status = links.Prepare(CrawlStoreDb::Of(store_), std::string(kLinkQuery) + HrefBytesColumn(store_) +
                                                                       kLinkFrom + kLastFetchJoin + " ORDER BY l.id");
        !status) {
        return store_.FailureText(status);
    }
    AuditLinkRow row;
    audit::AuditLink& link = row.link;
    while (links.Step()) {
        ReadLinkColumns(links, link);
        link.hrefBytes = static_cast<std::uint64_t>(links.Int(12));
        row.pageId = links.Int(10);
        row.targetFetchId = 0;
        // An href left out for its length was never asked for, whatever its first bytes may name.
        if (!links.IsNull(11) && link.hrefBytes == 0) {
            row.targetFetchId = links.Int(11);
            if (links.Int(7) != 0) {
                link.targetStatus = static_cast<int>(links.Int(7));
            }
            link.targetBlocked = links.Int(9) != 0;
            link.targetError = link.targetBlocked ? kBlocked : links.Text(8);
        }
        MarkExcluded(row, link);
        visit(row);
    }
    return links.Status() ? std::string() : store_.FailureText(links.Status());
}

std::string AuditReader::ForEachHeldLinkRow(const std::function<void(const AuditLinkRow&)>& visit) {
    SqlStatement links;
    if (SqlStatus status =
            links.Prepare(CrawlStoreDb::Of(store_), std::string("SELECT p.url, l.target, l.anchor, l.element, l.rel, "
                                                                "l.follow, l.page_id, ") +
                                                        HrefBytesColumn(store_) + kLinkFrom + "ORDER BY l.id");
        !status) {
        return store_.FailureText(status);
    }
    inlinksCounted_ = false;
    targets_->ClearCounts();
    // A run keeps a page's links one after another, so a page is counted once per target by remembering the
    // last; a file whose links come back to an earlier page counts its inlinks through SQLite instead.
    bool inPageOrder = true;
    AuditLinkRow row;
    audit::AuditLink& link = row.link;
    while (links.Step()) {
        ReadLinkColumns(links, link);
        link.hrefBytes = static_cast<std::uint64_t>(links.Int(7));
        inPageOrder = inPageOrder && links.Int(6) >= row.pageId;
        row.pageId = links.Int(6);
        row.targetFetchId = 0;
        LinkTargetTable::Target* target = link.hrefBytes == 0 ? targets_->Find(link.target) : nullptr;
        if (target != nullptr) {
            LinkTargetTable::Count(*target, row.pageId, link.source == link.target);
            if (target->fetchId != 0) {
                row.targetFetchId = target->fetchId;
                if (target->status != 0) {
                    link.targetStatus = target->status;
                }
                link.targetBlocked = target->blocked;
                link.targetError = target->blocked ? kBlocked : std::string_view(target->error);
            }
        }
        MarkExcluded(row, link);
        visit(row);
    }
    if (!links.Status()) {
        return store_.FailureText(links.Status());
    }
    inlinksCounted_ = inPageOrder;
    return {};
}

void AuditReader::MarkExcluded(const AuditLinkRow& row, audit::AuditLink& link) const {
    // A target requested all the same (as the start page, or through a redirect) keeps its outcome.
    if (row.targetFetchId == 0 && gate_.Excludes(link.target)) {
        link.targetExcluded = true;
        link.targetError = kExcluded;
    }
}

AuditSummaryCounter::AuditSummaryCounter(CrawlStore& store) : store_(store) {
    meta_.startUrl = store_.Settings().startText;
}

void AuditSummaryCounter::Add(const AuditRow& row) {
    audit::CountPage(summary_, row.page, meta_);
    if (audit::HasPageText(row.page)) {
        withText_.push_back(row.fetchId);
        summary_.missingTitles += row.page.title.empty() ? 1 : 0;
        summary_.missingDescriptions += row.page.metaDescription.empty() ? 1 : 0;
    }
}

void AuditSummaryCounter::AddLink(const AuditLinkRow& row) {
    if (!audit::IsBrokenLink(row.link)) {
        return;
    }
    ++brokenLinks_;
    // A target's address names one last fetch, and a fetch one address: counting either is counting both.
    brokenTargets_.push_back(row.targetFetchId);
    // A page's links come one after another.
    if (brokenPages_.empty() || brokenPages_.back() != row.pageId) {
        brokenPages_.push_back(row.pageId);
    }
    if (brokenTargets_.size() >= std::max(kFewestIdsToSort, 2 * distinctAt_)) {
        MakeDistinct(brokenTargets_);
        MakeDistinct(brokenPages_);
        distinctAt_ = brokenTargets_.size();
    }
}

void AuditSummaryCounter::LinksComplete() {
    linksComplete_ = true;
}

std::string AuditReader::Summarise(audit::AuditSummary& summary) {
    AuditSummaryCounter counter(store_);
    if (std::string error = ForEachRow([&counter](const AuditRow& row) { counter.Add(row); }); !error.empty()) {
        return error;
    }
    return counter.Finish(summary);
}

std::string AuditSummaryCounter::Finish(audit::AuditSummary& result) {
    audit::AuditSummary& summary = summary_;
    std::vector<std::int64_t>& withText = withText_;
    SqlDatabase& db = CrawlStoreDb::Of(store_);
    // A temporary table lives beside the connection, not in the file, so a read-only file is read as well.
    SqlStatus status = db.Execute("CREATE TEMP TABLE IF NOT EXISTS summary_pages (fetch_id INTEGER PRIMARY KEY); "
                                  "DELETE FROM temp.summary_pages; SAVEPOINT summary_pages");
    SqlStatement insert;
    if (status) {
        status = insert.Prepare(db, "INSERT INTO temp.summary_pages (fetch_id) VALUES (?)");
    }
    for (std::size_t i = 0; status && i < withText.size(); ++i) {
        insert.Bind(1, withText[i]);
        status = insert.Run();
    }
    db.Execute(status ? "RELEASE summary_pages" : "ROLLBACK TO summary_pages; RELEASE summary_pages");
    withText = {};
    const auto shared = [&](const char* column, std::size_t& values, std::size_t& pages) {
        SqlStatement query;
        status = query.Prepare(
            db, std::string("SELECT count(*), coalesce(sum(n), 0) FROM (SELECT count(*) AS n FROM temp.summary_pages t "
                            "JOIN fetches f ON f.id = t.fetch_id JOIN pages p ON p.id = f.page_id WHERE p.") +
                    column + " != '' GROUP BY p." + column + " HAVING n > 1)");
        if (status && query.Step()) {
            values = static_cast<std::size_t>(query.Int(0));
            pages = static_cast<std::size_t>(query.Int(1));
        }
        status = status ? query.Status() : status;
    };
    if (status) {
        shared("title", summary.duplicateTitles, summary.duplicateTitlePages);
    }
    if (status) {
        shared("meta_description", summary.duplicateDescriptions, summary.duplicateDescriptionPages);
    }
    if (status && linksComplete_) {
        // The pages are counted by address; a page's id stands for its address while no two pages share one.
        SqlStatement sharedAddress;
        status = sharedAddress.Prepare(db, "SELECT 1 FROM pages GROUP BY url HAVING count(*) > 1 LIMIT 1");
        linksComplete_ = status && !sharedAddress.Step() && sharedAddress.Status();
        status = status ? sharedAddress.Status() : status;
    }
    if (status && linksComplete_) {
        MakeDistinct(brokenTargets_);
        MakeDistinct(brokenPages_);
        summary.brokenLinks = brokenLinks_;
        summary.brokenTargets = brokenTargets_.size();
        summary.pagesWithBrokenLinks = brokenPages_.size();
    } else if (status) {
        const LastFetches lastFetches(db);
        status = lastFetches.Status();
        SqlStatement broken;
        if (status) {
            status = broken.Prepare(db, std::string(kBrokenQuery) + kLastFetchJoin + kBrokenWhere);
        }
        if (status && broken.Step()) {
            summary.brokenLinks = static_cast<std::size_t>(broken.Int(0));
            summary.brokenTargets = static_cast<std::size_t>(broken.Int(1));
            summary.pagesWithBrokenLinks = static_cast<std::size_t>(broken.Int(2));
        }
        status = status ? broken.Status() : status;
    }
    db.Execute("DROP TABLE IF EXISTS temp.summary_pages");
    result = summary;
    return status ? std::string() : store_.FailureText(status);
}

std::string AuditReader::Load(audit::AuditData& data, std::size_t mostOtherLinks) {
    data.meta.startUrl = store_.Settings().startText;
    data.meta.rules = "browser";
    // The file keeps no clock: whoever ran the crawl says how long it took.
    data.meta.durationKnown = false;
    // Grown one row at a time, the list would at its last doubling hold half as much again as it needs.
    if (std::int64_t rows = 0; CrawlStoreDb::Of(store_).QueryInt("SELECT count(*) FROM fetches", rows) && rows > 0) {
        data.pages.reserve(data.pages.size() + static_cast<std::size_t>(rows));
    }
    std::string error = ForEachRow([&data](const AuditRow& row) { data.pages.push_back(row.page); });
    // A page's images are counted on the rows of its own address, as its outlinks are.
    std::unordered_map<std::string_view, std::vector<std::size_t>> rowsOf;
    for (std::size_t i = 0; i < data.pages.size(); ++i) {
        rowsOf[data.pages[i].url].push_back(i);
    }
    std::size_t others = 0;
    std::uint64_t total = 0;
    if (error.empty()) {
        error = ForEachLink([&](const audit::AuditLink& link) {
            ++total;
            if (audit::IsImageWithoutAlt(link)) {
                if (const auto rows = rowsOf.find(link.source); rows != rowsOf.end()) {
                    for (const std::size_t row : rows->second) {
                        ++data.pages[row].imagesWithoutAlt;
                    }
                }
            }
            const bool broken = audit::IsBrokenLink(link);
            if (broken || others < mostOtherLinks) {
                others += broken ? 0 : 1;
                data.links.push_back(link);
            }
        });
    }
    data.linksTotal = total;
    return error;
}

} // namespace vortaxel::store
