#pragma once

#include "store/crawl_store.h"

#include <string>

namespace vortaxel::store {

/// How copying a kept crawl went.
struct CrawlFileCopy {
    /// Why it failed; empty when the copy is whole.
    std::string error;

    explicit operator bool() const { return error.empty(); }
};

/// Copies the crawl kept in `store` to the file at `path`, all or nothing: the copy is written beside
/// it and renamed over it only once whole and on disk.
CrawlFileCopy CopyCrawlFile(CrawlStore& store, const std::string& path);

} // namespace vortaxel::store
