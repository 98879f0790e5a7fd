#include "crawl/robots/robots_url.h"

#include "crawl/curl_url.h"
#include "web/ascii.h"
#include "web/url_parts.h"

#include <algorithm>

namespace vortaxel::crawl {

namespace {

/// Where the path begins: just past the authority.
std::size_t PathStart(std::string_view url, std::size_t authority) {
    const auto end = url.find_first_of("/?#", authority);
    return end == std::string_view::npos ? url.size() : end;
}

} // namespace

std::string RobotsUrlFor(std::string_view pageUrl) {
    if (!web::HasWebScheme(pageUrl)) {
        return {};
    }
    // Only scheme and authority go to the parser: the path may hold raw bytes it would refuse, and the
    // path is replaced anyway.
    const auto authority = pageUrl.find("://") + 3;
    const std::string origin(pageUrl.substr(0, PathStart(pageUrl, authority)));
    const CurlUrl url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, origin.c_str(), 0) != CURLUE_OK) {
        return {};
    }
    std::string host = UrlPart(url.get(), CURLUPART_HOST);
    std::transform(host.begin(), host.end(), host.begin(), web::ToLowerAscii);
    if (host.empty() || curl_url_set(url.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PATH, "/robots.txt", 0) != CURLUE_OK) {
        return {};
    }
    return UrlPart(url.get(), CURLUPART_URL, CURLU_NO_DEFAULT_PORT);
}

std::string RobotsPathOf(std::string_view pageUrl) {
    pageUrl = pageUrl.substr(0, pageUrl.find('#'));
    const auto scheme = pageUrl.find("://");
    const std::string_view path =
        scheme == std::string_view::npos ? pageUrl : pageUrl.substr(PathStart(pageUrl, scheme + 3));
    if (path.empty()) {
        return "/";
    }
    if (path.front() == '?') {
        return "/" + std::string(path);
    }
    return path.front() == '/' ? std::string(path) : std::string("/");
}

} // namespace vortaxel::crawl
