#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

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
    /// A reply that is not HTML (text/html or application/xhtml+xml) is cut off after its headers and
    /// counts as a success with no body.
    bool htmlOnly = false;
    /// With htmlOnly: for an address it holds for, a HEAD is sent first, and the GET only when the HEAD
    /// answers 2xx HTML.
    std::function<bool(std::string_view url)> probeFirst;
};

} // namespace vortaxel::net
