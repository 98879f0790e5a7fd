#include "crawl/page/html_tokenizer.h"
#include "crawl/page/utf16_page.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vortaxel::crawl {

namespace {

struct Named {
    std::string_view name;
    char32_t code;
};

// The names a page may write without a semicolon (Latin-1 and the four markup characters, in
// either case where browsers accept both), and common names browsers know only with one. Sorted
// by name for the lookup.
constexpr auto kLegacy = std::to_array<Named>({
    {"AElig", 0xC6},  {"AMP", 0x26},    {"Aacute", 0xC1}, {"Acirc", 0xC2},  {"Agrave", 0xC0}, {"Aring", 0xC5},
    {"Atilde", 0xC3}, {"Auml", 0xC4},   {"COPY", 0xA9},   {"Ccedil", 0xC7}, {"ETH", 0xD0},    {"Eacute", 0xC9},
    {"Ecirc", 0xCA},  {"Egrave", 0xC8}, {"Euml", 0xCB},   {"GT", 0x3E},     {"Iacute", 0xCD}, {"Icirc", 0xCE},
    {"Igrave", 0xCC}, {"Iuml", 0xCF},   {"LT", 0x3C},     {"Ntilde", 0xD1}, {"Oacute", 0xD3}, {"Ocirc", 0xD4},
    {"Ograve", 0xD2}, {"Oslash", 0xD8}, {"Otilde", 0xD5}, {"Ouml", 0xD6},   {"QUOT", 0x22},   {"REG", 0xAE},
    {"THORN", 0xDE},  {"Uacute", 0xDA}, {"Ucirc", 0xDB},  {"Ugrave", 0xD9}, {"Uuml", 0xDC},   {"Yacute", 0xDD},
    {"aacute", 0xE1}, {"acirc", 0xE2},  {"acute", 0xB4},  {"aelig", 0xE6},  {"agrave", 0xE0}, {"amp", 0x26},
    {"aring", 0xE5},  {"atilde", 0xE3}, {"auml", 0xE4},   {"brvbar", 0xA6}, {"ccedil", 0xE7}, {"cedil", 0xB8},
    {"cent", 0xA2},   {"copy", 0xA9},   {"curren", 0xA4}, {"deg", 0xB0},    {"divide", 0xF7}, {"eacute", 0xE9},
    {"ecirc", 0xEA},  {"egrave", 0xE8}, {"eth", 0xF0},    {"euml", 0xEB},   {"frac12", 0xBD}, {"frac14", 0xBC},
    {"frac34", 0xBE}, {"gt", 0x3E},     {"iacute", 0xED}, {"icirc", 0xEE},  {"iexcl", 0xA1},  {"igrave", 0xEC},
    {"iquest", 0xBF}, {"iuml", 0xEF},   {"laquo", 0xAB},  {"lt", 0x3C},     {"macr", 0xAF},   {"micro", 0xB5},
    {"middot", 0xB7}, {"nbsp", 0xA0},   {"not", 0xAC},    {"ntilde", 0xF1}, {"oacute", 0xF3}, {"ocirc", 0xF4},
    {"ograve", 0xF2}, {"ordf", 0xAA},   {"ordm", 0xBA},   {"oslash", 0xF8}, {"otilde", 0xF5}, {"ouml", 0xF6},
    {"para", 0xB6},   {"plusmn", 0xB1}, {"pound", 0xA3},  {"quot", 0x22},   {"raquo", 0xBB},  {"reg", 0xAE},
    {"sect", 0xA7},   {"shy", 0xAD},    {"sup1", 0xB9},   {"sup2", 0xB2},   {"sup3", 0xB3},   {"szlig", 0xDF},
    {"thorn", 0xFE},  {"times", 0xD7},  {"uacute", 0xFA}, {"ucirc", 0xFB},  {"ugrave", 0xF9}, {"uml", 0xA8},
    {"uuml", 0xFC},   {"yacute", 0xFD}, {"yen", 0xA5},    {"yuml", 0xFF},
});

constexpr auto kWithSemicolon = std::to_array<Named>({
    {"Dagger", 0x2021}, {"NewLine", 0x0A}, {"Prime", 0x2033},  {"Tab", 0x09},     {"apos", 0x27},
    {"ast", 0x2A},      {"bdquo", 0x201E}, {"bsol", 0x5C},     {"bull", 0x2022},  {"colon", 0x3A},
    {"comma", 0x2C},    {"commat", 0x40},  {"dagger", 0x2020}, {"darr", 0x2193},  {"dollar", 0x24},
    {"emsp", 0x2003},   {"ensp", 0x2002},  {"equals", 0x3D},   {"euro", 0x20AC},  {"excl", 0x21},
    {"frasl", 0x2044},  {"ge", 0x2265},    {"grave", 0x60},    {"harr", 0x2194},  {"hellip", 0x2026},
    {"hyphen", 0x2010}, {"infin", 0x221E}, {"larr", 0x2190},   {"lcub", 0x7B},    {"ldquo", 0x201C},
    {"le", 0x2264},     {"lowbar", 0x5F},  {"lpar", 0x28},     {"lrm", 0x200E},   {"lsaquo", 0x2039},
    {"lsqb", 0x5B},     {"lsquo", 0x2018}, {"mdash", 0x2014},  {"minus", 0x2212}, {"ndash", 0x2013},
    {"ne", 0x2260},     {"num", 0x23},     {"oline", 0x203E},  {"percnt", 0x25},  {"period", 0x2E},
    {"permil", 0x2030}, {"plus", 0x2B},    {"prime", 0x2032},  {"quest", 0x3F},   {"rarr", 0x2192},
    {"rcub", 0x7D},     {"rdquo", 0x201D}, {"rlm", 0x200F},    {"rpar", 0x29},    {"rsaquo", 0x203A},
    {"rsqb", 0x5D},     {"rsquo", 0x2019}, {"sbquo", 0x201A},  {"semi", 0x3B},    {"sol", 0x2F},
    {"thinsp", 0x2009}, {"trade", 0x2122}, {"uarr", 0x2191},   {"verbar", 0x7C},  {"zwj", 0x200D},
    {"zwnj", 0x200C},
});

// Windows-1252's meaning of 0x80-0x9F, which numeric references in that range take.
constexpr std::array<char16_t, 32> kC1 = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                          0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// The longest name in either table.
constexpr std::size_t kLongestName = 7;
constexpr std::size_t kLongestLegacy = 6;
constexpr char32_t kReplacement = 0xFFFD;

template <std::size_t N> std::optional<char32_t> Lookup(const std::array<Named, N>& table, std::string_view name) {
    const auto found = std::lower_bound(table.begin(), table.end(), name,
                                        [](const Named& n, std::string_view key) { return n.name < key; });
    if (found != table.end() && found->name == name) {
        return found->code;
    }
    return std::nullopt;
}

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int HexValue(char c) {
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

std::size_t Numeric(std::string_view input, std::size_t at, std::string& out) {
    // `at` is just past "&#".
    const bool hex = at < input.size() && (input[at] == 'x' || input[at] == 'X');
    std::size_t i = at + (hex ? 1 : 0);
    const std::size_t digits = i;
    std::uint32_t value = 0;
    for (; i < input.size(); ++i) {
        const int digit = hex ? HexValue(input[i]) : (input[i] >= '0' && input[i] <= '9' ? input[i] - '0' : -1);
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
        auto code = Lookup(kLegacy, word);
        if (!code) {
            code = Lookup(kWithSemicolon, word);
        }
        if (code) {
            AppendUtf8(*code, out);
            return end + 1;
        }
    }
    // The longest name a page may leave unterminated that starts the word.
    for (std::size_t size = std::min(word.size(), kLongestLegacy); size >= 2; --size) {
        const auto code = Lookup(kLegacy, word.substr(0, size));
        if (!code) {
            continue;
        }
        const std::size_t next = at + size;
        if (inAttribute && next < input.size() && (input[next] == '=' || IsAlnum(input[next]))) {
            break;
        }
        AppendUtf8(*code, out);
        return next;
    }
    out.push_back('&');
    return at;
}

} // namespace vortaxel::crawl
