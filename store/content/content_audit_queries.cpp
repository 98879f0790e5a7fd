#include "store/content/content_audit_queries.h"

#include "export/audit_data.h"
#include "export/content/hreflang_check.h"
#include "store/content/content_audit_settings.h"
#include "store/content/content_audit_writer.h"
#include "store/content/spelling_queries.h"
#include "store/crawl_store_db.h"

#include <unordered_set>

namespace vortaxel::store {

namespace {

/// Alternates one page may have checked: a page naming more is judged by its first ones.
constexpr std::size_t kMaxAlternatesPerPage = 1'000;

/// Each page's findings by its id, read in two passes over the file: its alternates, then the fetches of
/// the addresses they name.
SqlStatus HreflangFindings(SqlDatabase& db, std::unordered_map<std::int64_t, std::string>& out) {
    SqlStatement alternates;
    // A page's Link headers name alternates as its <link> elements do; the elements' come first.
    const std::string fromLinks = "SELECT l.page_id AS page, 0 AS source, l.id AS at, l.target AS target, l.hreflang "
                                  "AS code FROM links l WHERE l.element = 'link rel=alternate' AND l.hreflang <> ''";
    const std::string fromHeaders = HasSpelling(db) ? " UNION ALL SELECT page_id, 1, ordinal, target, hreflang FROM "
                                                      "header_alternates WHERE hreflang <> ''"
                                                    : "";
    SqlStatus status = alternates.Prepare(db, "SELECT p.id, p.url, a.target, a.code FROM (" + fromLinks + fromHeaders +
                                                  ") a JOIN pages p ON p.id = a.page "
                                                  "ORDER BY a.page, a.source, a.at");
    if (!status) {
        return status;
    }
    std::vector<audit::HreflangPage> pages;
    std::unordered_map<std::string, std::int64_t> ids;
    std::unordered_set<std::string> pairs;
    std::unordered_map<std::string, audit::HreflangTarget> targets;
    std::int64_t current = 0;
    while (alternates.Step()) {
        if (pages.empty() || alternates.Int(0) != current) {
            current = alternates.Int(0);
            pages.push_back({std::string(alternates.Text(1)), {}});
            ids.emplace(pages.back().url, current);
            pairs.clear();
        }
        audit::HreflangPage& page = pages.back();
        std::string target(alternates.Text(2));
        std::string code(alternates.Text(3));
        std::string pair = code;
        pair.append(1, ' ').append(target);
        if (page.alternates.size() < kMaxAlternatesPerPage && pairs.insert(std::move(pair)).second) {
            targets.emplace(target, audit::HreflangTarget{});
            page.alternates.push_back({std::move(code), std::move(target)});
        }
    }
    if (!alternates.Status()) {
        return alternates.Status();
    }
    SqlStatement fetches;
    status = fetches.Prepare(db, "SELECT f.url, f.ok, f.status, f.robots_tag, p.meta_robots, p.canonical, p.url "
                                 "FROM fetches f LEFT JOIN pages p ON p.id = f.page_id ORDER BY f.id");
    if (!status) {
        return status;
    }
    std::unordered_set<std::string> fetched;
    while (fetches.Step()) {
        const auto target = targets.find(std::string(fetches.Text(0)));
        if (target == targets.end()) {
            continue;
        }
        // The last fetch of an address is its outcome.
        fetched.insert(target->first);
        audit::HreflangTarget& known = target->second;
        known.status = fetches.Int(1) != 0 || fetches.Int(2) != 0 ? static_cast<int>(fetches.Int(2)) : 0;
        known.noindex = audit::RobotsSayNoindex(fetches.Text(3)) || audit::RobotsSayNoindex(fetches.Text(4));
        const std::string_view canonical = fetches.Text(5);
        known.canonicalElsewhere = !canonical.empty() && canonical != fetches.Text(6) ? std::string(canonical) : "";
    }
    if (!fetches.Status()) {
        return fetches.Status();
    }
    std::erase_if(targets, [&fetched](const auto& target) { return !fetched.contains(target.first); });
    for (auto& [url, issues] : audit::HreflangIssues(pages, targets)) {
        std::string joined;
        for (const std::string& issue : issues) {
            if (!joined.empty()) {
                joined += kContentListSeparator;
            }
            joined += issue;
        }
        out.emplace(ids.at(url), std::move(joined));
    }
    return {};
}

} // namespace

std::string ContentAuditQueries::Prepare() {
    const crawl::ContentAuditChoices& choices = store_.Settings().contentAudit;
    SqlDatabase& db = CrawlStoreDb::Of(store_);
    SqlStatus status;
    if (choices.structuredData) {
        status = schema_.Prepare(db, "SELECT types, issues FROM page_schema WHERE page_id = ?");
    }
    if (status && !choices.extractors.empty()) {
        status = extracts_.Prepare(
            db, "SELECT extractor, value FROM page_extracts WHERE page_id = ? ORDER BY extractor, ordinal");
    }
    if (status && choices.hreflang) {
        status = HreflangFindings(db, hreflang_);
    }
    if (status && choices.spelling) {
        status = ReadSpelling(db, spelling_);
    }
    return status ? std::string() : store_.FailureText(status);
}

std::string ContentAuditQueries::FillSection(audit::ContentAuditSection& section) {
    section.structuredData = Choices().structuredData;
    section.hreflang = Choices().hreflang;
    section.spelling = Choices().spelling;
    SqlStatement pages;
    SqlStatus status = pages.Prepare(CrawlStoreDb::Of(store_), "SELECT id, url FROM pages ORDER BY id");
    while (status && pages.Step()) {
        audit::ContentAuditCells cells = For(pages.Int(0));
        audit::AddContentAuditRow(section, {std::string(pages.Text(1)), std::move(cells.schemaTypes),
                                            std::move(cells.schemaIssues), std::move(cells.hreflangIssues),
                                            std::move(cells.spelling)});
    }
    if (status) {
        status = pages.Status();
    }
    return status ? std::string() : store_.FailureText(status);
}

audit::ContentAuditCells ContentAuditQueries::For(std::int64_t pageId) {
    const crawl::ContentAuditChoices& choices = store_.Settings().contentAudit;
    audit::ContentAuditCells cells;
    cells.extracted.resize(choices.extractors.size());
    if (pageId == 0) {
        return cells;
    }
    if (choices.structuredData) {
        schema_.Bind(1, pageId);
        if (schema_.Step()) {
            cells.schemaTypes = schema_.Text(0);
            cells.schemaIssues = schema_.Text(1);
        }
        schema_.Reset();
    }
    if (choices.hreflang) {
        if (const auto found = hreflang_.find(pageId); found != hreflang_.end()) {
            cells.hreflangIssues = found->second;
        }
    }
    if (choices.spelling) {
        if (const auto found = spelling_.find(pageId); found != spelling_.end()) {
            cells.spelling = found->second;
        }
    }
    if (!choices.extractors.empty()) {
        extracts_.Bind(1, pageId);
        while (extracts_.Step()) {
            const std::int64_t extractor = extracts_.Int(0);
            if (extractor >= 0 && static_cast<std::size_t>(extractor) < cells.extracted.size()) {
                cells.extracted[static_cast<std::size_t>(extractor)].emplace_back(extracts_.Text(1));
            }
        }
        extracts_.Reset();
    }
    return cells;
}

} // namespace vortaxel::store
