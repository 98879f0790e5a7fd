#include "store/read/rendered_reader.h"

#include "store/crawl_store_db.h"
#include "store/render_settings.h"

#include <string>

namespace vortaxel::store {

namespace {

std::optional<std::string> Fact(SqlStatement& row, int column) {
    return row.IsNull(column) ? std::nullopt : std::optional<std::string>(row.Text(column));
}

} // namespace

SqlStatus RenderedReader::Prepare(CrawlStore& store) {
    kept_ = KeptRenderWait(store).has_value();
    if (!kept_) {
        return {};
    }
    // A file kept before the words were is read as it is, without them.
    const char* words = store.SchemaVersion() >= kRenderWordsLayout ? "js_words" : "0";
    return read_.Prepare(CrawlStoreDb::Of(store),
                         std::string("SELECT title, description, h1, canonical, robots, js_links, js_errors, requests, "
                                     "blocked, ms, js_redirect, error, ") +
                             words + " FROM rendered_pages WHERE page_id = ?");
}

std::optional<crawl::RenderedPage> RenderedReader::Read(std::int64_t pageId) {
    if (!kept_) {
        return std::nullopt;
    }
    read_.Bind(1, pageId);
    std::optional<crawl::RenderedPage> page;
    if (read_.Step()) {
        page.emplace();
        page->title = Fact(read_, 0);
        page->description = Fact(read_, 1);
        page->h1 = Fact(read_, 2);
        page->canonical = Fact(read_, 3);
        page->robots = Fact(read_, 4);
        page->jsLinks = static_cast<std::size_t>(read_.Int(5));
        const std::string errors(read_.Text(6));
        for (std::size_t at = 0; at < errors.size();) {
            const std::size_t end = std::min(errors.find('\n', at), errors.size());
            page->jsErrors.push_back(errors.substr(at, end - at));
            at = end + 1;
        }
        page->requests = static_cast<std::size_t>(read_.Int(7));
        page->blocked = static_cast<std::size_t>(read_.Int(8));
        page->elapsed = std::chrono::milliseconds(read_.Int(9));
        page->jsRedirect = Fact(read_, 10);
        page->error = read_.Text(11);
        page->jsWords = static_cast<std::size_t>(read_.Int(12));
    }
    read_.Reset();
    return page;
}

} // namespace vortaxel::store
