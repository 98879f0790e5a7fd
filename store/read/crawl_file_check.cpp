#include "store/read/crawl_file_check.h"

#include "crawl/page/page_address.h"
#include "crawl/queue_filter.h"
#include "crawl/scope/scope_rules.h"
#include "crawl/start_text.h"
#include "store/read/kept_crawl.h"

#include <limits>
#include <optional>
#include <set>

namespace vortaxel::store {

namespace {

constexpr std::uint64_t kMaxKeptNumber = std::numeric_limits<std::int64_t>::max();

std::set<std::string> Names(SqlDatabase& db, const std::string& sql, std::string_view bound = {}) {
    std::set<std::string> names;
    SqlStatement rows;
    if (!rows.Prepare(db, sql)) {
        return names;
    }
    if (!bound.empty()) {
        rows.Bind(1, bound);
    }
    while (rows.Step()) {
        names.emplace(rows.Text(0));
    }
    return names;
}

std::set<std::string> Tables(SqlDatabase& db) {
    return Names(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
}

std::set<std::string> Columns(SqlDatabase& db, const std::string& table) {
    return Names(db, "SELECT name FROM pragma_table_info(?1)", table);
}

/// The scope the browser rules take up on resuming, from the note they kept (see BrowserRules::RulesNote).
std::optional<crawl::SiteScope> BrowserScope(const CrawlSettings& settings, const std::string& note) {
    if (note.empty()) {
        const auto start = crawl::PageIdentity(settings.startText, settings.startText);
        return start ? crawl::SiteScope::Of(*start) : std::nullopt;
    }
    const std::size_t cut = note.find('\n');
    if (cut == std::string::npos) {
        return std::nullopt; // the start page led off its site: nothing is fetched after it
    }
    return crawl::SiteScope::Of(note.substr(0, cut) + note.substr(cut + 1));
}

} // namespace

std::string MissingFromLayout(SqlDatabase& db, std::span<const char* const> layoutSteps) {
    SqlDatabase expected;
    if (!expected.Open(":memory:", SqlDatabase::Mode::Create)) {
        return {};
    }
    for (const char* step : layoutSteps) {
        if (!expected.Execute(step)) {
            return {};
        }
    }
    const std::set<std::string> tables = Tables(db);
    for (const std::string& table : Tables(expected)) {
        if (!tables.contains(table)) {
            return "the table " + table;
        }
        const std::set<std::string> columns = Columns(db, table);
        for (const std::string& column : Columns(expected, table)) {
            if (!columns.contains(column)) {
                return std::string("the column ").append(table).append(".").append(column);
            }
        }
    }
    return {};
}

std::string OutOfRange(const CrawlSettings& settings, const CrawlProgressRow& progress) {
    if (std::string start = settings.startText; !crawl::PrepareStartText(start)) {
        return "no start address";
    }
    if (settings.delay.count() < 0 || settings.delay > kMaxKeptDelay) {
        return "a delay of " + std::to_string(settings.delay.count()) + " ms";
    }
    if (settings.maxPages && (*settings.maxPages == 0 || *settings.maxPages > kMaxKeptNumber)) {
        return "a page limit of " + std::to_string(static_cast<std::int64_t>(*settings.maxPages));
    }
    if (settings.maxMemory < kMinKeptMemory || settings.maxMemory > kMaxKeptNumber) {
        return "a memory budget of " + std::to_string(static_cast<std::int64_t>(settings.maxMemory)) + " bytes";
    }
    if (progress.queueHead < 0 || progress.queueTail < progress.queueHead || progress.turns < 0 ||
        progress.events < 0) {
        return "a queue from " + std::to_string(progress.queueHead) + " to " + std::to_string(progress.queueTail);
    }
    return {};
}

std::int64_t QueuedOutsideSite(CrawlStore& store, std::string& error) {
    const CrawlSettings& settings = store.Settings();
    const bool browser = settings.rules == crawl::RuleSet::Browser;
    const std::optional<crawl::SiteScope> scope =
        browser ? BrowserScope(settings, store.Progress().rulesNote) : std::nullopt;
    // A crawl kept with a wider scope queued other hosts of its domain, as BrowserRules does.
    const auto start = crawl::PageIdentity(settings.startText, settings.startText);
    const std::optional<crawl::WideScope> wide =
        browser && start ? crawl::WideScope::For(settings.controls.scope, *start) : std::nullopt;
    std::int64_t outside = 0;
    KeptCrawl kept(store);
    kept.ForEachQueued([&](std::string_view url) {
        const bool inside = browser ? scope && (wide ? wide->Contains(url) : scope->Contains(url))
                                    : !crawl::IsOutsideSite(url, settings.startText);
        outside += inside ? 0 : 1;
    });
    error = kept.Error();
    return outside;
}

} // namespace vortaxel::store
