#include "crawl/page/utf16_page.h"

#include <cstdint>

namespace vortaxel::crawl {

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::optional<std::string> Utf16PageAsUtf8(std::string_view page) {
    if (page.size() < 2) {
        return std::nullopt;
    }
    const auto byte = [page](std::size_t i) { return static_cast<std::uint8_t>(page[i]); };
    bool little = false;
    if (byte(0) == 0xFF && byte(1) == 0xFE) {
        little = true;
    } else if (!(byte(0) == 0xFE && byte(1) == 0xFF)) {
        return std::nullopt;
    }
    const auto unit = [&](std::size_t i) -> char32_t {
        return little ? static_cast<char32_t>(byte(i) | (byte(i + 1) << 8))
                      : static_cast<char32_t>((byte(i) << 8) | byte(i + 1));
    };
    std::string out;
    out.reserve(page.size() / 2 * 3 / 2);
    for (std::size_t i = 2; i + 1 < page.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < page.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(c, out);
    }
    return out;
}

} // namespace vortaxel::crawl
