#include "cli/output_escape.h"

namespace vortaxel::cli {

std::string EscapeControlBytes(std::string_view url) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += '%';
            out += hexDigits[byte >> 4];
            out += hexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace vortaxel::cli
