#pragma once

#include "export/keyphrase/key_phrases.h"
#include "store/crawl_store.h"
#include "store/sqlite_db.h"

#include <cstdint>
#include <span>

namespace vortaxel::store {

/// Replaces every page's key phrases in a kept crawl, in one transaction: a file cut off while they are
/// written keeps the ones before.
class KeyPhraseWriter {
public:
    explicit KeyPhraseWriter(CrawlStore& store) : store_(store), transaction_(store.Db()) {}

    /// Starts replacing them; fails, changing nothing, when the file may not be written now (read-only,
    /// or held by a running crawl).
    SqlStatus Begin();
    /// Keeps `phrases` as the page's, best first.
    SqlStatus Add(std::int64_t pageId, std::span<const keyphrase::KeyPhrase> phrases);
    SqlStatus Commit() { return transaction_.Commit(); }

private:
    CrawlStore& store_;
    SqlTransaction transaction_;
    SqlStatement insert_;
};

} // namespace vortaxel::store
