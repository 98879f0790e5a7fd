#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortaxel::web {

/// Case folding here is ASCII only: bytes outside A-Z and a-z compare as they are, so a
/// folded copy would keep every byte at its place and UTF-8 sequences are never disturbed.
constexpr char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

/// Appends `byte` as "%XX" with upper-case hex digits, the form both the wire and the terminal get.
inline void AppendPercentEscaped(std::string& out, unsigned char byte) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

/// The value of a hex digit of either letter case, or -1 for any other byte.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

/// HTML's ASCII whitespace: space, tab, line feed, form feed and carriage return.
constexpr bool IsHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

/// `text` without HTML's whitespace around it.
constexpr std::string_view TrimHtmlSpace(std::string_view text) {
    while (!text.empty() && IsHtmlSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsHtmlSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

/// `text` without the blanks, tabs and line ends around it.
constexpr std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix);
bool ContainsIgnoreCase(std::string_view text, std::string_view needle);

/// Finds one needle in one text, ignoring ASCII case. Candidates are found many bytes at a time
/// by one pair of adjacent needle bytes, chosen to be rare in pages (punctuation first, found with
/// memchr; otherwise both bytes compared a vector or word at a time), so ordinary text with many of
/// the needle's letters costs no more than a plain scan.
class CaselessFinder {
public:
    explicit CaselessFinder(std::string_view needle);

    /// Position of the first match in `text` starting at or after `from`, or npos.
    std::size_t Next(std::string_view text, std::size_t from) const;

private:
    static constexpr std::size_t kNoExactByte = 2;

    std::size_t NextPair(std::string_view text, std::size_t at, std::size_t end) const;
    std::size_t NextExact(std::string_view text, std::size_t at, std::size_t end) const;

    std::string_view needle_;
    std::size_t anchor_ = 0;
    // Which byte of the anchor pair is not a letter, searched for as it is; kNoExactByte if both are.
    std::size_t exactByte_ = kNoExactByte;
};

} // namespace vortaxel::web
