#include "web/address_login.h"

#include "web/ascii.h"
#include "web/url_parts.h"

namespace vortaxel::web {

namespace {

constexpr std::string_view kHidden = "***";

/// Where the user information of the address whose "://" is at `schemeEnd` lies in `text`: its start and its
/// "@", or npos twice when it has none. The authority ends where a path, query or fragment starts, or where
/// a blank or control byte shows that the address has ended within a longer text.
std::pair<std::size_t, std::size_t> UserinfoSpan(std::string_view text, std::size_t schemeEnd) {
    const std::size_t begin = schemeEnd + 3;
    std::size_t end = begin;
    while (end < text.size() && text[end] != '/' && text[end] != '?' && text[end] != '#' &&
           static_cast<unsigned char>(text[end]) > 0x20 && text[end] != 0x7F) {
        ++end;
    }
    const std::size_t at = text.substr(begin, end - begin).rfind('@');
    if (at == std::string_view::npos) {
        return {std::string_view::npos, std::string_view::npos};
    }
    return {begin, begin + at};
}

} // namespace

std::string OriginOf(std::string_view address) {
    if (!HasWebScheme(address)) {
        return {};
    }
    std::size_t schemeEnd = 0;
    const std::string_view authority = AuthorityOf(address, schemeEnd);
    std::string origin;
    for (const char c : address.substr(0, schemeEnd + 3)) {
        origin += ToLowerAscii(c);
    }
    for (const char c : authority) {
        origin += ToLowerAscii(c);
    }
    const std::string_view defaultPort = origin.starts_with("https") ? ":443" : ":80";
    if (origin.ends_with(defaultPort)) {
        origin.resize(origin.size() - defaultPort.size());
    }
    return origin;
}

std::optional<OriginLogin> LoginOf(std::string_view address) {
    if (!HasWebScheme(address)) {
        return std::nullopt;
    }
    const auto [begin, at] = UserinfoSpan(address, address.find("://"));
    if (begin == std::string_view::npos) {
        return std::nullopt;
    }
    return OriginLogin{OriginOf(address), std::string(address.substr(begin, at - begin))};
}

std::string WithUserinfo(std::string_view address, std::string_view userinfo) {
    const std::size_t schemeEnd = address.find("://");
    if (schemeEnd == std::string_view::npos) {
        return std::string(address);
    }
    const auto [begin, at] = UserinfoSpan(address, schemeEnd);
    std::string out(address.substr(0, schemeEnd + 3));
    out.append(userinfo).append(1, '@');
    out.append(address.substr(begin == std::string_view::npos ? schemeEnd + 3 : at + 1));
    return out;
}

std::string WithoutHiddenPassword(std::string_view address) {
    const std::optional<OriginLogin> login = LoginOf(address);
    if (!login || !login->userinfo.ends_with(std::string(":") + std::string(kHidden))) {
        return std::string(address);
    }
    const std::size_t schemeEnd = address.find("://");
    return std::string(address.substr(0, schemeEnd + 3))
        .append(address.substr(schemeEnd + 3 + login->userinfo.size() + 1));
}

std::string RedactPasswords(std::string_view text) {
    std::string out;
    std::size_t copied = 0;
    for (std::size_t scheme = text.find("://"); scheme != std::string_view::npos;
         scheme = text.find("://", scheme + 3)) {
        const auto [begin, at] = UserinfoSpan(text, scheme);
        if (begin == std::string_view::npos) {
            continue;
        }
        const std::size_t colon = text.substr(begin, at - begin).find(':');
        if (colon == std::string_view::npos || begin + colon + 1 == at ||
            text.substr(begin + colon + 1, at - begin - colon - 1) == kHidden) {
            continue;
        }
        out.append(text.substr(copied, begin + colon + 1 - copied)).append(kHidden);
        copied = at;
    }
    if (copied == 0) {
        return std::string(text);
    }
    out.append(text.substr(copied));
    return out;
}

} // namespace vortaxel::web
