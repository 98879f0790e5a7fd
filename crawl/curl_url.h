#pragma once

#include <curl/curl.h>
#include <memory>
#include <string>

namespace vortaxel::crawl {

/// libcurl's URL parser under RAII, for the crawl's own address work.
struct CurlUrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

struct CurlTextDeleter {
    void operator()(char* text) const { curl_free(text); }
};
using CurlText = std::unique_ptr<char, CurlTextDeleter>;

/// One part of a parsed address, empty when the parser has none or fails.
inline std::string UrlPart(CURLU* url, CURLUPart part, unsigned int flags = 0) {
    char* raw = nullptr;
    const CURLUcode code = curl_url_get(url, part, &raw, flags);
    const CurlText text(raw);
    return code == CURLUE_OK && text ? std::string(text.get()) : std::string{};
}

} // namespace vortaxel::crawl
