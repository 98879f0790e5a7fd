#include "net/curl_handles.h"

#include <stdexcept>
#include <string>

namespace vortaxel::net {

void EnsureCurlGlobalInit() {
    // A function-local static is initialised exactly once even when threads race here.
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
        throw std::runtime_error(std::string("libcurl could not start: ") + curl_easy_strerror(result));
    }
}

EasyHandle::EasyHandle() {
    EnsureCurlGlobalInit();
    handle_.reset(curl_easy_init());
    if (!handle_) {
        throw std::runtime_error("libcurl could not create a transfer handle");
    }
}

MultiHandle::MultiHandle() {
    EnsureCurlGlobalInit();
    handle_.reset(curl_multi_init());
    if (!handle_) {
        throw std::runtime_error("libcurl could not create a multi handle");
    }
}

} // namespace vortaxel::net
