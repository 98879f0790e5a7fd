#include "store/render_settings.h"

#include "store/crawl_store_db.h"

namespace vortaxel::store {

SqlStatus KeepRenderWait(CrawlStore& store, std::optional<std::chrono::milliseconds> wait) {
    SqlDatabase& db = CrawlStoreDb::Of(store);
    SqlStatus status = db.Execute("DELETE FROM render_settings");
    if (!status || !wait) {
        return status;
    }
    SqlStatement insert;
    status = insert.Prepare(db, "INSERT INTO render_settings (id, wait_ms) VALUES (1, ?)");
    if (status) {
        insert.Bind(1, static_cast<std::int64_t>(wait->count()));
        status = insert.Run();
    }
    return status;
}

std::optional<std::chrono::milliseconds> KeptRenderWait(CrawlStore& store) {
    if (store.SchemaVersion() < kRenderLayout) {
        return std::nullopt;
    }
    SqlStatement read;
    if (!read.Prepare(CrawlStoreDb::Of(store), "SELECT wait_ms FROM render_settings WHERE id = 1") || !read.Step()) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(read.Int(0));
}

} // namespace vortaxel::store
