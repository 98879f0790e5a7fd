#pragma once

#include "crawl/page/page_reader.h"
#include "store/sqlite_db.h"
#include "text/page_terms.h"

#include <cstdint>
#include <vector>

namespace vortaxel::store {

/// Keeps what the text pass made of a page beside its facts, inside the caller's transaction: its meta
/// keywords, its first heading, the language its words were read in, and its phrase candidates with their
/// counts per zone of its own text (see docs/crawl-database.md).
class PageTermsWriter {
public:
    SqlStatus Prepare(SqlDatabase& db);
    SqlStatus Write(std::int64_t pageId, const crawl::PageFacts& facts, const text::PageTerms& terms);

private:
    SqlStatement facts_;
    SqlStatement candidate_;
    // The page's candidates in the order they are written, kept from page to page.
    std::vector<const text::Candidate*> byKey_;
};

} // namespace vortaxel::store
