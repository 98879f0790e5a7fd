#pragma once

#include <curl/curl.h>
#include <memory>

namespace vortaxel::net {

/// Initialises libcurl once per process, whichever thread asks first. Throws std::runtime_error on failure.
void EnsureCurlGlobalInit();

struct EasyCleanup {
    void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};

struct MultiCleanup {
    void operator()(CURLM* handle) const noexcept { curl_multi_cleanup(handle); }
};

/// Owns one libcurl easy handle: not copyable, moves without throwing.
class EasyHandle {
public:
    /// Throws std::runtime_error when libcurl cannot create the handle.
    EasyHandle();

    CURL* get() const { return handle_.get(); }

private:
    std::unique_ptr<CURL, EasyCleanup> handle_;
};

/// Owns one libcurl multi handle, which also keeps the cache of kept-alive connections.
/// Not copyable, moves without throwing. Remove every easy handle from it before it goes.
class MultiHandle {
public:
    /// Throws std::runtime_error when libcurl cannot create the handle.
    MultiHandle();

    CURLM* get() const { return handle_.get(); }

private:
    std::unique_ptr<CURLM, MultiCleanup> handle_;
};

} // namespace vortaxel::net
