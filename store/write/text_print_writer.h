#pragma once

#include "store/sqlite_db.h"
#include "text/text_block.h"

#include <cstdint>
#include <span>

namespace vortaxel::store {

/// Keeps a page's text print (text::PrintText) inside the caller's transaction, for the duplicate checks
/// that compare the pages once the crawl is over.
class TextPrintWriter {
public:
    SqlStatus Prepare(SqlDatabase& db);
    SqlStatus Write(std::int64_t pageId, std::span<const text::TextBlock> blocks);

private:
    SqlStatement insert_;
};

} // namespace vortaxel::store
