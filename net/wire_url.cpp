#include "net/wire_url.h"

#include "net/net_ascii.h"

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

bool HasFetchableScheme(std::string_view url) {
    return StartsWithIgnoreCase(url, "http://") || StartsWithIgnoreCase(url, "https://");
}

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

namespace {

/// The host and port of `url` without user information; empty when the url names no scheme. `schemeEnd`
/// receives where "://" starts.
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

} // namespace

std::string SiteOf(std::string_view url) {
    std::size_t schemeEnd = 0;
    const std::string_view authority = AuthorityOf(url, schemeEnd);
    if (schemeEnd == std::string_view::npos) {
        return {};
    }
    std::string site(url.substr(0, schemeEnd + 3));
    site += authority;
    for (char& c : site) {
        c = LowerAscii(c);
    }
    const std::string_view scheme = std::string_view(site).substr(0, schemeEnd);
    const std::string_view defaultPort = scheme == "http" ? ":80" : scheme == "https" ? ":443" : "";
    if (!defaultPort.empty() && site.ends_with(defaultPort)) {
        site.resize(site.size() - defaultPort.size());
    }
    return site;
}

std::string_view HostOf(std::string_view url) {
    std::size_t schemeEnd = 0;
    const std::string_view authority = AuthorityOf(url, schemeEnd);
    if (authority.starts_with('[')) {
        return authority.substr(0, authority.find(']') + 1);
    }
    return authority.substr(0, authority.rfind(':'));
}

} // namespace vortaxel::net
