#pragma once

#include "app/run_controller.h"
#include "crawl/crawl_listener.h"
#include "store/crawl_store.h"
#include "store/read/crawl_file_copy.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vortaxel::app {

/// A crawl kept in its file, for its whole life in either front end: opened (the file checked on the way)
/// or made anew, refused when there is nothing left to resume, its runs started and kept, carried on,
/// replayed without the network, copied and closed. Every call that can fail returns why, in the user's
/// words naming the file, or "" when it went well; a failed open leaves the crawl held before as it was.
class CrawlSession {
public:
    using Access = store::CrawlStore::Access;

    CrawlSession() = default;
    ~CrawlSession() = default;
    CrawlSession(const CrawlSession&) = delete;
    CrawlSession& operator=(const CrawlSession&) = delete;
    CrawlSession(CrawlSession&&) = delete;
    CrawlSession& operator=(CrawlSession&&) = delete;

    /// Called before the file is let go or replaced, so that whatever reads through it closes first.
    void BeforeLettingGo(std::function<void()> before) { beforeLettingGo_ = std::move(before); }

    /// Opens the kept crawl at `path` for `access`. The same file held already is let go first, since a
    /// file admits one holder at a time.
    std::string Open(const std::string& path, Access access);
    /// Makes a new crawl file at `path` and starts its first run with `settings`, replacing the crawl kept
    /// there unless a running crawl holds it; holds nothing when it could not.
    std::string Replace(const std::string& path, const store::CrawlSettings& settings);
    /// Refuses a kept crawl that ran to its end: resuming it would have nothing to do.
    std::string RefuseFinished() const;
    /// Refuses to replay a kept crawl that ended before its first page was kept.
    std::string RefuseEmpty() const;
    /// Keeps the settings of the run about to start (the crawl's own when it is carried on).
    std::string Start(const store::CrawlSettings& settings);
    /// Opens the crawl held now again for carrying it on; Start follows once what it kept is read back.
    std::string Reopen();
    /// Keeps `run`'s runs in this crawl's file from now on, until the file is let go; `run` must outlive
    /// every later Close, Open, Reopen and Replace of the session, which make it keep nothing.
    void Keep(RunController& run);
    /// Tells `listener` what the runs kept met, in their order; returns why reading failed.
    std::string Replay(crawl::CrawlListener& listener);
    /// The pages listed, in the order the runs listed them; returns why reading failed.
    std::string ForEachFound(const std::function<void(std::string_view)>& visit);
    /// Copies the crawl to `path`, all or nothing.
    std::string CopyTo(const std::string& path);
    /// Lets go of the file: the run keeps nothing from now on.
    void Close();

    bool IsOpen() const { return store_ != nullptr; }
    /// The crawl's file; only while open.
    store::CrawlStore& Store() { return *store_; }
    const store::CrawlStore& Store() const { return *store_; }
    bool Finished() const { return store_ && store_->Progress().state == store::CrawlState::Finished; }
    /// Whether `path` names the file held now, whatever its spelling.
    bool Holds(const std::string& path) const;

private:
    std::unique_ptr<store::CrawlStore> store_;
    RunController* run_ = nullptr;
    std::function<void()> beforeLettingGo_;
};

} // namespace vortaxel::app
