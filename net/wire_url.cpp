#include "net/wire_url.h"

#include "web/ascii.h"
#include "web/url_parts.h"

namespace vortaxel::net {

namespace {

bool NeedsEscape(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '"' || byte == '<' || byte == '>' || byte == '`';
}

// Where the path begins: just past the host and port, or at the start when there is no "//" authority.
std::size_t PathStart(std::string_view url) {
    const auto authority = url.find("://");
    if (authority == std::string_view::npos) {
        return 0;
    }
    const auto end = url.find_first_of("/?", authority + 3);
    return end == std::string_view::npos ? url.size() : end;
}

} // namespace

std::string EncodeForWire(std::string_view url) {
    url = url.substr(0, url.find('#'));
    const auto pathStart = PathStart(url);
    std::string wire(url.substr(0, pathStart));
    wire.reserve(url.size());
    for (const char c : url.substr(pathStart)) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            constexpr char kHex[] = "0123456789ABCDEF";
            wire += '%';
            wire += kHex[byte >> 4];
            wire += kHex[byte & 0x0F];
        } else {
            wire += c;
        }
    }
    return wire;
}

std::string SiteOf(std::string_view url) {
    std::size_t schemeEnd = 0;
    const std::string_view authority = web::AuthorityOf(url, schemeEnd);
    if (schemeEnd == std::string_view::npos) {
        return {};
    }
    std::string site(url.substr(0, schemeEnd + 3));
    site += authority;
    for (char& c : site) {
        c = web::ToLowerAscii(c);
    }
    const std::string_view scheme = std::string_view(site).substr(0, schemeEnd);
    const std::string_view defaultPort = scheme == "http" ? ":80" : scheme == "https" ? ":443" : "";
    if (!defaultPort.empty() && site.ends_with(defaultPort)) {
        site.resize(site.size() - defaultPort.size());
    }
    return site;
}

} // namespace vortaxel::net
