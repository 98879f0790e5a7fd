#include "cli/output_escape.h"

#include "export/utf8.h"
#include "web/ascii.h"

#include <cstddef>

namespace vortaxel::cli {
namespace {

unsigned char ByteAt(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
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
                web::AppendPercentEscaped(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++i;
            continue;
        }
        const std::size_t length = keywords::Utf8SequenceLength(url, i);
        // Escaping only the C2 lead of a C1 control is enough: its second byte then stands alone, is no longer
        // well-formed, and is escaped on the next step.
        const bool c1Control = length == 2 && byte == 0xC2 && ByteAt(url, i + 1) <= 0x9F;
        if (length == 0 || c1Control) {
            web::AppendPercentEscaped(out, byte);
            ++i;
            continue;
        }
        out.append(url.substr(i, length));
        i += length;
    }
    return out;
}

} // namespace vortaxel::cli
