#pragma once

#include "crawl/content/content_audit_choices.h"
#include "store/sqlite_db.h"

#include <string>

namespace vortaxel::store {

/// The first layout that keeps structured data, custom extractors and the hreflang choice.
inline constexpr int kContentAuditChoicesLayout = 10;
/// The layout step that keeps what a crawl's pages were read for beyond their links and facts, and what
/// that found: structured data, language versions and custom extractors (see docs/crawl-database.md).
inline constexpr const char* kContentAuditMigration =
    "CREATE TABLE content_audit ("
    "  id INTEGER PRIMARY KEY CHECK (id = 1), structured_data INTEGER NOT NULL, hreflang INTEGER NOT NULL,"
    "  extract_all INTEGER NOT NULL, extractors TEXT NOT NULL);"
    "CREATE TABLE page_schema ("
    "  page_id INTEGER PRIMARY KEY REFERENCES pages (id), types TEXT NOT NULL, issues TEXT NOT NULL);"
    "CREATE TABLE page_extracts ("
    "  page_id INTEGER NOT NULL REFERENCES pages (id), extractor INTEGER NOT NULL, ordinal INTEGER NOT NULL,"
    "  value TEXT NOT NULL, PRIMARY KEY (page_id, extractor, ordinal)) WITHOUT ROWID;";

/// The first layout that keeps the spelling choice and what it found, and the alternates Link headers name.
inline constexpr int kSpellingLayout = 11;
/// The layout step that keeps spelling and header alternates (see docs/crawl-database.md).
inline constexpr const char* kSpellingMigration =
    "ALTER TABLE content_audit ADD COLUMN spelling INTEGER NOT NULL DEFAULT 0;"
    "CREATE TABLE page_spelling ("
    "  page_id INTEGER PRIMARY KEY REFERENCES pages (id), lang TEXT NOT NULL, checked INTEGER NOT NULL,"
    "  words TEXT NOT NULL);"
    "CREATE TABLE spelling_languages ("
    "  lang TEXT PRIMARY KEY, dictionary TEXT NOT NULL, problem TEXT NOT NULL);"
    "CREATE TABLE header_alternates ("
    "  page_id INTEGER NOT NULL REFERENCES pages (id), ordinal INTEGER NOT NULL, target TEXT NOT NULL,"
    "  hreflang TEXT NOT NULL, PRIMARY KEY (page_id, ordinal)) WITHOUT ROWID;";

/// Whether the file's layout has the content audit's tables: a file of an older one had it all off.
bool HasContentAudit(SqlDatabase& db);

/// Whether the file's layout keeps spelling and header alternates.
bool HasSpelling(SqlDatabase& db);

/// Keeps `choices` as the crawl's; a file without the tables takes only choices that are all off.
SqlStatus WriteContentAuditSettings(SqlDatabase& db, const crawl::ContentAuditChoices& choices);

/// The choices a kept crawl was made with; "" when read, else why the file is damaged.
std::string ReadContentAuditSettings(SqlDatabase& db, crawl::ContentAuditChoices& choices);

} // namespace vortaxel::store
