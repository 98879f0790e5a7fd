#pragma once

#include <string>
#include <utility>

namespace vortaxel::crawl {

/// Outcome of one page fetch. A failed fetch carries no body, only the reason.
struct FetchResult {
    bool ok = false;
    std::string body;
    std::string error;

    explicit operator bool() const { return ok; }

    static FetchResult Success(std::string body) { return {true, std::move(body), {}}; }
    static FetchResult Failure(std::string error) { return {false, {}, std::move(error)}; }
};

} // namespace vortaxel::crawl
