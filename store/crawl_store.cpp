#include "store/crawl_store.h"

#include "store/content/content_audit_settings.h"
#include "store/kept_controls.h"
#include "store/read/crawl_file_check.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <sqlite3.h>
#include <system_error>
#include <unistd.h>

namespace vortaxel::store {

namespace {

/// "VRTX": marks a file as one of ours, so another program's SQLite file is told apart from a crawl.
constexpr std::int64_t kApplicationId = 0x56525458;

// Each entry brings a file from the version before it to its own number; a file of version N runs
// the entries from N on. Never edit an entry that has shipped: add one.
constexpr std::array<const char*, kCrawlSchemaVersion> kMigrations = {
    // 1: settings, progress, pages in listing order, every fetch, and the queue in chunks.
    "CREATE TABLE settings ("
    "  id INTEGER PRIMARY KEY CHECK (id = 1), start_url TEXT NOT NULL, rules TEXT NOT NULL,"
    "  robots INTEGER NOT NULL, delay_ms INTEGER NOT NULL, max_pages INTEGER, max_memory INTEGER NOT NULL);"
    "CREATE TABLE crawl ("
    "  id INTEGER PRIMARY KEY CHECK (id = 1), state TEXT NOT NULL, queue_head INTEGER NOT NULL,"
    "  queue_tail INTEGER NOT NULL, turns INTEGER NOT NULL, events INTEGER NOT NULL,"
    "  rules_note TEXT NOT NULL, stop_reason TEXT NOT NULL);"
    "CREATE TABLE pages ("
    "  id INTEGER PRIMARY KEY, url TEXT NOT NULL, depth INTEGER, found_on INTEGER REFERENCES pages (id),"
    "  turn INTEGER NOT NULL, event INTEGER NOT NULL);"
    "CREATE TABLE fetches ("
    "  id INTEGER PRIMARY KEY, event INTEGER NOT NULL, turn INTEGER NOT NULL, page_id INTEGER REFERENCES pages (id),"
    "  url TEXT NOT NULL, blocked INTEGER NOT NULL, ok INTEGER NOT NULL, status INTEGER NOT NULL,"
    "  final_url TEXT NOT NULL, content_type TEXT NOT NULL, body_skipped INTEGER NOT NULL, bytes INTEGER NOT NULL,"
    "  ms INTEGER NOT NULL, redirects INTEGER NOT NULL, error TEXT NOT NULL);"
    "CREATE TABLE queue ("
    "  pos INTEGER PRIMARY KEY, pos_end INTEGER NOT NULL, found_on INTEGER, depth INTEGER, urls BLOB NOT NULL);",
    // 2: what browser rules read on each page (its facts, every link it holds) and each redirect hop.
    "ALTER TABLE pages ADD COLUMN title TEXT;"
    "ALTER TABLE pages ADD COLUMN title_count INTEGER;"
    "ALTER TABLE pages ADD COLUMN meta_description TEXT;"
    "ALTER TABLE pages ADD COLUMN meta_robots TEXT;"
    "ALTER TABLE pages ADD COLUMN h1 TEXT;"
    "ALTER TABLE pages ADD COLUMN h1_count INTEGER;"
    "ALTER TABLE pages ADD COLUMN canonical TEXT;"
    "ALTER TABLE pages ADD COLUMN lang TEXT;"
    "ALTER TABLE pages ADD COLUMN word_count INTEGER;"
    "ALTER TABLE pages ADD COLUMN refresh TEXT;"
    "ALTER TABLE pages ADD COLUMN in_sitemap INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE fetches ADD COLUMN robots_tag TEXT NOT NULL DEFAULT '';"
    "CREATE TABLE links ("
    "  id INTEGER PRIMARY KEY, page_id INTEGER NOT NULL REFERENCES pages (id), target TEXT NOT NULL,"
    "  anchor TEXT NOT NULL, element TEXT NOT NULL, rel TEXT NOT NULL, hreflang TEXT NOT NULL,"
    "  follow INTEGER NOT NULL);"
    "CREATE INDEX links_page ON links (page_id);"
    "CREATE TABLE hops ("
    "  fetch_id INTEGER NOT NULL REFERENCES fetches (id), hop INTEGER NOT NULL, code INTEGER NOT NULL,"
    "  url TEXT NOT NULL, PRIMARY KEY (fetch_id, hop)) WITHOUT ROWID;",
    // 3: every setting that changes what a crawl finds, so that a resumed crawl goes on as it began.
    "ALTER TABLE settings ADD COLUMN follow_nofollow INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE settings ADD COLUMN sitemaps INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE settings ADD COLUMN check_resources INTEGER NOT NULL DEFAULT 0;",
    // 4: whether a sitemap lists the address a fetch asked for, also when it answered with no page.
    "ALTER TABLE fetches ADD COLUMN in_sitemap INTEGER NOT NULL DEFAULT 0;",
    // 5: a page's text as the key phrases need it: its phrase candidates with their counts per zone of the
    // page's own text, the facts beside them, and the key phrases worked out from them across the site.
    "ALTER TABLE settings ADD COLUMN key_phrases INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE pages ADD COLUMN meta_keywords TEXT;"
    "ALTER TABLE pages ADD COLUMN first_heading TEXT;"
    "ALTER TABLE pages ADD COLUMN text_lang TEXT;"
    "CREATE TABLE page_candidates ("
    "  page_id INTEGER NOT NULL REFERENCES pages (id), key TEXT NOT NULL, surface TEXT NOT NULL,"
    "  words INTEGER NOT NULL, in_title INTEGER NOT NULL, in_h1 INTEGER NOT NULL, in_heading INTEGER NOT NULL,"
    "  in_description INTEGER NOT NULL, in_image_alt INTEGER NOT NULL, in_body INTEGER NOT NULL,"
    "  first_word INTEGER NOT NULL, last_word INTEGER NOT NULL, capitalised INTEGER NOT NULL,"
    "  PRIMARY KEY (page_id, key)) WITHOUT ROWID;"
    "CREATE TABLE key_phrases ("
    "  page_id INTEGER NOT NULL REFERENCES pages (id), rank INTEGER NOT NULL, key TEXT NOT NULL,"
    "  phrase TEXT NOT NULL, score REAL NOT NULL, PRIMARY KEY (page_id, rank)) WITHOUT ROWID;",
    // 6: the crawl controls (scope, patterns, depth, list mode) and who the crawl said it was, as one object.
    "ALTER TABLE settings ADD COLUMN controls TEXT NOT NULL DEFAULT '{}';",
    // 7: a link left out for its length is kept all the same, by its start and how long it was.
    "ALTER TABLE links ADD COLUMN href_bytes INTEGER NOT NULL DEFAULT 0;",
    // 8: the duplicate checks and the link score: what the crawl was asked for, and each page's text print
    // (its visible text's hash, its blocks' hashes and their words' hashes) to compare pages by after it.
    "ALTER TABLE settings ADD COLUMN duplicates INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE settings ADD COLUMN near_duplicates INTEGER NOT NULL DEFAULT 90;"
    "ALTER TABLE settings ADD COLUMN thin_words INTEGER NOT NULL DEFAULT 200;"
    "ALTER TABLE settings ADD COLUMN link_score INTEGER NOT NULL DEFAULT 0;"
    "CREATE TABLE text_prints ("
    "  page_id INTEGER PRIMARY KEY REFERENCES pages (id), text_hash INTEGER NOT NULL, blocks BLOB NOT NULL);",
    // 9: what a browser showed of each page where the crawl rendered them (the facts its scripts changed, its
    // errors and requests) and whether each link was in the page sent, the page rendered, or both.
    "CREATE TABLE render_settings (id INTEGER PRIMARY KEY CHECK (id = 1), wait_ms INTEGER NOT NULL);"
    "CREATE TABLE rendered_pages ("
    "  page_id INTEGER PRIMARY KEY REFERENCES pages (id), title TEXT, description TEXT, h1 TEXT, canonical TEXT,"
    "  robots TEXT, js_links INTEGER NOT NULL, js_errors TEXT NOT NULL, requests INTEGER NOT NULL,"
    "  blocked INTEGER NOT NULL, ms INTEGER NOT NULL, js_redirect TEXT, error TEXT NOT NULL);"
    "ALTER TABLE links ADD COLUMN seen_in INTEGER NOT NULL DEFAULT 0;",
    // 10: what pages were read for beyond their links and facts, and what that found.
    kContentAuditMigration,
    // 11: spelling, and the language versions Link headers name.
    kSpellingMigration,
    // 12: the words of visible text only the rendered page has.
    "ALTER TABLE rendered_pages ADD COLUMN js_words INTEGER NOT NULL DEFAULT 0;",
};

bool IsSqliteHeader(const std::array<char, 100>& header) {
    return std::memcmp(header.data(), "SQLite format 3", 16) == 0;
}

std::uint32_t BigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (const char byte : bytes) {
        value = (value << 8) | static_cast<unsigned char>(byte);
    }
    return value;
}

/// Why the file at `path` is no crawl database, judged from its bytes alone; empty when it may be one.
/// A crawl's file that lost its end says so in its header: the page count it records runs past the
/// file. With a write-ahead log beside it, the log holds the rest and SQLite puts it together.
std::string CheckFileShape(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size == 0) {
        return {};
    }
    std::array<char, 100> header{};
    std::ifstream in(path, std::ios::binary);
    if (size < header.size() || !in.read(header.data(), header.size()) || !IsSqliteHeader(header)) {
        return "it is no crawl database";
    }
    const std::string_view fields(header.data(), header.size());
    std::uint32_t pageSize = BigEndian(fields.substr(16, 2));
    pageSize = pageSize == 1 ? 65536 : pageSize;
    const std::uint64_t pages = BigEndian(fields.substr(28, 4));
    const auto walSize = std::filesystem::file_size(path + "-wal", error);
    const bool hasLog = !error && walSize > 0;
    if (!hasLog && (size % pageSize != 0 || size < pages * pageSize)) {
        return "the file is truncated";
    }
    return {};
}

std::string ParentOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

std::string StateText(CrawlState state) {
    return CrawlStateName(state);
}

CrawlState StateOf(std::string_view text) {
    if (text == "finished") {
        return CrawlState::Finished;
    }
    return text == "stopped" ? CrawlState::Stopped : CrawlState::Running;
}

} // namespace

void CrawlStore::Interrupt() {
    sqlite3_interrupt(db_.Handle());
}

const char* CrawlStateName(CrawlState state) {
    switch (state) {
    case CrawlState::Finished:
        return "finished";
    case CrawlState::Stopped:
        return "stopped";
    case CrawlState::Running:
        break;
    }
    return "running";
}

std::unique_ptr<CrawlStore> CrawlStore::Open(const std::string& path, Access access, std::string& error) {
    const auto refuse = [&](const std::string& reason) {
        error = "cannot use " + path + " as a crawl database: " + reason;
        return nullptr;
    };
    std::error_code ignored;
    const bool exists = std::filesystem::exists(path, ignored);
    if (access != Access::Create && !exists) {
        return refuse("no such file");
    }
    if (exists && std::filesystem::is_directory(path, ignored)) {
        return refuse("it is a folder");
    }
    if (access == Access::Create && exists && std::filesystem::file_size(path, ignored) != 0) {
        return refuse("the file exists already (give --resume to carry on the crawl it holds)");
    }
    if (std::string shape = CheckFileShape(path); !shape.empty()) {
        return refuse(shape);
    }
    const bool writing = access != Access::Read;
    // SQLite keeps its log beside the file, so writing needs the folder as well as the file.
    if (writing && exists && ::access(path.c_str(), W_OK) != 0) {
        return refuse("the file is read-only");
    }
    if (writing && ::access(ParentOf(path).c_str(), W_OK) != 0) {
        if (errno == ENOENT) {
            return refuse("its folder " + ParentOf(path) + " does not exist");
        }
        return refuse(errno == ENOTDIR ? ParentOf(path) + " is not a folder" : std::string("its folder is read-only"));
    }
    if (exists && ::access(path.c_str(), R_OK) != 0) {
        return refuse(std::strerror(errno));
    }
    SqlDatabase db;
    const bool canWrite = writing || (::access(path.c_str(), W_OK) == 0 && ::access(ParentOf(path).c_str(), W_OK) == 0);
    const auto mode = access == Access::Create ? SqlDatabase::Mode::Create
                      : canWrite               ? SqlDatabase::Mode::ReadWrite
                                               : SqlDatabase::Mode::ReadOnly;
    if (SqlStatus status = db.Open(path, mode); !status) {
        return refuse(status.message);
    }
    std::unique_ptr<CrawlStore> store(new CrawlStore(path, std::move(db)));
    if (std::string reason = store->Prepare(access); !reason.empty()) {
        return refuse(reason);
    }
    return store;
}

CrawlStore::~CrawlStore() {
    if (running_) {
        // A crawl at rest is one plain file, readable from a read-only place.
        db_.Execute("PRAGMA journal_mode=DELETE");
    }
}

SqlStatus CrawlStore::MakeScratch() {
    running_ = false;
    sqlite3_db_config(db_.Handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    return db_.Execute("PRAGMA synchronous=OFF");
}

std::string CrawlStore::Prepare(Access access) {
    // Another crawl holding the file answers at once, not after a wait.
    db_.SetBusyTimeout(0);
    // Held from the first write until the file is closed: the lock that keeps a second process out.
    // Set before the write-ahead log, which then needs no shared-memory file.
    db_.Execute("PRAGMA locking_mode=EXCLUSIVE");
    std::int64_t appId = 0;
    std::int64_t version = 0;
    SqlStatus status = db_.QueryInt("PRAGMA application_id", appId);
    if (status) {
        status = db_.QueryInt("PRAGMA user_version", version);
    }
    if (status.code == SQLITE_BUSY || status.code == SQLITE_LOCKED) {
        return "a running crawl holds it";
    }
    if (!status) {
        return status.code == SQLITE_NOTADB ? "it is no crawl database" : status.message;
    }
    std::int64_t tables = 0;
    if (appId == 0 && version == 0 && !db_.QueryInt("SELECT count(*) FROM sqlite_master", tables)) {
        return "it is no crawl database";
    }
    const bool blank = appId == 0 && version == 0 && tables == 0;
    if (blank && access != Access::Create) {
        return "it holds no crawl";
    }
    if (!blank && appId != kApplicationId) {
        return "it is an SQLite database of another program";
    }
    if (access == Access::Create && !blank) {
        return "it is no crawl database";
    }
    if (version > kCrawlSchemaVersion) {
        return "a newer version of vortaxel wrote it (layout " + std::to_string(version) + ", this one reads up to " +
               std::to_string(kCrawlSchemaVersion) + ")";
    }
    version_ = blank ? kCrawlSchemaVersion : static_cast<int>(version);
    if (!blank) {
        // Checked whole in the layout it has, before a migration or a run writes to it.
        if (std::string missing = MissingFromLayout(db_, std::span(kMigrations).first(version_)); !missing.empty()) {
            return "it is damaged: it lacks " + missing;
        }
        if (std::string unusable = Load(); !unusable.empty()) {
            return unusable;
        }
    }
    if (access != Access::Read) {
        version_ = kCrawlSchemaVersion;
        if (blank) {
            // A new file takes its tables through the write-ahead log the run goes on with, which waits
            // for the disk once, where a rollback journal would at every step of the layout.
            status = db_.Execute("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
            if (!status) {
                return status.message;
            }
            running_ = true;
        }
        SqlTransaction transaction(db_);
        status = transaction.Begin("EXCLUSIVE");
        if (status.code == SQLITE_BUSY || status.code == SQLITE_LOCKED) {
            return "a running crawl holds it";
        }
        // A file of this version is left byte for byte as it is until a run writes to it.
        for (auto v = static_cast<std::size_t>(version); status && v < kMigrations.size(); ++v) {
            status = db_.Execute(kMigrations[v]);
        }
        if (status && blank) {
            status = db_.Execute("PRAGMA application_id=" + std::to_string(kApplicationId));
        }
        if (status && version < kCrawlSchemaVersion) {
            status = db_.Execute("PRAGMA user_version=" + std::to_string(kCrawlSchemaVersion));
        }
        if (status) {
            status = transaction.Commit();
        }
        if (!status) {
            return status.message;
        }
    }
    return {};
}

std::string CrawlStore::Load() {
    SqlStatement settings;
    // A file read as it is may be of a layout before the later settings: they read as they were then, off.
    // The duplicate checks' settings, in the layout that keeps them; before it, their defaults.
    const std::string contentColumns =
        version_ >= kContentAuditLayout ? ", duplicates, near_duplicates, thin_words, link_score" : ", 0, 90, 200, 0";
    SqlStatus status = settings.Prepare(
        db_, std::string(version_ >= 6
                             ? "SELECT start_url, rules, robots, delay_ms, max_pages, max_memory, follow_nofollow, "
                               "sitemaps, check_resources, key_phrases, controls"
                         : version_ >= 5 ? "SELECT start_url, rules, robots, delay_ms, max_pages, max_memory, "
                                           "follow_nofollow, sitemaps, check_resources, key_phrases, '{}'"
                         : version_ >= 3 ? "SELECT start_url, rules, robots, delay_ms, max_pages, max_memory, "
                                           "follow_nofollow, sitemaps, check_resources, 0, '{}'"
                                         : "SELECT start_url, rules, robots, delay_ms, max_pages, max_memory, 0, 0, 0, "
                                           "0, '{}'") +
                 contentColumns + " FROM settings WHERE id = 1");
    if (!status) {
        return status.code == SQLITE_BUSY ? "a running crawl holds it" : "it is damaged: " + status.message;
    }
    if (!settings.Step()) {
        return settings.Status() ? "it holds no crawl" : "it is damaged: " + settings.Status().message;
    }
    const auto isFlag = [&settings](int column) { return settings.Int(column) == 0 || settings.Int(column) == 1; };
    const std::optional<KeptControls> controls = ParseKeptControls(settings.Text(10));
    if ((settings.Text(1) != "browser" && settings.Text(1) != "classic") || !isFlag(2) || !isFlag(6) || !isFlag(7) ||
        !isFlag(8) || !isFlag(9) || !isFlag(11) || !isFlag(14) || settings.Int(12) < 1 || settings.Int(12) > 100 ||
        settings.Int(13) < 0 || settings.Int(13) > kMostThinWords || !controls) {
        return "it is damaged: its settings hold a value no run writes";
    }
    settings_.startText = std::string(settings.Text(0));
    settings_.rules = settings.Text(1) == "browser" ? crawl::RuleSet::Browser : crawl::RuleSet::Classic;
    settings_.obeyRobots = settings.Int(2) != 0;
    settings_.delay = std::chrono::milliseconds(settings.Int(3));
    if (!settings.IsNull(4)) {
        settings_.maxPages = static_cast<std::uint64_t>(settings.Int(4));
    }
    settings_.maxMemory = static_cast<std::uint64_t>(settings.Int(5));
    settings_.followNofollow = settings.Int(6) != 0;
    settings_.sitemaps = settings.Int(7) != 0;
    settings_.checkResources = settings.Int(8) != 0;
    settings_.keyPhrases = settings.Int(9) != 0;
    settings_.controls = controls->controls;
    settings_.identity = controls->identity;
    settings_.duplicates = settings.Int(11) != 0;
    settings_.nearPercent = static_cast<int>(settings.Int(12));
    settings_.thinWords = static_cast<int>(settings.Int(13));
    settings_.linkScore = settings.Int(14) != 0;
    if (std::string damaged = ReadContentAuditSettings(db_, settings_.contentAudit); !damaged.empty()) {
        return damaged;
    }
    SqlStatement crawl;
    status = crawl.Prepare(db_, "SELECT state, queue_head, queue_tail, turns, events, rules_note, stop_reason "
                                "FROM crawl WHERE id = 1");
    if (!status || !crawl.Step()) {
        return "it is damaged: " + (status ? crawl.Status().message : status.message);
    }
    if (crawl.Text(0) != "running" && crawl.Text(0) != "stopped" && crawl.Text(0) != "finished") {
        return "it is damaged: its crawl is in no state a run writes";
    }
    progress_.state = StateOf(crawl.Text(0));
    progress_.queueHead = crawl.Int(1);
    progress_.queueTail = crawl.Int(2);
    progress_.turns = crawl.Int(3);
    progress_.events = crawl.Int(4);
    progress_.rulesNote = std::string(crawl.Text(5));
    progress_.stopReason = std::string(crawl.Text(6));
    // A file cut short may still read well up to here; the pages' last row reaches its end.
    std::int64_t pages = 0;
    status = db_.QueryInt("SELECT count(*) FROM pages", pages);
    if (!status) {
        return "it is damaged: " + status.message;
    }
    if (const std::string wrong = OutOfRange(settings_, progress_); !wrong.empty()) {
        return "it is damaged: it holds " + wrong + ", which no run writes";
    }
    std::string error;
    if (const std::int64_t outside = QueuedOutsideSite(*this, error); !error.empty() || outside != 0) {
        return error.empty() ? "it is damaged: " + std::to_string(outside) +
                                   " of the addresses in its queue lie outside the site it crawls"
                             : error;
    }
    return {};
}

SqlStatus CrawlStore::StartRun(const CrawlSettings& settings) {
    // The write-ahead log lets a run commit often at little cost; the crawl at rest goes back to one file.
    SqlStatus status = db_.Execute(
        "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384; PRAGMA wal_autocheckpoint=8192");
    if (!status) {
        return status;
    }
    SqlTransaction transaction(db_);
    status = transaction.Begin();
    if (status) {
        // Lookups by address serve only the reading of a crawl, which builds them in one sort; kept up to
        // date through a run, each insert would go to a random place in them.
        status = db_.Execute("DROP INDEX IF EXISTS pages_url; DROP INDEX IF EXISTS fetches_url; "
                             "DROP INDEX IF EXISTS links_target; DROP INDEX IF EXISTS links_anchor");
    }
    if (status) {
        status = WriteSettings(settings);
    }
    if (status) {
        status = WriteProgress(progress_);
    }
    if (status) {
        status = transaction.Commit();
    }
    running_ = running_ || status.Ok();
    return status;
}

SqlStatus CrawlStore::WriteSettings(const CrawlSettings& settings) {
    SqlStatement write;
    SqlStatus status = write.Prepare(
        db_, "INSERT OR REPLACE INTO settings (id, start_url, rules, robots, delay_ms, max_pages, "
             "max_memory, follow_nofollow, sitemaps, check_resources, key_phrases, controls, duplicates, "
             "near_duplicates, thin_words, link_score) VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!status) {
        return status;
    }
    const std::optional<std::string> controls = KeptControlsText({settings.controls, settings.identity});
    if (!controls) {
        return {SQLITE_MISMATCH, "a crawl control holds text that is no UTF-8"};
    }
    write.Bind(1, settings.startText);
    write.Bind(2, std::string_view(settings.rules == crawl::RuleSet::Browser ? "browser" : "classic"));
    write.Bind(3, std::int64_t{settings.obeyRobots ? 1 : 0});
    write.Bind(4, static_cast<std::int64_t>(settings.delay.count()));
    if (settings.maxPages) {
        write.Bind(5, static_cast<std::int64_t>(*settings.maxPages));
    } else {
        write.BindNull(5);
    }
    write.Bind(6, static_cast<std::int64_t>(settings.maxMemory));
    write.Bind(7, std::int64_t{settings.followNofollow ? 1 : 0});
    write.Bind(8, std::int64_t{settings.sitemaps ? 1 : 0});
    write.Bind(9, std::int64_t{settings.checkResources ? 1 : 0});
    write.Bind(10, std::int64_t{settings.keyPhrases ? 1 : 0});
    write.Bind(11, *controls);
    write.Bind(12, std::int64_t{settings.duplicates ? 1 : 0});
    write.Bind(13, std::int64_t{settings.nearPercent});
    write.Bind(14, std::int64_t{settings.thinWords});
    write.Bind(15, std::int64_t{settings.linkScore ? 1 : 0});
    status = write.Run();
    if (status) {
        status = WriteContentAuditSettings(db_, settings.contentAudit);
    }
    if (status) {
        settings_ = settings;
    }
    return status;
}

SqlStatus CrawlStore::WriteProgress(const CrawlProgressRow& progress) {
    SqlStatement write;
    SqlStatus status = write.Prepare(
        db_, "INSERT OR REPLACE INTO crawl (id, state, queue_head, queue_tail, turns, events, rules_note, "
             "stop_reason) VALUES (1, ?, ?, ?, ?, ?, ?, ?)");
    if (!status) {
        return status;
    }
    write.Bind(1, StateText(progress.state));
    write.Bind(2, progress.queueHead);
    write.Bind(3, progress.queueTail);
    write.Bind(4, progress.turns);
    write.Bind(5, progress.events);
    write.Bind(6, progress.rulesNote);
    write.Bind(7, progress.stopReason);
    status = write.Run();
    if (status) {
        progress_ = progress;
    }
    return status;
}

std::string CrawlStore::FailureText(const SqlStatus& status) const {
    return "cannot keep the crawl in " + path_ + ": " + status.message;
}

} // namespace vortaxel::store
