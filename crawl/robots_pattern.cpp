#include "crawl/robots_pattern.h"

#include "crawl/ascii.h"

#include <optional>

namespace vortaxel::crawl {

namespace {

std::optional<unsigned char> HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned char>(c - '0');
    }
    const char lower = ToLowerAscii(c);
    if (lower >= 'a' && lower <= 'f') {
        return static_cast<unsigned char>(lower - 'a' + 10);
    }
    return std::nullopt;
}

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

bool MustBeEscaped(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F;
}

} // namespace

std::string NormaliseRobotsPath(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte == '%' && i + 2 < path.size()) {
            const auto high = HexValue(path[i + 1]);
            const auto low = HexValue(path[i + 2]);
            if (high && low) {
                const auto decoded = static_cast<unsigned char>(*high << 4 | *low);
                if (IsUnreserved(decoded)) {
                    out += static_cast<char>(decoded);
                } else {
                    AppendPercentEscaped(out, decoded);
                }
                i += 2;
                continue;
            }
        }
        if (MustBeEscaped(byte)) {
            AppendPercentEscaped(out, byte);
        } else {
            out += path[i];
        }
    }
    return out;
}

bool RobotsPatternMatches(std::string_view pattern, std::string_view path) {
    const bool anchored = !pattern.empty() && pattern.back() == '$';
    if (anchored) {
        pattern.remove_suffix(1);
    }
    // Greedy matching that returns to the last "*" on a mismatch: with "*" as the only wildcard this
    // never needs more than one remembered position, so a hostile pattern costs at most
    // pattern length times path length.
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t starPathAt = 0;
    while (s < path.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starPathAt = s;
        } else if (p < pattern.size() && pattern[p] == path[s]) {
            ++p;
            ++s;
        } else if (p == pattern.size() && !anchored) {
            return true;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            s = ++starPathAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace vortaxel::crawl
