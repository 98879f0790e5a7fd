#pragma once

#include <cstddef>
#include <string_view>

namespace vortaxel::crawl {

/// Case folding here is ASCII only: bytes outside A-Z and a-z compare as they are, so a
/// folded copy would keep every byte at its place and UTF-8 sequences are never disturbed.
constexpr char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix);
bool ContainsIgnoreCase(std::string_view text, std::string_view needle);

/// Finds one needle again and again in one text, ignoring ASCII case, at increasing offsets.
/// The next places of both cases of the needle's first byte are remembered between calls, so
/// scanning a whole page costs one pass over it however sparse either case is.
class CaselessFinder {
public:
    CaselessFinder(std::string_view text, std::string_view needle);

    /// Position of the first match starting at or after `from`, or npos. `from` must not
    /// decrease from one call to the next.
    std::size_t Next(std::size_t from);

private:
    std::size_t NextOf(char c, std::size_t& cached, std::size_t from) const;

    std::string_view text_;
    std::string_view needle_;
    char lower_;
    char upper_;
    std::size_t nextLower_ = 0;
    std::size_t nextUpper_ = 0;
    bool primed_ = false;
};

} // namespace vortaxel::crawl
