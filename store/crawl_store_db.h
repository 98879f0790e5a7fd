#pragma once

#include "store/crawl_store.h"
#include "store/sqlite_db.h"

namespace vortaxel::store {

/// The connection under a crawl store, for the store's own readers and writers and for tests that look at
/// the file's tables. The front ends reach the file only through the store's typed calls.
class CrawlStoreDb {
public:
    static SqlDatabase& Of(CrawlStore& store) { return store.db_; }
};

} // namespace vortaxel::store
