#include "cli/output_escape.h"

namespace vortaxel::cli {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

int UpperHexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

/// Whether the two bytes at `at` spell a code that a reader of the output would turn back into a byte.
bool SpellsEscapedCode(std::string_view text, std::size_t at) {
    if (at + 2 > text.size()) {
        return false;
    }
    const int high = UpperHexValue(text[at]);
    const int low = UpperHexValue(text[at + 1]);
    if (high < 0 || low < 0) {
        return false;
    }
    const auto code = static_cast<unsigned char>(high * 16 + low);
    return IsControl(code) || code == '%';
}

void AppendEscaped(std::string& out, unsigned char byte) {
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

} // namespace

std::string EscapeControlBytes(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    for (std::size_t i = 0; i < url.size(); ++i) {
        const auto byte = static_cast<unsigned char>(url[i]);
        if (IsControl(byte) || (byte == '%' && SpellsEscapedCode(url, i + 1))) {
            AppendEscaped(out, byte);
        } else {
            out += url[i];
        }
    }
    return out;
}

} // namespace vortaxel::cli
