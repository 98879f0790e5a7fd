#pragma once

#include "store/crawl_store.h"

#include <string>

namespace vortaxel::ui {

/// Copies the crawl kept in `store` to the file at `path`, all or nothing: the copy is written beside
/// it and renamed over it only once whole and on disk. Returns why it failed, or "".
std::string CopyKeptCrawl(store::CrawlStore& store, const std::string& path);

} // namespace vortaxel::ui
