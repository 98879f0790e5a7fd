#pragma once

#include <string>
#include <string_view>

namespace vortaxel::fuzz {

// Deliberately plain text helpers: the fuzz targets compare the tuned search code against these.

inline std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

inline bool NaiveContainsCaseless(std::string_view text, std::string_view needle) {
    return Lowered(text).find(Lowered(needle)) != std::string::npos;
}

inline bool NaiveStartsCaseless(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Lowered(text.substr(0, prefix.size())) == Lowered(prefix);
}

/// How often `needle` occurs in `text`, ignoring ASCII case, overlaps included.
inline std::size_t NaiveCountCaseless(std::string_view text, std::string_view needle) {
    const std::string haystack = Lowered(text);
    const std::string lowNeedle = Lowered(needle);
    std::size_t count = 0;
    for (std::size_t at = haystack.find(lowNeedle); at != std::string::npos; at = haystack.find(lowNeedle, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace vortaxel::fuzz
