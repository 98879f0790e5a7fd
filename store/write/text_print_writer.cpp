#include "store/write/text_print_writer.h"

#include "text/text_print.h"

namespace vortaxel::store {

SqlStatus TextPrintWriter::Prepare(SqlDatabase& db) {
    return insert_.Prepare(db, "INSERT OR REPLACE INTO text_prints (page_id, text_hash, blocks) VALUES (?, ?, ?)");
}

SqlStatus TextPrintWriter::Write(std::int64_t pageId, std::span<const text::TextBlock> blocks) {
    const text::TextPrint print = text::PrintText(blocks);
    insert_.Bind(1, pageId);
    // SQLite's integers are signed: the hash is kept by its bits.
    insert_.Bind(2, static_cast<std::int64_t>(print.textHash));
    insert_.BindBlob(3, print.blocks);
    return insert_.Run();
}

} // namespace vortaxel::store
