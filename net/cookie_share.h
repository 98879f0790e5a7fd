#pragma once

#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace vortaxel::net {

struct ShareCleanup {
    void operator()(CURLSH* share) const noexcept { curl_share_cleanup(share); }
};

/// Cookies kept for one run, in memory only, shared by every transfer of a fetcher as a browser's tabs
/// share them. libcurl's cookie engine decides where each cookie goes by its domain and path rules, so a
/// cookie set by one host is never sent to another; it also caps the cookies one reply may set and the
/// size of the Cookie header sent. Nothing is read from or written to disk. Destroy it only after every
/// handle attached to it.
class CookieShare {
public:
    /// Throws std::runtime_error when libcurl cannot create the share.
    CookieShare();
    CookieShare(const CookieShare&) = delete;
    CookieShare& operator=(const CookieShare&) = delete;
    CookieShare(CookieShare&&) = delete;
    CookieShare& operator=(CookieShare&&) = delete;
    ~CookieShare() = default;

    /// Turns on the cookie engine of `handle` (an empty cookie file: no file at all) and has it keep its
    /// cookies here. Throws std::runtime_error when libcurl refuses.
    void Attach(CURL* handle);

private:
    static void Lock(CURL* handle, curl_lock_data data, curl_lock_access access, void* self);
    static void Unlock(CURL* handle, curl_lock_data data, void* self);

    std::mutex mutex_;
    std::unique_ptr<CURLSH, ShareCleanup> share_;
};

} // namespace vortaxel::net
