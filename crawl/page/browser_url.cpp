#include "crawl/page/browser_url.h"

#include "web/ascii.h"
#include "web/url_parts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <idn2.h>
#include <memory>

namespace vortaxel::crawl {

namespace {

constexpr std::size_t kNone = std::string::npos;

bool IsSlash(char c) {
    return c == '/' || c == '\\';
}

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsControlOrHigh(unsigned char byte) {
    return byte < 0x20 || byte > 0x7E;
}

bool InQuerySet(unsigned char byte) {
    // The set for http and https, which also escapes "'".
    return IsControlOrHigh(byte) || byte == ' ' || byte == '"' || byte == '#' || byte == '<' || byte == '>' ||
           byte == '\'';
}

bool InPathSet(unsigned char byte) {
    return IsControlOrHigh(byte) || byte == ' ' || byte == '"' || byte == '#' || byte == '<' || byte == '>' ||
           byte == '?' || byte == '^' || byte == '`' || byte == '{' || byte == '}';
}

bool InUserinfoSet(unsigned char byte) {
    return InPathSet(byte) || byte == '/' || byte == ':' || byte == ';' || byte == '=' || byte == '@' ||
           (byte >= '[' && byte <= '^') || byte == '|';
}

template <typename InSet> void AppendEncoded(std::string& out, std::string_view text, InSet inSet) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (inSet(byte)) {
            web::AppendPercentEscaped(out, byte);
        } else {
            out += c;
        }
    }
}

/// The input a browser parses: C0 controls and spaces around it dropped, tabs and line breaks inside
/// removed. Copies only when something inside must go.
std::string_view Cleaned(std::string_view input, std::string& storage) {
    while (!input.empty() && static_cast<unsigned char>(input.front()) <= 0x20) {
        input.remove_prefix(1);
    }
    while (!input.empty() && static_cast<unsigned char>(input.back()) <= 0x20) {
        input.remove_suffix(1);
    }
    if (input.find_first_of("\t\n\r") == std::string_view::npos) {
        return input;
    }
    storage.clear();
    for (const char c : input) {
        if (c != '\t' && c != '\n' && c != '\r') {
            storage += c;
        }
    }
    return storage;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && web::EqualsIgnoreCase(a, b);
}

bool IsSingleDot(std::string_view segment) {
    return segment == "." || EqualsIgnoreCase(segment, "%2e");
}

bool IsDoubleDot(std::string_view segment) {
    return segment == ".." || EqualsIgnoreCase(segment, ".%2e") || EqualsIgnoreCase(segment, "%2e.") ||
           EqualsIgnoreCase(segment, "%2e%2e");
}

struct IdnFree {
    void operator()(char* text) const noexcept { idn2_free(text); }
};

/// A host name holding UTF-8 in the ASCII form that goes out and that redirects name, as browsers
/// make it (UTS #46, non-transitional, falling back to transitional for names only the older rules
/// allow). libcurl's own conversion depends on the locale, so it is not used.
std::optional<std::string> AsciiHostName(const std::string& host) {
    for (const int rules : {IDN2_NONTRANSITIONAL, IDN2_TRANSITIONAL}) {
        char* converted = nullptr;
        const int code = idn2_lookup_u8(reinterpret_cast<const uint8_t*>(host.c_str()),
                                        reinterpret_cast<uint8_t**>(&converted), IDN2_NFC_INPUT | rules);
        const std::unique_ptr<char, IdnFree> owned(converted);
        if (code == IDN2_OK && owned) {
            return std::string(owned.get());
        }
        if (code != IDN2_DISALLOWED) {
            break;
        }
    }
    return std::nullopt;
}

bool IsForbiddenInDomain(unsigned char byte) {
    return byte <= 0x20 || byte == 0x7F ||
           std::string_view("#%/:<>?@[\\]^|").find(static_cast<char>(byte)) != std::string_view::npos;
}

/// One part of an IPv4 address: decimal, octal with a leading "0" or hexadecimal with "0x". Values past
/// 32 bits are capped, which is as much a failure for the caller.
std::optional<std::uint64_t> Ipv4Number(std::string_view part) {
    if (part.empty()) {
        return std::nullopt;
    }
    int radix = 10;
    if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
        radix = 16;
        part.remove_prefix(2);
    } else if (part.size() >= 2 && part[0] == '0') {
        radix = 8;
        part.remove_prefix(1);
    }
    std::uint64_t value = 0;
    for (const char c : part) {
        const int digit = web::HexDigitValue(c);
        if (digit < 0 || digit >= radix) {
            return std::nullopt;
        }
        value = std::min<std::uint64_t>(value * static_cast<unsigned>(radix) + static_cast<unsigned>(digit),
                                        std::uint64_t{1} << 40);
    }
    return value;
}

/// Whether a host is to be read as an IPv4 address: its last label (a trailing dot aside) is a number.
bool EndsInNumber(std::string_view host) {
    if (!host.empty() && host.back() == '.') {
        host.remove_suffix(1);
        if (host.empty()) {
            return false;
        }
    }
    const std::size_t dot = host.rfind('.');
    const std::string_view last = dot == kNone ? host : host.substr(dot + 1);
    if (!last.empty() && std::ranges::all_of(last, IsDigit)) {
        return true;
    }
    return last.size() >= 2 && last[0] == '0' && (last[1] == 'x' || last[1] == 'X') &&
           std::ranges::all_of(last.substr(2), [](char c) { return web::HexDigitValue(c) >= 0; });
}

std::optional<std::string> Ipv4Host(std::string_view host) {
    if (!host.empty() && host.back() == '.') {
        host.remove_suffix(1);
    }
    std::array<std::uint64_t, 4> parts{};
    std::size_t count = 0;
    while (true) {
        const std::size_t dot = host.find('.');
        if (count == parts.size()) {
            return std::nullopt;
        }
        const auto number = Ipv4Number(host.substr(0, dot));
        if (!number) {
            return std::nullopt;
        }
        parts[count++] = *number;
        if (dot == kNone) {
            break;
        }
        host.remove_prefix(dot + 1);
    }
    std::uint64_t address = parts[count - 1];
    if (address >= (std::uint64_t{1} << (8 * (5 - count)))) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (parts[i] > 255) {
            return std::nullopt;
        }
        address += parts[i] << (8 * (3 - i));
    }
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += std::to_string((address >> shift) & 0xFF);
        if (shift != 0) {
            out += '.';
        }
    }
    return out;
}

std::optional<std::array<std::uint16_t, 8>> Ipv6Pieces(std::string_view text) {
    std::array<std::uint16_t, 8> address{};
    std::size_t piece = 0;
    std::optional<std::size_t> compress;
    std::size_t at = 0;
    const auto c = [&]() { return at < text.size() ? text[at] : '\0'; };
    if (c() == ':') {
        if (at + 1 >= text.size() || text[at + 1] != ':') {
            return std::nullopt;
        }
        at += 2;
        compress = ++piece;
    }
    while (at < text.size()) {
        if (piece == 8) {
            return std::nullopt;
        }
        if (c() == ':') {
            if (compress) {
                return std::nullopt;
            }
            ++at;
            compress = ++piece;
            continue;
        }
        unsigned value = 0;
        std::size_t length = 0;
        while (length < 4 && at < text.size() && web::HexDigitValue(c()) >= 0) {
            value = value * 16 + static_cast<unsigned>(web::HexDigitValue(c()));
            ++at;
            ++length;
        }
        if (c() == '.') {
            if (length == 0 || piece > 6) {
                return std::nullopt;
            }
            at -= length;
            int numbersSeen = 0;
            while (at < text.size()) {
                if (numbersSeen > 0) {
                    if (c() != '.' || numbersSeen >= 4) {
                        return std::nullopt;
                    }
                    ++at;
                }
                if (!IsDigit(c())) {
                    return std::nullopt;
                }
                int number = -1;
                while (IsDigit(c())) {
                    if (number == 0) {
                        return std::nullopt;
                    }
                    number = (number < 0 ? 0 : number * 10) + (c() - '0');
                    if (number > 255) {
                        return std::nullopt;
                    }
                    ++at;
                }
                address[piece] = static_cast<std::uint16_t>(address[piece] * 0x100 + number);
                ++numbersSeen;
                if (numbersSeen == 2 || numbersSeen == 4) {
                    ++piece;
                }
            }
            if (numbersSeen != 4) {
                return std::nullopt;
            }
            break;
        }
        if (c() == ':') {
            ++at;
            if (at == text.size()) {
                return std::nullopt;
            }
        } else if (at < text.size()) {
            return std::nullopt;
        }
        address[piece++] = static_cast<std::uint16_t>(value);
    }
    if (compress) {
        std::size_t swaps = piece - *compress;
        std::size_t to = 7;
        while (to != 0 && swaps > 0) {
            std::swap(address[to], address[*compress + swaps - 1]);
            --to;
            --swaps;
        }
    } else if (piece != 8) {
        return std::nullopt;
    }
    return address;
}

std::optional<std::string> Ipv6Host(std::string_view text) {
    const auto address = Ipv6Pieces(text);
    if (!address) {
        return std::nullopt;
    }
    // The first longest run of two or more zero pieces is written "::".
    std::size_t runStart = 8;
    std::size_t runLength = 1;
    for (std::size_t i = 0; i < 8;) {
        std::size_t j = i;
        while (j < 8 && (*address)[j] == 0) {
            ++j;
        }
        if (j - i > runLength) {
            runStart = i;
            runLength = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    std::string out = "[";
    static constexpr char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == runStart) {
            out += i == 0 ? "::" : ":";
            i += runLength - 1;
            continue;
        }
        const unsigned value = (*address)[i];
        bool started = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const unsigned digit = (value >> shift) & 0xF;
            if (digit != 0 || started || shift == 0) {
                out += kHex[digit];
                started = true;
            }
        }
        if (i != 7) {
            out += ':';
        }
    }
    out += ']';
    return out;
}

std::optional<std::string> Host(std::string_view text) {
    if (text.starts_with('[')) {
        if (!text.ends_with(']')) {
            return std::nullopt;
        }
        return Ipv6Host(text.substr(1, text.size() - 2));
    }
    std::string domain;
    domain.reserve(text.size());
    bool ascii = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && web::HexDigitValue(text[i + 1]) >= 0 &&
            web::HexDigitValue(text[i + 2]) >= 0) {
            c = static_cast<char>(web::HexDigitValue(text[i + 1]) * 16 + web::HexDigitValue(text[i + 2]));
            i += 2;
        }
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        domain += web::ToLowerAscii(c);
    }
    if (!ascii) {
        auto converted = AsciiHostName(domain);
        if (!converted) {
            return std::nullopt;
        }
        domain = std::move(*converted);
        for (char& c : domain) {
            c = web::ToLowerAscii(c);
        }
    }
    if (domain.empty() ||
        std::ranges::any_of(domain, [](char c) { return IsForbiddenInDomain(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    if (EndsInNumber(domain)) {
        return Ipv4Host(domain);
    }
    return domain;
}

/// Reads a path (after its first "/") into `url.href`, then the query; the fragment is dropped.
void ParsePath(std::string_view rest, BrowserUrl& url) {
    std::string segment;
    while (true) {
        const std::size_t end = rest.find_first_of("/\\?#");
        segment.clear();
        AppendEncoded(segment, rest.substr(0, end), InPathSet);
        const bool slash = end != kNone && IsSlash(rest[end]);
        if (IsDoubleDot(segment)) {
            const std::size_t last = url.href.rfind('/');
            if (last != kNone && last >= url.pathStart) {
                url.href.resize(last);
            }
            if (!slash) {
                url.href += '/';
            }
        } else if (IsSingleDot(segment)) {
            if (!slash) {
                url.href += '/';
            }
        } else {
            url.href += '/';
            url.href += segment;
        }
        if (!slash) {
            if (end != kNone && rest[end] == '?') {
                rest.remove_prefix(end + 1);
                url.queryStart = url.href.size();
                url.href += '?';
                AppendEncoded(url.href, rest.substr(0, rest.find('#')), InQuerySet);
            }
            return;
        }
        rest.remove_prefix(end + 1);
    }
}

/// Reads what follows "//" (slashes already skipped): user information, host, port, then the path.
std::optional<BrowserUrl> ParseAuthority(std::string_view scheme, std::string_view rest) {
    const std::size_t end = std::min(rest.find_first_of("/\\?#"), rest.size());
    std::string_view authority = rest.substr(0, end);
    BrowserUrl url;
    url.scheme = scheme;
    url.href = url.scheme + "://";
    if (const std::size_t at = authority.rfind('@'); at != kNone) {
        const std::string_view userinfo = authority.substr(0, at);
        const std::size_t colon = userinfo.find(':');
        const std::size_t userStart = url.href.size();
        AppendEncoded(url.href, userinfo.substr(0, colon), InUserinfoSet);
        if (colon != kNone && colon + 1 < userinfo.size()) {
            url.href += ':';
            url.passwordStart = url.href.size();
            AppendEncoded(url.href, userinfo.substr(colon + 1), InUserinfoSet);
            url.passwordEnd = url.href.size();
        }
        if (url.href.size() != userStart) {
            url.href += '@';
        }
        authority.remove_prefix(at + 1);
    }
    // A ":" inside brackets belongs to an IPv6 address.
    std::size_t colon = kNone;
    bool brackets = false;
    for (std::size_t i = 0; i < authority.size(); ++i) {
        if (authority[i] == '[') {
            brackets = true;
        } else if (authority[i] == ']') {
            brackets = false;
        } else if (authority[i] == ':' && !brackets) {
            colon = i;
            break;
        }
    }
    const std::string_view hostText = authority.substr(0, colon);
    if (hostText.empty()) {
        return std::nullopt;
    }
    const auto host = Host(hostText);
    if (!host) {
        return std::nullopt;
    }
    url.href += *host;
    if (colon != kNone) {
        const std::string_view digits = authority.substr(colon + 1);
        unsigned port = 0;
        for (const char c : digits) {
            if (!IsDigit(c)) {
                return std::nullopt;
            }
            port = port * 10 + static_cast<unsigned>(c - '0');
            if (port > 65535) {
                return std::nullopt;
            }
        }
        const unsigned defaultPort = scheme == "http" ? 80 : 443;
        if (!digits.empty() && port != defaultPort) {
            url.href += ':';
            url.href += std::to_string(port);
        }
    }
    url.pathStart = url.href.size();
    rest.remove_prefix(end);
    if (!rest.empty() && IsSlash(rest.front())) {
        rest.remove_prefix(1);
    }
    ParsePath(rest, url);
    return url;
}

std::string_view SkipSlashes(std::string_view text) {
    while (!text.empty() && IsSlash(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

/// `rest` read against a base of the same scheme.
std::optional<BrowserUrl> ParseRelative(std::string_view rest, const BrowserUrl& base) {
    if (!rest.empty() && IsSlash(rest.front())) {
        if (rest.size() > 1 && IsSlash(rest[1])) {
            return ParseAuthority(base.scheme, SkipSlashes(rest));
        }
        BrowserUrl url;
        url.scheme = base.scheme;
        url.href.assign(base.href, 0, base.pathStart);
        url.pathStart = base.pathStart;
        ParsePath(rest.substr(1), url);
        return url;
    }
    BrowserUrl url = base;
    const std::size_t pathEnd = base.queryStart == kNone ? base.href.size() : base.queryStart;
    if (rest.empty() || rest.front() == '#') {
        return url;
    }
    if (rest.front() == '?') {
        url.href.resize(pathEnd);
        url.queryStart = url.href.size();
        url.href += '?';
        AppendEncoded(url.href, rest.substr(1, rest.find('#') - 1), InQuerySet);
        return url;
    }
    // The base's last segment goes, and its query.
    url.href.resize(pathEnd);
    url.queryStart = kNone;
    const std::size_t last = url.href.rfind('/');
    if (last != kNone && last >= url.pathStart) {
        url.href.resize(last);
    }
    ParsePath(rest, url);
    return url;
}

} // namespace

std::optional<BrowserUrl> ParseBrowserUrl(std::string_view input, const BrowserUrl* base) {
    std::string storage;
    const std::string_view text = Cleaned(input, storage);
    std::size_t schemeEnd = 0;
    if (!text.empty() && IsAlpha(text.front())) {
        schemeEnd = 1;
        while (schemeEnd < text.size() &&
               (IsAlpha(text[schemeEnd]) || IsDigit(text[schemeEnd]) || text[schemeEnd] == '+' ||
                text[schemeEnd] == '-' || text[schemeEnd] == '.')) {
            ++schemeEnd;
        }
        if (schemeEnd == text.size() || text[schemeEnd] != ':') {
            schemeEnd = 0;
        }
    }
    if (schemeEnd == 0) {
        if (base == nullptr || !base->IsWeb()) {
            // A base of another scheme makes a relative link either fail or name no web page.
            return std::nullopt;
        }
        return ParseRelative(text, *base);
    }
    std::string scheme(text.substr(0, schemeEnd));
    for (char& c : scheme) {
        c = web::ToLowerAscii(c);
    }
    const std::string_view rest = text.substr(schemeEnd + 1);
    if (scheme != "http" && scheme != "https") {
        BrowserUrl other;
        other.scheme = std::move(scheme);
        return other;
    }
    if (base != nullptr && base->IsWeb() && base->scheme == scheme) {
        // "http:page" is relative to an http base.
        return ParseRelative(rest, *base);
    }
    return ParseAuthority(scheme, SkipSlashes(rest));
}

} // namespace vortaxel::crawl
