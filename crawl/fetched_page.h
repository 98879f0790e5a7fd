#pragma once

#include "page_reader.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vortaxel::crawl {

/// One redirect on the way to a page: its status and the address that answered with it.
struct RedirectHop {
    long code = 0;
    std::string url;
};

/// What the engine learns from one page fetch. A failed fetch carries no body, only the reason; a
/// reply cut off after its headers (not HTML, when only HTML is wanted) is a success with no body.
struct FetchedPage {
    bool ok = false;
    std::string body;
    std::string error;
    /// The last reply's HTTP status, 0 when none came.
    long status = 0;
    /// Where the request ended after redirects; empty when unknown.
    std::string finalUrl;
    /// The last reply's Content-Type as sent, empty when absent.
    std::string contentType;
    bool bodySkipped = false;
    /// Bytes of the body after decoding, also when the body itself is not kept.
    std::size_t bytes = 0;
    /// Time the requests for the page took.
    std::chrono::milliseconds elapsed{0};
    /// Redirect hops followed.
    long redirects = 0;
    /// The body already read as a page, when the fetcher had it read off the engine's thread.
    std::shared_ptr<const PageRead> read;
    /// A redirect the fetcher left for the crawl to follow: its resolved target. Empty otherwise.
    std::string redirectTo;
    /// Each redirect followed, in order, when the fetcher records them.
    std::vector<RedirectHop> hops;
    /// The last reply's X-Robots-Tag headers, joined by ", ".
    std::string robotsTag;

    explicit operator bool() const { return ok; }

    static FetchedPage Success(std::string body) {
        FetchedPage page;
        page.ok = true;
        page.bytes = body.size();
        page.body = std::move(body);
        return page;
    }
    static FetchedPage Failure(std::string error) {
        FetchedPage page;
        page.error = std::move(error);
        return page;
    }
};

} // namespace vortaxel::crawl
