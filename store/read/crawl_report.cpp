#include "store/read/crawl_report.h"

#include "export/audit_issues.h"
#include "export/audit_summary.h"
#include "export/utf8.h"

#include <array>
#include <span>
#include <unordered_map>
#include <utility>

namespace vortaxel::store {

namespace {

struct Column {
    std::string_view title;
    /// An expression over the table's aliases; never built from anything a user typed.
    const char* expression;
    bool numeric = false;
    /// Searched by the filter.
    bool text = false;
};

struct TableShape {
    /// What rows count: one record each, joined to nothing that could drop or repeat one.
    const char* records;
    /// The same records with every column's source joined.
    const char* from;
    const char* key;
    /// The record order, which also breaks ties in any other.
    std::span<const char* const> order;
    std::span<const Column> columns;
    /// The largest id among the records, which only grows while a crawl adds them.
    const char* stamp;
};

constexpr const char* kErrorText = "CASE WHEN f.blocked THEN 'blocked by robots.txt' ELSE f.error END";

constexpr std::array kPageColumns = {
    Column{"Address", "f.url", false, true},
    Column{"Status", "NULLIF(f.status, 0)", true, true},
    Column{"Content type", "f.content_type", false, true},
    Column{"Depth", "p.depth", true, false},
    Column{"Title", "p.title", false, true},
    Column{"Description", "p.meta_description", false, true},
    Column{"H1", "p.h1", false, true},
    Column{"Words", "p.word_count", true, false},
    Column{"Time (ms)", "f.ms", true, false},
    Column{"Bytes", "f.bytes", true, false},
    Column{"Redirects", "f.redirects", true, false},
    Column{"Final address", "f.final_url", false, true},
    Column{"Error", kErrorText, false, true},
};

constexpr std::array kLinkColumns = {
    Column{"Source", "p.url", false, true},
    Column{"Target", "l.target", false, true},
    Column{"Anchor", "l.anchor", false, true},
    Column{"Element", "l.element", false, true},
    Column{"Rel", "l.rel", false, true},
    Column{"Follow", "CASE WHEN l.follow THEN 'yes' ELSE 'no' END", false, false},
    Column{"Status", "NULLIF(f.status, 0)", true, false},
    Column{"Error", kErrorText, false, false},
};

constexpr std::array kIssueColumns = {
    Column{"Issue", "i.issue", false, true},
    Column{"Page", "i.address", false, true},
    Column{"Detail", "i.detail", false, true},
    Column{"Severity", "i.severity", false, true},
};

constexpr std::array<const char*, 1> kPageOrder = {"f.id"};
constexpr std::array<const char*, 1> kLinkOrder = {"l.id"};
// A kind's rows with the same subject (the broken address a link leads to) come together.
constexpr std::array<const char*, 3> kIssueOrder = {"i.rank", "i.subject", "i.id"};

const TableShape& ShapeOf(ReportKind kind) {
    static const std::string linkFrom = std::string("links l JOIN pages p ON p.id = l.page_id ") + kLinkTargetFetch;
    static const std::array<TableShape, 3> kShapes = {
        TableShape{"fetches f", "fetches f LEFT JOIN pages p ON p.id = f.page_id", "f.id", kPageOrder, kPageColumns,
                   "SELECT max(id) FROM fetches"},
        TableShape{"links l", linkFrom.c_str(), "l.id", kLinkOrder, kLinkColumns, "SELECT max(id) FROM links"},
        TableShape{"temp.report_issues i", "temp.report_issues i", "i.fetch_id", kIssueOrder, kIssueColumns,
                   "SELECT max(id) FROM temp.report_issues"},
    };
    return kShapes.at(static_cast<std::size_t>(kind));
}

/// The filter as a LIKE pattern that takes every character literally.
std::string LikePattern(std::string_view text) {
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern + "%";
}

using audit::IssueKind;

class IssueWriter {
public:
    explicit IssueWriter(SqlDatabase& db) : db_(db) {}

    SqlStatus Prepare() {
        SqlStatus status = db_.Execute(
            "DROP TABLE IF EXISTS temp.report_issues; DROP TABLE IF EXISTS temp.report_texts;"
            "CREATE TEMP TABLE report_issues (id INTEGER PRIMARY KEY, rank INTEGER NOT NULL, issue TEXT NOT NULL,"
            "  address TEXT NOT NULL, detail TEXT NOT NULL, fetch_id INTEGER, severity TEXT NOT NULL,"
            "  subject TEXT NOT NULL DEFAULT '');"
            "CREATE TEMP TABLE report_texts (rank INTEGER NOT NULL, value TEXT NOT NULL, address TEXT NOT NULL,"
            "  fetch_id INTEGER NOT NULL)");
        if (status) {
            status = insert_.Prepare(db_, "INSERT INTO temp.report_issues (rank, issue, address, detail, fetch_id, "
                                          "severity, subject) VALUES (?, ?, ?, ?, ?, ?, ?)");
        }
        if (status) {
            status = text_.Prepare(db_, "INSERT INTO temp.report_texts (rank, value, address, fetch_id) "
                                        "VALUES (?, ?, ?, ?)");
        }
        if (status) {
            status = sourceFetch_.Prepare(db_, "SELECT max(id) FROM fetches WHERE url = ?");
        }
        return status;
    }

    void Issue(IssueKind rank, std::string_view address, std::string_view detail, std::optional<std::int64_t> fetch,
               std::string_view subject = "") {
        insert_.Bind(1, static_cast<std::int64_t>(rank));
        insert_.Bind(2, RankText(rank));
        insert_.Bind(6, audit::SeverityText(audit::InfoOf(rank).severity));
        insert_.Bind(7, subject);
        insert_.Bind(3, address);
        insert_.Bind(4, detail);
        if (fetch) {
            insert_.Bind(5, *fetch);
        } else {
            insert_.BindNull(5);
        }
        Keep(insert_.Run());
    }

    /// A title or description, to find those other pages share once every page is in.
    void Text(IssueKind missing, IssueKind shared, std::string_view value, const AuditRow& row) {
        if (value.empty()) {
            Issue(missing, row.page.url, "", row.fetchId);
            return;
        }
        text_.Bind(1, static_cast<std::int64_t>(shared));
        text_.Bind(2, value);
        text_.Bind(3, row.page.url);
        text_.Bind(4, row.fetchId);
        Keep(text_.Run());
    }

    std::optional<std::int64_t> FetchOf(std::string_view url) {
        sourceFetch_.Bind(1, url);
        std::optional<std::int64_t> id;
        if (sourceFetch_.Step() && !sourceFetch_.IsNull(0)) {
            id = sourceFetch_.Int(0);
        }
        sourceFetch_.Reset();
        return id;
    }

    SqlStatus Finish() {
        if (!status_) {
            return status_;
        }
        SqlStatement shared;
        SqlStatus status =
            shared.Prepare(db_, "INSERT INTO temp.report_issues (rank, issue, address, detail, fetch_id, severity, "
                                "subject) SELECT t.rank, CASE t.rank WHEN ?1 THEN ?2 ELSE ?3 END, t.address, t.value, "
                                "t.fetch_id, CASE t.rank WHEN ?1 THEN ?4 ELSE ?5 END, t.value "
                                "FROM temp.report_texts t WHERE (t.rank, t.value) IN "
                                "(SELECT rank, value FROM temp.report_texts GROUP BY rank, value HAVING count(*) > 1) "
                                "ORDER BY t.rank, t.value, t.fetch_id");
        if (status) {
            shared.Bind(1, static_cast<std::int64_t>(IssueKind::DuplicateTitle));
            shared.Bind(2, RankText(IssueKind::DuplicateTitle));
            shared.Bind(3, RankText(IssueKind::DuplicateDescription));
            shared.Bind(4, audit::SeverityText(audit::InfoOf(IssueKind::DuplicateTitle).severity));
            shared.Bind(5, audit::SeverityText(audit::InfoOf(IssueKind::DuplicateDescription).severity));
            status = shared.Run();
        }
        return status ? db_.Execute("DROP TABLE temp.report_texts") : status;
    }

    /// The kind as a row names it: the words the summary uses, in the singular.
    static std::string_view RankText(IssueKind rank) {
        static constexpr std::array<std::string_view, 23> kTexts = {
            "broken link",
            "blocked link",
            "client error",
            "server error",
            "no answer",
            "redirect chain",
            "redirect",
            "missing title",
            "title too long",
            "title too short",
            "duplicate title",
            "missing description",
            "description too long",
            "description too short",
            "duplicate description",
            "missing h1",
            "several h1",
            "image without alt",
            "invalid canonical",
            "sitemap error",
            "noindex",
            "canonicalised",
            "orphan",
        };
        static_assert(kTexts.size() == static_cast<std::size_t>(IssueKind::Orphan) + 1);
        return kTexts.at(static_cast<std::size_t>(rank));
    }

private:
    void Keep(const SqlStatus& status) {
        if (status_ && !status) {
            status_ = status;
        }
    }

    SqlDatabase& db_;
    SqlStatement insert_;
    SqlStatement text_;
    SqlStatement sourceFetch_;
    SqlStatus status_;
};

} // namespace

ReportTable::ReportTable(SqlDatabase& db, ReportKind kind) : db_(db), kind_(kind) {}

std::size_t ReportTable::ColumnCount() const {
    return ShapeOf(kind_).columns.size();
}

std::string_view ReportTable::ColumnTitle(std::size_t column) const {
    return ShapeOf(kind_).columns[column].title;
}

bool ReportTable::IsNumeric(std::size_t column) const {
    return ShapeOf(kind_).columns[column].numeric;
}

void ReportTable::SortBy(std::size_t column, bool ascending) {
    sortColumn_ = column < ColumnCount() ? std::optional(column) : std::nullopt;
    ascending_ = ascending;
}

void ReportTable::Filter(std::string text) {
    filter_ = std::move(text);
}

void ReportTable::OnlyLinksTo(std::string url) {
    linksTo_ = std::move(url);
}

void ReportTable::OnlyLinksOn(std::int64_t pageId) {
    linksOn_ = pageId;
}

std::string ReportTable::Where() const {
    std::string where;
    const auto add = [&where](const std::string& condition) {
        where += where.empty() ? " WHERE " : " AND ";
        where += condition;
    };
    if (linksTo_) {
        add("l.target = ?2");
    }
    if (linksOn_) {
        add("l.page_id = ?3");
    }
    if (issueKind_) {
        add("i.rank = ?6");
    }
    if (!filter_.empty()) {
        std::string any;
        for (const Column& column : ShapeOf(kind_).columns) {
            if (column.text) {
                any += any.empty() ? "(" : " OR ";
                any += column.expression;
                any += " LIKE ?1 ESCAPE '\\'";
            }
        }
        add(any + ")");
    }
    return where;
}

void ReportTable::BindWhere(SqlStatement& statement) const {
    if (!filter_.empty()) {
        statement.Bind(1, LikePattern(filter_));
    }
    if (linksTo_) {
        statement.Bind(2, *linksTo_);
    }
    if (linksOn_) {
        statement.Bind(3, *linksOn_);
    }
    if (issueKind_) {
        statement.Bind(6, *issueKind_);
    }
}

SqlStatus ReportTable::Count(std::int64_t& count) {
    const TableShape& shape = ShapeOf(kind_);
    // The records alone count fastest; the joins are needed only for what the filter reads.
    const std::string where = Where();
    const bool joins = !filter_.empty();
    SqlStatement statement;
    SqlStatus status =
        statement.Prepare(db_, std::string("SELECT count(*) FROM ") + (joins ? shape.from : shape.records) + where);
    if (!status) {
        return status;
    }
    BindWhere(statement);
    count = statement.Step() ? statement.Int(0) : 0;
    return statement.Status();
}

SqlStatus ReportTable::Rows(std::int64_t offset, std::int64_t limit, std::vector<ReportRow>& rows) {
    const TableShape& shape = ShapeOf(kind_);
    std::string sql = std::string("SELECT ") + shape.key;
    for (const Column& column : shape.columns) {
        sql += ", ";
        sql += column.expression;
    }
    sql += std::string(" FROM ") + shape.from + Where() + " ORDER BY ";
    const char* direction = ascending_ ? " ASC" : " DESC";
    if (sortColumn_) {
        sql += shape.columns[*sortColumn_].expression;
        sql += direction;
        sql += ", ";
    }
    for (std::size_t i = 0; i < shape.order.size(); ++i) {
        sql += i == 0 ? "" : ", ";
        sql += shape.order[i];
        // Ties keep the crawl's order whichever way the column runs.
        sql += sortColumn_ ? " ASC" : direction;
    }
    sql += " LIMIT ?4 OFFSET ?5";
    SqlStatement statement;
    SqlStatus status = statement.Prepare(db_, sql);
    if (!status) {
        return status;
    }
    BindWhere(statement);
    statement.Bind(4, limit);
    statement.Bind(5, offset);
    rows.clear();
    while (statement.Step()) {
        ReportRow& row = rows.emplace_back();
        row.key = statement.Int(0);
        row.cells.reserve(shape.columns.size());
        for (std::size_t c = 0; c < shape.columns.size(); ++c) {
            row.cells.emplace_back(statement.Text(static_cast<int>(c) + 1));
        }
    }
    return statement.Status();
}

SqlStatus ReportTable::Stamp(std::int64_t& stamp) {
    if (kind_ == ReportKind::Issues) {
        SqlStatement exists;
        SqlStatus status = exists.Prepare(db_, "SELECT 1 FROM temp.sqlite_master WHERE name = 'report_issues'");
        if (!status || !exists.Step()) {
            stamp = 0;
            return exists.Status();
        }
    }
    return db_.QueryInt(ShapeOf(kind_).stamp, stamp);
}

std::optional<ReportPageDetails> ReadPageDetails(CrawlStore& store, std::int64_t fetchId, std::string& error) {
    std::optional<ReportPageDetails> details;
    // One page's lookups: sorting millions of links into an index first would hold the window far longer.
    AuditReader reader(store, false);
    error = reader.ReadRow(fetchId, [&details](const AuditRow& row) { details = ReportPageDetails{row, {}, {}}; });
    if (!details || !error.empty()) {
        return std::nullopt;
    }
    SqlStatement page;
    SqlStatus status = page.Prepare(
        store.Db(), "SELECT f.page_id, p.url FROM fetches f JOIN pages p ON p.id = f.page_id WHERE f.id = ?");
    if (!status) {
        error = store.FailureText(status);
        return std::nullopt;
    }
    page.Bind(1, fetchId);
    details->linkedAs = details->row.page.url;
    if (page.Step()) {
        details->pageId = page.Int(0);
        details->linkedAs = page.Text(1);
    }
    return details;
}

std::string BuildReportIssues(CrawlStore& store) {
    if (std::string unavailable = AuditUnavailable(store); !unavailable.empty()) {
        return unavailable;
    }
    IssueWriter issues(store.Db());
    if (SqlStatus status = issues.Prepare(); !status) {
        return store.FailureText(status);
    }
    AuditReader reader(store);
    // A page's images without alt text, by the page's address, counted as its links go by.
    std::unordered_map<std::string, std::uint64_t> imagesWithoutAlt;
    std::string error = reader.ForEachLink([&issues, &imagesWithoutAlt](const audit::AuditLink& link) {
        if (audit::IsBrokenLink(link)) {
            const std::string outcome = link.targetStatus ? std::to_string(*link.targetStatus) : link.targetError;
            issues.Issue(IssueKind::BrokenLink, link.source, outcome + " " + link.target, issues.FetchOf(link.source),
                         link.target);
        } else if (audit::IsBlockedLink(link)) {
            issues.Issue(IssueKind::BlockedLink, link.source, link.target, issues.FetchOf(link.source), link.target);
        }
        if (audit::IsImageWithoutAlt(link)) {
            ++imagesWithoutAlt[link.source];
        }
    });
    if (!error.empty()) {
        return error;
    }
    const std::string start = store.Settings().startText;
    error = reader.ForEachRow([&](const AuditRow& row) {
        const audit::AuditPage& page = row.page;
        if (page.status && *page.status >= 400) {
            issues.Issue(*page.status >= 500 ? IssueKind::ServerError : IssueKind::ClientError, page.url,
                         std::to_string(*page.status), row.fetchId);
        } else if (!page.status && page.indexability != audit::Indexability::BlockedByRobots) {
            issues.Issue(IssueKind::NoAnswer, page.url, page.error, row.fetchId);
        }
        if (!page.redirectChain.empty()) {
            issues.Issue(page.redirectChain.size() > 1 ? IssueKind::RedirectChain : IssueKind::Redirect, page.url,
                         audit::RedirectChainText(page.redirectChain), row.fetchId);
        }
        if (std::string problem = audit::SitemapProblem(page); !problem.empty()) {
            std::string detail = "listed in a sitemap but " + problem;
            if (page.indexability == audit::Indexability::Redirect && !page.finalUrl.empty() &&
                page.finalUrl != page.url) {
                detail += " to " + page.finalUrl;
            }
            issues.Issue(IssueKind::SitemapError, page.url, detail, row.fetchId);
        }
        if (row.listed && !page.canonical.empty() && !audit::IsWebAddress(page.canonical)) {
            issues.Issue(IssueKind::InvalidCanonical, page.url, page.canonical, row.fetchId);
        }
        if (audit::HasPageText(page)) {
            issues.Text(IssueKind::MissingTitle, IssueKind::DuplicateTitle, page.title, row);
            issues.Text(IssueKind::MissingDescription, IssueKind::DuplicateDescription, page.metaDescription, row);
            const auto length = [&](std::string_view text, std::size_t shortest, std::size_t longest, IssueKind under,
                                    IssueKind over) {
                if (std::string problem = audit::LengthProblem(text, shortest, longest); !problem.empty()) {
                    issues.Issue(keywords::Utf8Length(text) > longest ? over : under, page.url, problem, row.fetchId);
                }
            };
            length(page.title, audit::kTitleShortest, audit::kTitleLongest, IssueKind::TitleTooShort,
                   IssueKind::TitleTooLong);
            length(page.metaDescription, audit::kDescriptionShortest, audit::kDescriptionLongest,
                   IssueKind::DescriptionTooShort, IssueKind::DescriptionTooLong);
            if (page.h1Count == 0) {
                issues.Issue(IssueKind::MissingH1, page.url, "", row.fetchId);
            } else if (page.h1Count > 1) {
                issues.Issue(IssueKind::SeveralH1, page.url, std::to_string(page.h1Count) + " H1s", row.fetchId);
            }
            if (const auto images = imagesWithoutAlt.find(page.url); images != imagesWithoutAlt.end()) {
                issues.Issue(IssueKind::ImagesWithoutAlt, page.url,
                             std::to_string(images->second) + (images->second == 1 ? " image" : " images"),
                             row.fetchId);
            }
        }
        if (page.indexability == audit::Indexability::Noindex) {
            issues.Issue(IssueKind::Noindex, page.url, page.robots, row.fetchId);
        } else if (page.indexability == audit::Indexability::Canonicalised) {
            issues.Issue(IssueKind::Canonicalised, page.url, page.canonical, row.fetchId);
        }
        if (audit::IsOrphan(page, audit::AuditRunMeta{start, {}, {}, 0, true})) {
            issues.Issue(IssueKind::Orphan, page.url, "", row.fetchId);
        }
    });
    if (!error.empty()) {
        return error;
    }
    const SqlStatus status = issues.Finish();
    return status ? std::string() : store.FailureText(status);
}

SqlStatus ReadIssueGroups(SqlDatabase& db, std::vector<ReportIssueGroup>& groups) {
    groups.clear();
    SqlStatement query;
    SqlStatus status = query.Prepare(db, "SELECT rank, count(*), count(DISTINCT address) FROM temp.report_issues "
                                         "GROUP BY rank ORDER BY rank");
    if (!status) {
        return status;
    }
    while (query.Step()) {
        const auto kind = static_cast<IssueKind>(query.Int(0));
        const audit::IssueKindInfo& info = audit::InfoOf(kind);
        groups.push_back({kind, std::string(info.title), std::string(audit::SeverityText(info.severity)),
                          static_cast<std::uint64_t>(query.Int(1)), static_cast<std::uint64_t>(query.Int(2))});
    }
    return query.Status();
}

void ReportTable::OnlyIssue(audit::IssueKind kind) {
    issueKind_ = static_cast<std::int64_t>(kind);
}

std::unique_ptr<CrawlStore> OpenReportStore(const std::string& path, std::string& error) {
    auto store = CrawlStore::Open(path, CrawlStore::Access::Read, error);
    if (store) {
        // The store reads under an exclusive lock; a report holds the file only while it reads, so that
        // a run may carry the crawl on meanwhile, and waits a little for a run's commit to end.
        std::int64_t ignored = 0;
        store->Db().Execute("PRAGMA locking_mode=NORMAL");
        store->Db().QueryInt("SELECT count(*) FROM settings", ignored);
        store->Db().SetBusyTimeout(250);
    }
    return store;
}

} // namespace vortaxel::store
