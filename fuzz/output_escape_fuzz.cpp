// Any bytes as a found URL: the output line holds no control byte, every control byte became its
// upper-case "%XX" code in place, and every other byte stands as it was.

#include "cli/output_escape.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> input(data, data + size);
    const std::string_view url(input.data(), input.size());

    const std::string line = vortaxel::cli::EscapeControlBytes(url);
    std::size_t at = 0;
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        const bool control = byte < 0x20 || byte == 0x7F;
        if (!control) {
            VORTAXEL_FUZZ_CHECK(at < line.size() && line[at] == c);
            ++at;
            continue;
        }
        static constexpr char kHex[] = "0123456789ABCDEF";
        VORTAXEL_FUZZ_CHECK(at + 3 <= line.size());
        VORTAXEL_FUZZ_CHECK(line[at] == '%' && line[at + 1] == kHex[byte >> 4] && line[at + 2] == kHex[byte & 0xF]);
        at += 3;
    }
    VORTAXEL_FUZZ_CHECK(at == line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        VORTAXEL_FUZZ_CHECK(byte >= 0x20 && byte != 0x7F);
    }
    return 0;
}
