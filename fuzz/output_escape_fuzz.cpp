// Any bytes as a found URL: the output line holds no control byte, and reading its escapes back gives
// the URL, so two different URLs never print alike.

#include "cli/output_escape.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

int UpperHex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
}

/// What a reader of the output does: "%XX" in upper-case hex for a control byte or "%" is that byte,
/// everything else is itself.
std::string Unescape(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '%' && i + 2 < line.size()) {
            const int high = UpperHex(line[i + 1]);
            const int low = UpperHex(line[i + 2]);
            const int code = high * 16 + low;
            if (high >= 0 && low >= 0 && (code < 0x20 || code == 0x7F || code == '%')) {
                out += static_cast<char>(code);
                i += 2;
                continue;
            }
        }
        out += line[i];
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> input(data, data + size);
    const std::string_view url(input.data(), input.size());

    const std::string line = vortaxel::cli::EscapeControlBytes(url);
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        VORTAXEL_FUZZ_CHECK(byte >= 0x20 && byte != 0x7F);
    }
    VORTAXEL_FUZZ_CHECK(Unescape(line) == url);
    VORTAXEL_FUZZ_CHECK(line.size() <= url.size() * 3);
    return 0;
}
