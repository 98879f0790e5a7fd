#include "app/audit_reader.h"

#include "app/sqlite_db.h"

#include <optional>
#include <string_view>

namespace vortaxel::app {

namespace {

constexpr std::string_view kBlocked = "blocked by robots.txt";

// Pages are joined through the fetch that listed them; the counts come from the links' indexes.
constexpr const char* kRowQuery =
    "SELECT f.id, f.url, f.blocked, f.ok, f.status, f.final_url, f.content_type, f.bytes, f.ms, f.redirects,"
    "  f.error, f.robots_tag, p.id, p.url, p.depth, p.title, p.meta_description, p.h1, p.h1_count, p.canonical,"
    "  p.meta_robots, p.lang, p.word_count, p.in_sitemap, f.body_skipped "
    "FROM fetches f LEFT JOIN pages p ON p.id = f.page_id";
constexpr const char* kInlinksQuery = "SELECT count(DISTINCT page_id) FROM links WHERE target = ? AND page_id != ?";
constexpr const char* kOutlinksQuery = "SELECT count(*) FROM links WHERE page_id = ?";
constexpr const char* kHopsQuery = "SELECT code, url FROM hops WHERE fetch_id = ? ORDER BY hop";
// Links whose target's last fetch failed, was blocked or answered 4xx or 5xx, as IsBrokenLink decides.
constexpr const char* kBrokenQuery = "SELECT count(*), count(DISTINCT l.target), count(DISTINCT p.url) "
                                     "FROM links l JOIN pages p ON p.id = l.page_id ";
constexpr const char* kBrokenWhere =
    " WHERE f.id IS NOT NULL AND (f.blocked != 0 OR coalesce(f.error, '') != '' OR f.status >= 400)";
constexpr const char* kLinkQuery =
    "SELECT p.url, l.target, l.anchor, l.element, l.rel, l.follow, f.ok, f.status, f.error, f.blocked "
    "FROM links l JOIN pages p ON p.id = l.page_id ";

std::string JoinRobots(std::string_view meta, std::string_view header) {
    std::string robots(meta);
    if (!header.empty()) {
        robots.append(robots.empty() ? "" : ", ").append(header);
    }
    return robots;
}

bool IsHtmlType(std::string_view type) {
    type = type.substr(0, type.find(';'));
    while (!type.empty() && type.back() == ' ') {
        type.remove_suffix(1);
    }
    std::string lower(type);
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lower == "text/html" || lower == "application/xhtml+xml";
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

AuditReader::AuditReader(CrawlStore& store, bool indexLinks) : store_(store) {
    // A run leaves them out; a read-only file may then lack them, and the lookups are slower, not wrong.
    if (indexLinks) {
        store_.Db().Execute("CREATE INDEX IF NOT EXISTS links_target ON links (target); "
                            "CREATE INDEX IF NOT EXISTS fetches_url ON fetches (url); "
                            "CREATE INDEX IF NOT EXISTS pages_url ON pages (url)");
    }
}

std::string AuditReader::ForEachRow(const std::function<void(const AuditRow&)>& visit) {
    return ReadRows(std::nullopt, visit);
}

std::string AuditReader::ReadRow(std::int64_t fetchId, const std::function<void(const AuditRow&)>& visit) {
    return ReadRows(fetchId, visit);
}

std::string AuditReader::ReadRows(std::optional<std::int64_t> fetchId,
                                  const std::function<void(const AuditRow&)>& visit) {
    SqlDatabase& db = store_.Db();
    SqlStatement rows;
    SqlStatement inlinks;
    SqlStatement outlinks;
    SqlStatement hops;
    SqlStatus status = rows.Prepare(db, std::string(kRowQuery) + (fetchId ? " WHERE f.id = ?" : " ORDER BY f.id"));
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
        const std::string robotsTag(rows.Text(11));
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
            page.inSitemap = rows.Int(23) != 0;
            outlinks.Bind(1, rows.Int(12));
            page.outlinks = count(outlinks);
        } else {
            page.robots = robotsTag;
        }
        inlinks.Bind(1, self);
        inlinks.Bind(2, row.listed ? rows.Int(12) : std::int64_t{-1});
        page.inlinks = count(inlinks);
        hops.Bind(1, rows.Int(0));
        while (hops.Step()) {
            page.redirectChain.push_back({static_cast<int>(hops.Int(0)), std::string(hops.Text(1))});
        }
        hops.Reset();
        const bool html = row.listed || (ok && rows.Int(24) == 0 && IsHtmlType(page.contentType));
        page.indexability = audit::DecideIndexability(
            {page.status, blocked, !blocked && !page.status, html, page.robots, page.canonical, self});
        visit(row);
    }
    return rows.Status() ? std::string() : store_.FailureText(rows.Status());
}

std::string AuditReader::ForEachLink(const std::function<void(const audit::AuditLink&)>& visit) {
    SqlStatement links;
    if (SqlStatus status = links.Prepare(store_.Db(), std::string(kLinkQuery) + kLinkTargetFetch + " ORDER BY l.id");
        !status) {
        return store_.FailureText(status);
    }
    audit::AuditLink link;
    while (links.Step()) {
        link = audit::AuditLink{};
        link.source = links.Text(0);
        link.target = links.Text(1);
        link.anchor = links.Text(2);
        link.element = links.Text(3);
        link.rel = links.Text(4);
        link.follow = links.Int(5) != 0;
        if (!links.IsNull(6)) {
            if (links.Int(7) != 0) {
                link.targetStatus = static_cast<int>(links.Int(7));
            }
            link.targetError = links.Int(9) != 0 ? std::string(kBlocked) : std::string(links.Text(8));
        }
        visit(link);
    }
    return links.Status() ? std::string() : store_.FailureText(links.Status());
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
    SqlDatabase& db = store_.Db();
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
    if (status) {
        SqlStatement broken;
        status = broken.Prepare(db, std::string(kBrokenQuery) + kLinkTargetFetch + kBrokenWhere);
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
    // Grown one row at a time, the list would at its last doubling hold half as much again as it needs.
    if (std::int64_t rows = 0; store_.Db().QueryInt("SELECT count(*) FROM fetches", rows) && rows > 0) {
        data.pages.reserve(data.pages.size() + static_cast<std::size_t>(rows));
    }
    std::string error = ForEachRow([&data](const AuditRow& row) { data.pages.push_back(row.page); });
    std::size_t others = 0;
    if (error.empty()) {
        error = ForEachLink([&](const audit::AuditLink& link) {
            const bool broken = audit::IsBrokenLink(link);
            if (broken || others < mostOtherLinks) {
                others += broken ? 0 : 1;
                data.links.push_back(link);
            }
        });
    }
    return error;
}

} // namespace vortaxel::app
