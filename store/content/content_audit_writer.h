#pragma once

#include "crawl/content/content_audit_choices.h"
#include "crawl/page/page_reader.h"
#include "store/sqlite_db.h"
#include "text/spelling.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace vortaxel::store {

/// Keeps what a page's content was read for beside its facts, inside the caller's transaction: its
/// structured data's types and issues, each extractor's values, and the words of its title, description
/// and H1 that its language's dictionary lacks. Spelling is checked here, on the recorder's one thread, so
/// each language has one Hunspell handle.
class ContentAuditWriter {
public:
    /// Keeps what `choices`, the crawl's, asked of the page; the statements are made at the first page, once
    /// the run has written its settings.
    /// What the fetch of the page said of it beyond its body.
    struct Reply {
        /// The page's address, which the Link header's addresses resolve against.
        std::string_view url;
        std::string_view linkHeader;
    };

    SqlStatus Write(SqlDatabase& db, const crawl::ContentAuditChoices& choices, std::int64_t pageId,
                    const crawl::PageRead& read, Reply reply = {});

private:
    SqlStatus Prepare(SqlDatabase& db, const crawl::ContentAuditChoices& choices);

    bool prepared_ = false;
    bool structuredData_ = false;
    bool extracts_ = false;
    SqlStatus WriteSpelling(const crawl::PageRead& read, std::int64_t pageId);
    SqlStatus WriteHeaderAlternates(Reply reply, std::int64_t pageId);

    SqlStatement schema_;
    SqlStatement extract_;
    bool spelling_ = false;
    SqlStatement pageSpelling_;
    SqlStatement language_;
    // Alternates from Link headers, where the file's layout keeps them.
    bool headerAlternates_ = false;
    SqlStatement headerAlternate_;
    // Made at the first page: it opens each language's dictionary as pages in it come.
    std::optional<text::Speller> speller_;
    std::set<std::string> languagesKept_;
};

/// How a list of types or issues is kept in one text field, and shown in one report cell.
inline constexpr std::string_view kContentListSeparator = "; ";

} // namespace vortaxel::store
