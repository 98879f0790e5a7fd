#include "store/read/page_text_reader.h"

#include "store/crawl_store_db.h"

namespace vortaxel::store {

PageTextReader::PageTextReader(CrawlStore& store, PageText text) : store_(store), text_(text) {}

SqlStatus PageTextReader::Prepare() {
    const char* sql = text_ == PageText::Title ? "SELECT title FROM pages WHERE url = ? LIMIT 1"
                      : text_ == PageText::H1  ? "SELECT h1 FROM pages WHERE url = ? LIMIT 1"
                                              // A page's links to itself (a permalink sign, "top") say nothing of it.
                                              : "SELECT l.anchor FROM links l JOIN pages p ON p.id = l.page_id "
                                                "WHERE l.target = ?1 AND p.url != ?1 ORDER BY l.id";
    return query_.Prepare(CrawlStoreDb::Of(store_), sql);
}

std::vector<std::string> PageTextReader::Read(std::string_view url) {
    std::vector<std::string> texts;
    query_.Bind(1, url);
    while (query_.Step()) {
        texts.emplace_back(query_.Text(0));
    }
    query_.Reset();
    return texts;
}

} // namespace vortaxel::store
