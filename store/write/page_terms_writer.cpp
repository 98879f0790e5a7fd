#include "store/write/page_terms_writer.h"

#include "store/page_candidate_columns.h"

#include <algorithm>

namespace vortaxel::store {

SqlStatus PageTermsWriter::Prepare(SqlDatabase& db) {
    SqlStatus status =
        facts_.Prepare(db, "UPDATE pages SET meta_keywords = ?, first_heading = ?, text_lang = ? WHERE id = ?");
    if (status) {
        // A page's candidates have distinct keys as the text pass makes them; one that came twice would
        // say nothing the first did not.
        status = candidate_.Prepare(db, std::string("INSERT OR IGNORE INTO page_candidates (page_id, key, surface, "
                                                    "words, ") +
                                            kOwnZoneColumns +
                                            ", first_word, last_word, capitalised) "
                                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    }
    return status;
}

SqlStatus PageTermsWriter::Write(std::int64_t pageId, const crawl::PageFacts& facts, const text::PageTerms& terms) {
    facts_.Bind(1, facts.metaKeywords);
    facts_.Bind(2, facts.firstHeading);
    facts_.Bind(3, terms.lang);
    facts_.Bind(4, pageId);
    SqlStatus status = facts_.Run();
    // In key order each row goes at the end of the table, which is kept by page and key, rather than into the
    // middle of the page's rows; stable, so of two with one key the first is still the one kept.
    byKey_.clear();
    for (const text::Candidate& candidate : terms.candidates) {
        byKey_.push_back(&candidate);
    }
    std::stable_sort(byKey_.begin(), byKey_.end(),
                     [](const text::Candidate* a, const text::Candidate* b) { return a->key < b->key; });
    for (const text::Candidate* next : byKey_) {
        const text::Candidate& candidate = *next;
        if (!status) {
            break;
        }
        candidate_.Bind(1, pageId);
        candidate_.Bind(2, candidate.key);
        candidate_.Bind(3, candidate.surface);
        candidate_.Bind(4, std::int64_t{candidate.words});
        int column = 5;
        for (std::size_t zone = 0; zone < kOwnZones; ++zone) {
            candidate_.Bind(column++, std::int64_t{candidate.inZone[zone]});
        }
        candidate_.Bind(column++, std::int64_t{candidate.firstWord});
        candidate_.Bind(column++, std::int64_t{candidate.lastWord});
        candidate_.Bind(column, std::int64_t{candidate.capitalised});
        status = candidate_.Run();
    }
    return status;
}

} // namespace vortaxel::store
