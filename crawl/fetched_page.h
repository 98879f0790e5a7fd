#pragma once

#include "crawl/page/page_reader.h"
#include "crawl/rendered_page.h"
#include "web/fetch_result.h"

#include <memory>
#include <string>
#include <utility>

namespace vortaxel::crawl {

/// What the engine learns from one page fetch: the fetch's outcome, and the page already read when
/// the fetcher had it read off the engine's thread.
struct FetchedPage : web::FetchResult {
    FetchedPage() = default;
    explicit FetchedPage(web::FetchResult result) : web::FetchResult(std::move(result)) {}

    /// The body already read as a page, when the fetcher had it read off the engine's thread.
    std::shared_ptr<const PageRead> read;
    /// What a browser showed of the page, when the run renders pages.
    std::shared_ptr<const RenderedPage> rendered;

    static FetchedPage Success(std::string body) { return FetchedPage(web::FetchResult::Success(std::move(body))); }
    static FetchedPage Failure(std::string error) { return FetchedPage(web::FetchResult::Failure(std::move(error))); }
};

} // namespace vortaxel::crawl
