#pragma once

#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <chrono>
#include <optional>

namespace vortaxel::store {

/// The first layout that keeps what a browser showed of each page.
inline constexpr int kRenderLayout = 9;
/// The first layout that keeps the words of text only the rendered page has.
inline constexpr int kRenderWordsLayout = 12;

/// Keeps whether the crawl renders its pages, and each page's wait limit; none: it does not.
SqlStatus KeepRenderWait(CrawlStore& store, std::optional<std::chrono::milliseconds> wait);
/// The wait limit of a crawl kept as rendering its pages; none for one that does not (or a file of an older layout).
std::optional<std::chrono::milliseconds> KeptRenderWait(CrawlStore& store);

} // namespace vortaxel::store
