#include "cli/output_escape.h"

#include "crawl/ascii.h"

#include <cstddef>

namespace vortaxel::cli {
namespace {

unsigned char ByteAt(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

/// The length of the well-formed UTF-8 sequence that `text` starts with, or 0 when it starts with none. The
/// bounds on the second byte are what shut out overlong forms, surrogates and code points past U+10FFFF.
std::size_t WellFormedLength(std::string_view text) {
    const unsigned char lead = ByteAt(text, 0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (text.size() < length || ByteAt(text, 1) < low || ByteAt(text, 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (ByteAt(text, i) < 0x80 || ByteAt(text, i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

bool IsC0Control(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

std::string EscapeControlBytes(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    std::size_t i = 0;
    while (i < url.size()) {
        const unsigned char byte = ByteAt(url, i);
        if (byte < 0x80) {
            if (IsC0Control(byte)) {
                crawl::AppendPercentEscaped(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++i;
            continue;
        }
        const std::size_t length = WellFormedLength(url.substr(i));
        // Escaping only the C2 lead of a C1 control is enough: its second byte then stands alone, is no longer
        // well-formed, and is escaped on the next step.
        const bool c1Control = length == 2 && byte == 0xC2 && ByteAt(url, i + 1) <= 0x9F;
        if (length == 0 || c1Control) {
            crawl::AppendPercentEscaped(out, byte);
            ++i;
            continue;
        }
        out.append(url.substr(i, length));
        i += length;
    }
    return out;
}

} // namespace vortaxel::cli
