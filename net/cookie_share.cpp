#include "net/cookie_share.h"

#include "net/curl_handles.h"

#include <stdexcept>

namespace vortaxel::net {

CookieShare::CookieShare() {
    EnsureCurlGlobalInit();
    share_.reset(curl_share_init());
    if (!share_) {
        throw std::runtime_error("libcurl could not create a cookie store");
    }
    // A fetcher drives its transfers on one thread, but the lock costs nothing and keeps the share sound
    // should two fetchers ever use it.
    if (curl_share_setopt(share_.get(), CURLSHOPT_LOCKFUNC, &CookieShare::Lock) != CURLSHE_OK ||
        curl_share_setopt(share_.get(), CURLSHOPT_UNLOCKFUNC, &CookieShare::Unlock) != CURLSHE_OK ||
        curl_share_setopt(share_.get(), CURLSHOPT_USERDATA, this) != CURLSHE_OK ||
        curl_share_setopt(share_.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
        throw std::runtime_error("libcurl could not share cookies");
    }
}

void CookieShare::Attach(CURL* handle) {
    if (curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "") != CURLE_OK ||
        curl_easy_setopt(handle, CURLOPT_SHARE, share_.get()) != CURLE_OK) {
        throw std::runtime_error("libcurl could not keep cookies");
    }
}

void CookieShare::Lock(CURL* /*handle*/, curl_lock_data /*data*/, curl_lock_access /*access*/, void* self) {
    static_cast<CookieShare*>(self)->mutex_.lock();
}

void CookieShare::Unlock(CURL* /*handle*/, curl_lock_data /*data*/, void* self) {
    static_cast<CookieShare*>(self)->mutex_.unlock();
}

} // namespace vortaxel::net
