#include "crawl/classic/base_url.h"

#include "web/ascii.h"
#include "web/url_parts.h"

namespace vortaxel::crawl {

namespace {
constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";
} // namespace

std::string MakeBaseUrl(std::string_view startUrl) {
    const std::size_t first = startUrl.find_first_not_of(' ');
    std::string base;
    if (first != std::string_view::npos) {
        base = startUrl.substr(first, startUrl.find_last_not_of(' ') - first + 1);
    }
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    return base;
}

bool ContainsWebScheme(std::string_view value) {
    return web::ContainsIgnoreCase(value, kHttp) || web::ContainsIgnoreCase(value, kHttps);
}

} // namespace vortaxel::crawl
