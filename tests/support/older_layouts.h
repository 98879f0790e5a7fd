#pragma once

#include <string>

namespace vortaxel::test {

/// SQL that takes a crawl file of today's layout back to `layout`, by undoing, newest first, what each later
/// step added; a test then sets `PRAGMA user_version` itself. Kept in one place so that a new step is undone
/// by every test of an older file at once.
inline std::string UndoLayoutsAfter(int layout) {
    struct Step {
        int layout;
        const char* undo;
    };
    static constexpr Step kSteps[] = {
        {12, "ALTER TABLE rendered_pages DROP COLUMN js_words;"},
        {11, "DROP TABLE page_spelling; DROP TABLE spelling_languages; DROP TABLE header_alternates;"
             "ALTER TABLE content_audit DROP COLUMN spelling;"},
        {10, "DROP TABLE content_audit; DROP TABLE page_schema; DROP TABLE page_extracts;"},
        {9, "DROP TABLE render_settings; DROP TABLE rendered_pages; ALTER TABLE links DROP COLUMN seen_in;"},
        {8, "DROP TABLE text_prints; ALTER TABLE settings DROP COLUMN duplicates;"
            "ALTER TABLE settings DROP COLUMN near_duplicates; ALTER TABLE settings DROP COLUMN thin_words;"
            "ALTER TABLE settings DROP COLUMN link_score;"},
        {7, "ALTER TABLE links DROP COLUMN href_bytes;"},
        {6, "ALTER TABLE settings DROP COLUMN controls;"},
        {5, "DROP TABLE page_candidates; DROP TABLE key_phrases; ALTER TABLE settings DROP COLUMN key_phrases;"
            "ALTER TABLE pages DROP COLUMN meta_keywords; ALTER TABLE pages DROP COLUMN first_heading;"
            "ALTER TABLE pages DROP COLUMN text_lang;"},
    };
    std::string sql;
    for (const Step& step : kSteps) {
        if (step.layout > layout) {
            sql += step.undo;
        }
    }
    return sql;
}

} // namespace vortaxel::test
