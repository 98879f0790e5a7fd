#include "cli/option_values.h"

#include <charconv>
#include <limits>

namespace vortaxel::cli {

std::optional<std::uint64_t> ParseWholeNumber(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    // from_chars takes no sign and no blanks, and reports overflow instead of wrapping.
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint64_t> ParseByteSize(std::string_view text) {
    unsigned shift = 0;
    if (!text.empty()) {
        switch (text.back()) {
        case 'K':
        case 'k':
            shift = 10;
            break;
        case 'M':
        case 'm':
            shift = 20;
            break;
        case 'G':
        case 'g':
            shift = 30;
            break;
        default:
            break;
        }
    }
    if (shift != 0) {
        text.remove_suffix(1);
    }
    const auto number = ParseWholeNumber(text);
    if (!number || *number > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
        return std::nullopt;
    }
    return *number << shift;
}

} // namespace vortaxel::cli
