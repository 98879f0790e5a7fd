#include "kept_crawl_copy.h"

#include "store/sqlite_db.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace vortaxel::ui {

namespace {

/// Flushes the file at `path` to the disk, so that a rename over an older file never leaves an empty one.
bool SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

} // namespace

std::string CopyKeptCrawl(store::CrawlStore& store, const std::string& path) {
    const std::string part = path + ".part";
    std::remove(part.c_str());
    std::string error;
    {
        store::SqlDatabase copy;
        if (const store::SqlStatus opened = copy.Open(part, store::SqlDatabase::Mode::Create); !opened) {
            error = opened.message;
        } else {
            // The copy is one self-contained file: no log beside it for the rename to leave behind.
            copy.Execute("PRAGMA journal_mode=DELETE");
            sqlite3_backup* backup = sqlite3_backup_init(copy.Handle(), "main", store.Db().Handle(), "main");
            if (backup == nullptr) {
                error = sqlite3_errmsg(copy.Handle());
            } else {
                const int stepped = sqlite3_backup_step(backup, -1);
                const int finished = sqlite3_backup_finish(backup);
                if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
                    error = sqlite3_errmsg(copy.Handle());
                }
            }
        }
    }
    if (error.empty() && !SyncFile(part)) {
        error = std::strerror(errno);
    }
    if (error.empty() && std::rename(part.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
    }
    if (!error.empty()) {
        std::remove(part.c_str());
    }
    return error;
}

} // namespace vortaxel::ui
