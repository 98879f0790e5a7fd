#include "app/crawl_session.h"

#include "store/crawl_files.h"
#include "store/read/kept_crawl.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace vortaxel::app {

namespace {

// How the store says that another process holds the file.
constexpr std::string_view kHeldByARun = "a running crawl holds it";

} // namespace

bool CrawlSession::Holds(const std::string& path) const {
    std::error_code ignored;
    return store_ && std::filesystem::equivalent(store_->Path(), path, ignored);
}

std::string CrawlSession::Open(const std::string& path, Access access) {
    if (Holds(path)) {
        Close();
    }
    std::string error;
    std::unique_ptr<store::CrawlStore> opened = store::CrawlStore::Open(path, access, error);
    if (!opened) {
        return error;
    }
    Close();
    store_ = std::move(opened);
    return {};
}

std::string CrawlSession::Replace(const std::string& path, const store::CrawlSettings& settings) {
    Close();
    std::string error;
    std::error_code ignored;
    if (std::filesystem::exists(path, ignored) && !store::CrawlStore::Open(path, Access::Read, error) &&
        error.find(kHeldByARun) != std::string::npos) {
        // A second copy of the program keeps its crawl there; deleting the file under it would lose that.
        return error;
    }
    // The crawl kept before is replaced, as the list it showed is.
    store::RemoveCrawlFile(path);
    if (error = Open(path, Access::Create); !error.empty()) {
        return error;
    }
    if (error = Start(settings); !error.empty()) {
        store_.reset();
    }
    return error;
}

std::string CrawlSession::RefuseFinished() const {
    if (!Finished()) {
        return {};
    }
    return "the crawl kept in " + store_->Path() + " is finished: there is nothing to resume";
}

std::string CrawlSession::RefuseEmpty() const {
    if (const store::CrawlProgressRow& progress = store_->Progress();
        progress.turns != 0 || progress.state == store::CrawlState::Finished) {
        return {};
    }
    return "the crawl kept in " + store_->Path() +
           " holds no finished turn: it ended before its first page was kept (--resume carries it on)";
}

std::string CrawlSession::Start(const store::CrawlSettings& settings) {
    if (const store::SqlStatus started = store_->StartRun(settings); !started) {
        return store_->FailureText(started);
    }
    return {};
}

std::string CrawlSession::Reopen() {
    const std::string path = store_->Path();
    Close();
    return Open(path, Access::Resume);
}

void CrawlSession::Keep(RunController& run) {
    run_ = &run;
    run.KeepIn(*store_);
}

std::string CrawlSession::Replay(crawl::CrawlListener& listener) {
    store::KeptCrawl kept(*store_);
    kept.Replay(listener);
    return kept.Error();
}

std::string CrawlSession::ForEachFound(const std::function<void(std::string_view)>& visit) {
    store::KeptCrawl kept(*store_);
    kept.ForEachFound(visit);
    return kept.Error();
}

std::string CrawlSession::CopyTo(const std::string& path) {
    return store::CopyCrawlFile(*store_, path).error;
}

void CrawlSession::Close() {
    if (beforeLettingGo_) {
        beforeLettingGo_();
    }
    if (run_ != nullptr) {
        run_->KeepNowhere();
        run_ = nullptr;
    }
    store_.reset();
}

} // namespace vortaxel::app
