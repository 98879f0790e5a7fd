#include "net/wire_url.h"

#include "crawl/ascii.h"
#include "crawl/base_url.h"

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
    return crawl::BeginsWithWebScheme(url);
}

std::string EncodeForWire(std::string_view url) {
    url = url.substr(0, url.find('#'));
    const auto pathStart = PathStart(url);
    std::string wire(url.substr(0, pathStart));
    wire.reserve(url.size());
    for (const char c : url.substr(pathStart)) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            crawl::AppendPercentEscaped(wire, byte);
        } else {
            wire += c;
        }
    }
    return wire;
}

} // namespace vortaxel::net
