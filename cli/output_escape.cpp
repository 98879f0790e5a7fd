#include "cli/output_escape.h"

#include "crawl/ascii.h"

namespace vortaxel::cli {

std::string EscapeControlBytes(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            crawl::AppendPercentEscaped(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace vortaxel::cli
