#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace vortaxel::web {

/// One redirect on the way to a page: its status and the address that answered with it.
struct RedirectHop {
    long code = 0;
    std::string url;
};

/// Outcome of one page fetch. A failed fetch carries no body, only the reason; what the server said
/// about the page (status, final address, type) is kept either way, for a per-page report. A reply cut
/// off after its headers (not HTML, when only HTML is wanted) is a success with no body.
struct FetchResult {
    bool ok = false;
    std::string body;
    std::string error;
    /// The status of the last reply, 0 when none came.
    long status = 0;
    /// The address the last request went to, after redirects; empty when no request was made.
    std::string finalUrl;
    /// The Content-Type of the last reply as sent, parameters included.
    std::string contentType;
    /// Bytes of the body after decoding, also when the body itself is not kept.
    std::size_t bytes = 0;
    /// Time spent on the requests for this page, waits between them not included.
    std::chrono::milliseconds elapsed{0};
    /// Redirect hops followed.
    long redirects = 0;
    /// Where a redirect not followed leads (FetchOptions::redirectsOneByOne), resolved; empty otherwise.
    std::string redirectTo;
    /// The reply was not HTML and its body was not read.
    bool bodySkipped = false;
    /// Each redirect followed, in order; the last one's target is `finalUrl`.
    std::vector<RedirectHop> hops;
    /// The last reply's X-Robots-Tag headers, joined by ", ".
    std::string robotsTag;
    /// The last reply's Link headers, joined by ", " (at most kMostLinkHeaderBytes of them).
    std::string linkHeader;

    explicit operator bool() const { return ok; }

    static FetchResult Success(std::string body) {
        FetchResult result;
        result.ok = true;
        result.bytes = body.size();
        result.body = std::move(body);
        return result;
    }
    static FetchResult Failure(std::string error) {
        FetchResult result;
        result.error = std::move(error);
        return result;
    }
};

} // namespace vortaxel::web
