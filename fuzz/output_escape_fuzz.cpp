// Any bytes as a found URL: the output line decodes, as UTF-8, to no C0 or C1 control and holds no byte that
// is not well-formed UTF-8; each input byte stands in place either as itself or as its upper-case "%XX" code;
// printable ASCII and well-formed UTF-8 outside the C1 range are never escaped.
//
// The UTF-8 decoding here works from the code point's value, not from the byte-range table the escaping
// uses, so the two have to agree on what is well-formed.

#include "cli/output_escape.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Decoded {
    std::size_t length = 0; // 0: not well-formed
    std::uint32_t codePoint = 0;
};

Decoded DecodeOne(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {1, lead};
    }
    std::size_t length = 0;
    std::uint32_t value = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07;
    } else {
        return {};
    }
    if (at + length > text.size()) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        value = (value << 6) | (next & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < kSmallest[length] || surrogate || value > 0x10FFFF) {
        return {};
    }
    return {length, value};
}

bool IsControl(std::uint32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> input(data, data + size);
    const std::string_view url(input.data(), input.size());
    const std::string line = vortaxel::cli::EscapeControlBytes(url);

    for (std::size_t at = 0; at < line.size();) {
        const Decoded decoded = DecodeOne(line, at);
        VORTAXEL_FUZZ_CHECK(decoded.length != 0 && !IsControl(decoded.codePoint));
        at += decoded.length;
    }

    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t at = 0;
    for (std::size_t i = 0; i < url.size();) {
        const Decoded decoded = DecodeOne(url, i);
        if (decoded.length != 0 && !IsControl(decoded.codePoint)) {
            VORTAXEL_FUZZ_CHECK(line.compare(at, decoded.length, url.substr(i, decoded.length)) == 0);
            at += decoded.length;
            i += decoded.length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(url[i]);
        VORTAXEL_FUZZ_CHECK(at + 3 <= line.size());
        VORTAXEL_FUZZ_CHECK(line[at] == '%' && line[at + 1] == kHex[byte >> 4] && line[at + 2] == kHex[byte & 0xF]);
        at += 3;
        ++i;
    }
    VORTAXEL_FUZZ_CHECK(at == line.size());
    return 0;
}
