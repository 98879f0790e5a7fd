#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace vortaxel::net {

/// Limits and identity of every fetch.
struct FetchOptions {
    /// The whole request, redirects included, must end within this time.
    std::chrono::milliseconds timeout{60000};
    /// A page whose decoded body grows past this many bytes is a failed fetch.
    std::size_t maxBodyBytes = std::size_t{32} * 1024 * 1024;
    /// More redirect hops than this is a failed fetch.
    long maxRedirects = 10;
    std::string userAgent = "Vortaxel/2.00";
};

} // namespace vortaxel::net
