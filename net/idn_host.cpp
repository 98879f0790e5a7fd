#include "net/idn_host.h"

#include "web/url_parts.h"

#include <algorithm>
#include <cstdlib>
#include <idn2.h>
#include <memory>

namespace vortaxel::net {

namespace {

struct IdnFree {
    void operator()(char* text) const noexcept { idn2_free(text); }
};

} // namespace

std::optional<std::string> WithAsciiHost(std::string_view url) {
    const std::string_view host = web::HostOf(url);
    if (std::ranges::all_of(host, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(url);
    }
    const std::string unicode(host);
    char* converted = nullptr;
    int code = idn2_lookup_u8(reinterpret_cast<const uint8_t*>(unicode.c_str()),
                              reinterpret_cast<uint8_t**>(&converted), IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
    if (code == IDN2_DISALLOWED) {
        // Some names valid in the older rules only, which browsers still reach.
        code = idn2_lookup_u8(reinterpret_cast<const uint8_t*>(unicode.c_str()),
                              reinterpret_cast<uint8_t**>(&converted), IDN2_NFC_INPUT | IDN2_TRANSITIONAL);
    }
    const std::unique_ptr<char, IdnFree> owned(converted);
    if (code != IDN2_OK || !owned) {
        return std::nullopt;
    }
    const auto hostAt = static_cast<std::size_t>(host.data() - url.data());
    std::string result(url.substr(0, hostAt));
    result += owned.get();
    result += url.substr(hostAt + host.size());
    return result;
}

} // namespace vortaxel::net
