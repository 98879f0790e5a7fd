#pragma once

#include "store/crawl_store.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vortaxel::store {

/// How one page differs between two crawls of a site.
struct PageChange {
    enum class Kind { Added, Gone, Changed };
    Kind kind = Kind::Changed;
    std::string url;
    /// 0 where no answer came or the crawl did not list the page.
    std::int64_t oldStatus = 0;
    std::int64_t newStatus = 0;
    std::string oldFinalUrl;
    std::string newFinalUrl;
};

const char* PageChangeName(PageChange::Kind kind);

/// Tells `each` every page listed by only one of the crawls (added: only the newer; gone: only the
/// older) or by both with another status or final address; the newer crawl's pages first, in its
/// order, then the pages gone, in the older crawl's order. Returns why reading failed, or nothing.
std::string CompareCrawls(CrawlStore& older, CrawlStore& newer, const std::function<void(const PageChange&)>& each);

} // namespace vortaxel::store
