#include "store/write/rendered_writer.h"

#include <string>

namespace vortaxel::store {

namespace {

void BindFact(SqlStatement& statement, int index, const std::optional<std::string>& fact) {
    if (fact) {
        statement.Bind(index, *fact);
    } else {
        statement.BindNull(index);
    }
}

} // namespace

std::int64_t SeenInValue(crawl::LinkSeen seen) {
    switch (seen) {
    case crawl::LinkSeen::Raw:
        return 0;
    case crawl::LinkSeen::Rendered:
        return 1;
    case crawl::LinkSeen::Both:
        return 2;
    }
    return 0;
}

const char* SeenInName(std::int64_t value) {
    return value == 1 ? "rendered" : value == 2 ? "both" : "raw";
}

SqlStatus RenderedWriter::Prepare(SqlDatabase& db) {
    SqlStatus status = insert_.Prepare(
        db, "INSERT OR REPLACE INTO rendered_pages (page_id, title, description, h1, canonical, robots, js_links, "
            "js_errors, requests, blocked, ms, js_redirect, error, js_words) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?, "
            "?)");
    if (status) {
        status = mark_.Prepare(db, "UPDATE links SET seen_in = ? WHERE id = last_insert_rowid()");
    }
    return status;
}

SqlStatus RenderedWriter::Write(std::int64_t pageId, const crawl::RenderedPage& rendered) {
    insert_.Bind(1, pageId);
    BindFact(insert_, 2, rendered.title);
    BindFact(insert_, 3, rendered.description);
    BindFact(insert_, 4, rendered.h1);
    BindFact(insert_, 5, rendered.canonical);
    BindFact(insert_, 6, rendered.robots);
    insert_.Bind(7, static_cast<std::int64_t>(rendered.jsLinks));
    // One error a line: a page's errors are read as a list, and an error's own line breaks say nothing.
    std::string errors;
    for (const std::string& error : rendered.jsErrors) {
        std::string line = error;
        for (char& c : line) {
            c = c == '\n' || c == '\r' ? ' ' : c;
        }
        errors += (errors.empty() ? "" : "\n") + line;
    }
    insert_.Bind(8, errors);
    insert_.Bind(9, static_cast<std::int64_t>(rendered.requests));
    insert_.Bind(10, static_cast<std::int64_t>(rendered.blocked));
    insert_.Bind(11, static_cast<std::int64_t>(rendered.elapsed.count()));
    BindFact(insert_, 12, rendered.jsRedirect);
    insert_.Bind(13, rendered.error);
    insert_.Bind(14, static_cast<std::int64_t>(rendered.jsWords));
    return insert_.Run();
}

SqlStatus RenderedWriter::MarkLastLink(crawl::LinkSeen seen) {
    if (seen == crawl::LinkSeen::Raw) {
        return {};
    }
    mark_.Bind(1, SeenInValue(seen));
    return mark_.Run();
}

} // namespace vortaxel::store
