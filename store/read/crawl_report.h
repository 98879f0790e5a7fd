#pragma once

#include "export/audit_issues.h"
#include "store/crawl_store.h"
#include "store/read/audit_reader.h"
#include "store/sqlite_db.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::store {

/// The tables a report shows over a kept crawl.
enum class ReportKind {
    /// Every fetch and blocked address, with the facts of the page it listed.
    Pages,
    /// Every link of every page.
    Links,
    /// The audit's findings, one row per page and finding (see `BuildReportIssues`): issue, page, detail and
    /// severity ("error", "warning", "notice").
    Issues,
};

/// One row as a table shows it: the key of its record (a fetch's or a link's id) and its cells.
struct ReportRow {
    std::int64_t key = 0;
    std::vector<std::string> cells;
};

/// A view of one report table, read from the file window by window: sorting and filtering are done by
/// SQLite, so nothing but the rows asked for is ever held. Every value the user gives is bound.
class ReportTable {
public:
    ReportTable(CrawlStore& store, ReportKind kind);

    ReportKind Kind() const { return kind_; }
    std::size_t ColumnCount() const;
    std::string_view ColumnTitle(std::size_t column) const;
    /// Whether the column holds numbers, which sort and align as numbers.
    bool IsNumeric(std::size_t column) const;

    /// Rows in this column's order, the record's id breaking ties; a column past the last restores the
    /// crawl's order.
    void SortBy(std::size_t column, bool ascending);
    /// Only rows with `text` somewhere in their text columns (as typed: % and _ are no wildcards).
    void Filter(std::string text);
    /// Link tables only: the links that point at `url` (a page's inlinks).
    void OnlyLinksTo(std::string url);
    /// Link tables only: the links on the page `pageId` (its outlinks).
    void OnlyLinksOn(std::int64_t pageId);
    /// Issue tables only: the rows of one kind (a branch of ReadIssueGroups' tree).
    void OnlyIssue(audit::IssueKind kind);
    /// Issue tables only: the rows of every kind again.
    void AllIssues() { issueKind_.reset(); }

    SqlStatus Count(std::int64_t& count);
    /// Up to `limit` rows from `offset` on, in the table's order.
    SqlStatus Rows(std::int64_t offset, std::int64_t limit, std::vector<ReportRow>& rows);
    /// A number that grows whenever the crawl adds rows to the table's records: cheap to ask every second.
    SqlStatus Stamp(std::int64_t& stamp);

private:
    std::string Where() const;
    void BindWhere(SqlStatement& statement) const;

    SqlDatabase& db_;
    ReportKind kind_;
    std::optional<std::size_t> sortColumn_;
    bool ascending_ = true;
    std::string filter_;
    std::optional<std::string> linksTo_;
    std::optional<std::int64_t> linksOn_;
    std::optional<std::int64_t> issueKind_;
};

/// One kind of finding in the Issues table, as the top of a tree of kind, count and pages shows it.
struct ReportIssueGroup {
    audit::IssueKind kind;
    /// As the audit page heads it ("Broken links").
    std::string title;
    std::string severity;
    /// Its rows, and the distinct pages among them.
    std::uint64_t rows = 0;
    std::uint64_t pages = 0;
};

/// The kinds BuildReportIssues found, in their order (errors first), with their counts.
SqlStatus ReadIssueGroups(CrawlStore& store, std::vector<ReportIssueGroup>& groups);

/// What the details of one page show: its audit row, and the page's id when it listed one.
struct ReportPageDetails {
    AuditRow row;
    std::optional<std::int64_t> pageId;
    /// The address links to the page name: the listed page's, else the address fetched.
    std::string linkedAs;
};

/// The audit's reading of the fetch `fetchId`; nullopt when there is none. Errors name the file.
std::optional<ReportPageDetails> ReadPageDetails(CrawlStore& store, std::int64_t fetchId, std::string& error);

/// Works out the audit's findings as the audit page lists them (broken links with each page holding them,
/// grouped by the address they lead to, links robots.txt blocks, error pages, redirects, missing, shared,
/// too long and too short titles and descriptions, H1s, invalid canonicals, images without alt text,
/// addresses a sitemap lists that answer no page, noindex, canonicalised and orphan pages) into a table of the
/// connection's own, which the Issues table reads; built again on each call. Returns why it failed, or "".
std::string BuildReportIssues(CrawlStore& store);

/// Opens a kept crawl for reading beside a run that may write it: the store leaves the file unlocked
/// between reads. nullptr with `error` when it is no crawl database.
std::unique_ptr<CrawlStore> OpenReportStore(const std::string& path, std::string& error);

} // namespace vortaxel::store
