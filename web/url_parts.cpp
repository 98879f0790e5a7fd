#include "web/url_parts.h"

#include "web/ascii.h"

namespace vortaxel::web {

bool HasWebScheme(std::string_view url) {
    return StartsWithIgnoreCase(url, "http://") || StartsWithIgnoreCase(url, "https://");
}

std::string_view AuthorityOf(std::string_view url, std::size_t& schemeEnd) {
    schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) {
        return {};
    }
    std::string_view authority = url.substr(schemeEnd + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority = authority.substr(at + 1);
    }
    return authority;
}

std::string_view HostOf(std::string_view url) {
    std::size_t schemeEnd = 0;
    const std::string_view authority = AuthorityOf(url, schemeEnd);
    if (authority.starts_with('[')) {
        return authority.substr(0, authority.find(']') + 1);
    }
    return authority.substr(0, authority.rfind(':'));
}

} // namespace vortaxel::web
