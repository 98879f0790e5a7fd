#pragma once

#include "crawl/content/content_audit_choices.h"
#include "crawl/crawl_controls.h"
#include "crawl/rule_set.h"
#include "store/sqlite_db.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::store {

/// What a kept crawl was started with.
/// Who a crawl told its site it was. A login's password is never kept: a resumed crawl asks for it again.
struct KeptIdentity {
    /// Empty for the program's own.
    std::string userAgent{};
    /// "Name: value" each, as given; a credential header (Authorization, Proxy-Authorization, Cookie) by
    /// its name alone, without a colon, since its value is a secret asked for again on resuming.
    std::vector<std::string> headers{};
    /// The names of the cookies sent to the start page's origin alone; their values are never kept.
    std::vector<std::string> cookies{};
    /// The user an HTTP login named; empty when the crawl logged in to nothing.
    std::string authUser{};

    bool operator==(const KeptIdentity&) const = default;
};

struct CrawlSettings {
    /// The start text as the run used it (prepared: with its trailing "/").
    std::string startText;
    crawl::RuleSet rules = crawl::RuleSet::Classic;
    bool obeyRobots = false;
    std::chrono::milliseconds delay{0};
    std::optional<std::uint64_t> maxPages;
    std::uint64_t maxMemory = 0;
    /// What a browser-rules crawl follows and requests beyond a page's plain links; a file kept before
    /// these were kept had them all off.
    bool followNofollow = false;
    bool sitemaps = false;
    bool checkResources = false;
    /// Whether each page's text was read for its key phrases; a file kept before this was kept had it off.
    bool keyPhrases = false;
    /// Whether each page's text print was kept for the duplicate checks, and their thresholds: the
    /// similarity in percent that makes a near-duplicate and the fewest words a page is not thin with.
    bool duplicates = false;
    int nearPercent = 90;
    int thinWords = 200;
    /// Whether the link score is worked out from the internal links.
    bool linkScore = false;
    /// A file kept before these were kept had them all at their defaults.
    crawl::CrawlControls controls{};
    KeptIdentity identity{};
    /// What each page was read for beyond its links and facts; a file kept before this was kept had it all off.
    crawl::ContentAuditChoices contentAudit{};

    bool operator==(const CrawlSettings&) const = default;
};

/// The layout version this program writes; files with a higher one are refused.
inline constexpr int kCrawlSchemaVersion = 12;
/// The first layout that keeps the duplicate checks' settings and text prints.
inline constexpr int kContentAuditLayout = 8;
/// The highest --thin-words a crawl keeps.
inline constexpr int kMostThinWords = 1'000'000;

enum class CrawlState { Running, Stopped, Finished };

/// Where the kept queue stands and what else a run carries on from; see docs/crawl-database.md.
struct CrawlProgressRow {
    CrawlState state = CrawlState::Running;
    /// Absolute positions: the queue's head, and one past its last entry.
    std::int64_t queueHead = 0;
    std::int64_t queueTail = 0;
    std::int64_t turns = 0;
    std::int64_t events = 0;
    std::string rulesNote;
    std::string stopReason;
};

/// One crawl kept in one SQLite file. Opening checks the file is one (refusing, with the reason,
/// anything else without changing a byte of it), brings an older layout up to date, and, for
/// writing, holds the file against every other process until the store is closed.
class CrawlStore {
public:
    enum class Access {
        /// A new crawl: the file must not exist, or be empty.
        Create,
        /// A kept crawl, to carry on.
        Resume,
        /// A kept crawl, only read.
        Read,
    };

    /// The store, or nullptr with `error` saying why, naming the file.
    static std::unique_ptr<CrawlStore> Open(const std::string& path, Access access, std::string& error);
    ~CrawlStore();
    CrawlStore(const CrawlStore&) = delete;
    CrawlStore& operator=(const CrawlStore&) = delete;
    CrawlStore(CrawlStore&&) = delete;
    CrawlStore& operator=(CrawlStore&&) = delete;

    const std::string& Path() const { return path_; }
    /// Makes the statement another thread runs on this file end early, failing as interrupted; safe from
    /// any thread while the store lives.
    void Interrupt();

    const CrawlSettings& Settings() const { return settings_; }
    /// The layout the file has: below kCrawlSchemaVersion only for a file read and never written.
    int SchemaVersion() const { return version_; }
    /// Keeps the settings a run goes by (a new crawl's, or a resumed one's with its new page limit
    /// and delay), and the crawl's progress beside them.
    SqlStatus StartRun(const CrawlSettings& settings);
    const CrawlProgressRow& Progress() const { return progress_; }
    /// Writes the progress row inside the caller's transaction.
    SqlStatus WriteProgress(const CrawlProgressRow& progress);

    /// For a file thrown away once read: no waits for the disk, and its log is not folded back in at the end.
    SqlStatus MakeScratch();

    /// "cannot keep the crawl in FILE: REASON".
    std::string FailureText(const SqlStatus& status) const;

private:
    friend class CrawlStoreDb;

    CrawlStore(std::string path, SqlDatabase db) : path_(std::move(path)), db_(std::move(db)) {}
    std::string Prepare(Access access);
    std::string Load();
    SqlStatus WriteSettings(const CrawlSettings& settings);

    std::string path_;
    SqlDatabase db_;
    CrawlSettings settings_;
    CrawlProgressRow progress_;
    // A run has written to the file: its log is folded back in when the store closes.
    bool running_ = false;
    int version_ = kCrawlSchemaVersion;
};

const char* CrawlStateName(CrawlState state);

} // namespace vortaxel::store
