#include "crawl/page/html_tokenizer.h"
#include "crawl/page/utf16_page.h"
#include "web/ascii.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vortaxel::crawl {

namespace {

struct Named {
    std::string_view name;
    std::string_view text;
};

#include "crawl/page/html_named_references.inc"

// Windows-1252's meaning of 0x80-0x9F, which numeric references in that range take.
constexpr std::array<char16_t, 32> kC1 = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                          0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// The longest name in either table.
constexpr std::size_t kLongestName = 31;
constexpr std::size_t kLongestLegacy = 6;
constexpr char32_t kReplacement = 0xFFFD;

template <std::size_t N>
std::optional<std::string_view> Lookup(const std::array<Named, N>& table, std::string_view name) {
    const auto found = std::lower_bound(table.begin(), table.end(), name,
                                        [](const Named& n, std::string_view key) { return n.name < key; });
    if (found != table.end() && found->name == name) {
        return found->text;
    }
    return std::nullopt;
}

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::size_t Numeric(std::string_view input, std::size_t at, std::string& out) {
    // `at` is just past "&#".
    const bool hex = at < input.size() && (input[at] == 'x' || input[at] == 'X');
    std::size_t i = at + (hex ? 1 : 0);
    const std::size_t digits = i;
    std::uint32_t value = 0;
    for (; i < input.size(); ++i) {
        const int digit =
            hex ? web::HexDigitValue(input[i]) : (input[i] >= '0' && input[i] <= '9' ? input[i] - '0' : -1);
        if (digit < 0) {
            break;
        }
        // Past the last code point the value only needs to stay past it.
        value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
    }
    if (i == digits) {
        out.append(input.substr(at - 2, i - at + 2));
        return i;
    }
    if (i < input.size() && input[i] == ';') {
        ++i;
    }
    char32_t code = value;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        code = kReplacement;
    } else if (value >= 0x80 && value <= 0x9F) {
        code = kC1[value - 0x80];
    }
    AppendUtf8(code, out);
    return i;
}

} // namespace

std::size_t DecodeReference(std::string_view input, std::size_t at, bool inAttribute, std::string& out) {
    if (at < input.size() && input[at] == '#') {
        return Numeric(input, at + 1, out);
    }
    std::size_t end = at;
    while (end < input.size() && end - at <= kLongestName && IsAlnum(input[end])) {
        ++end;
    }
    const std::string_view word = input.substr(at, end - at);
    if (end < input.size() && input[end] == ';' && word.size() <= kLongestName) {
        if (const auto text = Lookup(kWithSemicolon, word)) {
            out.append(*text);
            return end + 1;
        }
    }
    // The longest name a page may leave unterminated that starts the word.
    for (std::size_t size = std::min(word.size(), kLongestLegacy); size >= 2; --size) {
        const auto text = Lookup(kLegacy, word.substr(0, size));
        if (!text) {
            continue;
        }
        const std::size_t next = at + size;
        if (inAttribute && next < input.size() && (input[next] == '=' || IsAlnum(input[next]))) {
            break;
        }
        out.append(*text);
        return next;
    }
    out.push_back('&');
    return at;
}

} // namespace vortaxel::crawl
