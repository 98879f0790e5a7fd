#include "crawl/robots/robots_pattern.h"

#include "web/ascii.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vortaxel::crawl {

namespace {

std::optional<unsigned char> HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned char>(c - '0');
    }
    const char lower = web::ToLowerAscii(c);
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

/// Where `needle` first occurs in `text` at or after `from`, in time linear in both (Knuth, Morris and
/// Pratt): the library's search may take their product.
std::size_t FindFrom(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty()) {
        return from;
    }
    // failure[i]: the length of the longest proper border of needle[0..i].
    std::vector<std::size_t> failure(needle.size(), 0);
    for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
        while (k > 0 && needle[i] != needle[k]) {
            k = failure[k - 1];
        }
        if (needle[i] == needle[k]) {
            ++k;
        }
        failure[i] = k;
    }
    for (std::size_t i = from, k = 0; i < text.size(); ++i) {
        while (k > 0 && text[i] != needle[k]) {
            k = failure[k - 1];
        }
        if (text[i] == needle[k]) {
            ++k;
        }
        if (k == needle.size()) {
            return i + 1 - needle.size();
        }
    }
    return std::string_view::npos;
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
                    web::AppendPercentEscaped(out, decoded);
                }
                i += 2;
                continue;
            }
        }
        if (MustBeEscaped(byte)) {
            web::AppendPercentEscaped(out, byte);
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
    // The pattern is literal pieces with "*" between them. The first piece must open the path; each
    // later one is taken at its leftmost place after the one before, which leaves the most room for
    // those after it, so no choice ever needs to be undone. Each search resumes where the last match
    // ended, so the path is scanned once and each piece read a bounded number of times: linear in
    // pattern and path, whatever a hostile robots.txt writes.
    const std::size_t firstStar = std::min(pattern.find('*'), pattern.size());
    const std::string_view head = pattern.substr(0, firstStar);
    if (!path.starts_with(head)) {
        return false;
    }
    if (firstStar == pattern.size()) {
        return !anchored || path.size() == head.size();
    }
    std::size_t at = head.size();
    std::string_view rest = pattern.substr(firstStar + 1);
    while (true) {
        const std::size_t star = rest.find('*');
        if (star == std::string_view::npos) {
            break;
        }
        if (star != 0) {
            const std::size_t found = FindFrom(path, rest.substr(0, star), at);
            if (found == std::string_view::npos) {
                return false;
            }
            at = found + star;
        }
        rest.remove_prefix(star + 1);
    }
    // The last piece: anywhere after the others, or, anchored, exactly at the end of the path.
    if (anchored) {
        return path.size() - at >= rest.size() && path.ends_with(rest);
    }
    return rest.empty() || FindFrom(path, rest, at) != std::string_view::npos;
}

} // namespace vortaxel::crawl
