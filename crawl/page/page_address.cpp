#include "crawl/page/page_address.h"

#include "crawl/curl_url.h"
#include "web/ascii.h"
#include "web/url_parts.h"

#include <algorithm>
#include <idn2.h>
#include <memory>

namespace vortaxel::crawl {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

/// Whether an address may not hold `c` as it is.
bool IsUnsafe(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`';
}

/// Escapes the bytes an address may not hold as they are, as a browser does before sending it.
std::string EscapeUnsafe(std::string_view link) {
    std::string out;
    out.reserve(link.size());
    for (const char c : link) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnsafe(c)) {
            web::AppendPercentEscaped(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

/// Upper-cases the hex digits of every escape; a "%" not followed by two hex digits is no escape,
/// and what follows it is left as written.
void UpperCaseEscapes(std::string& path) {
    for (std::size_t i = 0; i + 2 < path.size(); ++i) {
        if (path[i] == '%' && IsHexDigit(path[i + 1]) && IsHexDigit(path[i + 2])) {
            path[i + 1] = web::ToUpperAscii(path[i + 1]);
            path[i + 2] = web::ToUpperAscii(path[i + 2]);
            i += 2;
        }
    }
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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

std::string_view PathOf(std::string_view identity) {
    const std::size_t scheme = identity.find("://");
    if (scheme == std::string_view::npos) {
        return {};
    }
    const std::size_t slash = identity.find('/', scheme + 3);
    if (slash == std::string_view::npos) {
        return {};
    }
    std::string_view path = identity.substr(slash);
    return path.substr(0, path.find('?'));
}

/// Scheme, host and port of an identity as one text ("http://site.test:8080"), user information left
/// out: what a browser calls its origin. Empty for no web address.
std::string_view OriginOf(std::string_view identity) {
    const std::size_t scheme = identity.find("://");
    if (scheme == std::string_view::npos) {
        return {};
    }
    const std::size_t end = identity.find_first_of("/?", scheme + 3);
    return identity.substr(0, end);
}

} // namespace

std::string StripLinkBlanks(std::string_view link) {
    while (!link.empty() && IsBlank(link.front())) {
        link.remove_prefix(1);
    }
    while (!link.empty() && IsBlank(link.back())) {
        link.remove_suffix(1);
    }
    std::string out;
    out.reserve(link.size());
    for (const char c : link) {
        if (c != '\t' && c != '\n' && c != '\r') {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> PageIdentity(std::string_view base, std::string_view link) {
    if (link.size() > kMaxLinkBytes || base.size() > kMaxLinkBytes) {
        return std::nullopt;
    }
    const CurlUrl url(curl_url());
    if (!url) {
        return std::nullopt;
    }
    const std::string baseText = EscapeUnsafe(base);
    std::string linkText = EscapeUnsafe(StripLinkBlanks(link));
    if (linkText.empty() || linkText.front() == '#') {
        // The base itself (RFC 3986 5.2.2), which libcurl would cut back to its folder.
        linkText = baseText;
    }
    if (curl_url_set(url.get(), CURLUPART_URL, baseText.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, linkText.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return std::nullopt;
    }
    std::string scheme = UrlPart(url.get(), CURLUPART_SCHEME);
    for (char& c : scheme) {
        c = web::ToLowerAscii(c);
    }
    if (scheme != "http" && scheme != "https") {
        return std::nullopt;
    }
    // An international name in its ASCII form, as it goes out and as redirects name it, so that both
    // spellings are one page.
    std::string host = UrlPart(url.get(), CURLUPART_HOST);
    if (!IsAscii(host)) {
        auto ascii = AsciiHostName(host);
        if (!ascii) {
            return std::nullopt;
        }
        host = std::move(*ascii);
    }
    // libcurl decodes escapes in a host name; what is still "%" after that would decode again the next
    // time the identity is read, into another host. Browsers refuse such a name as well.
    if (host.empty() || host.find('%') != std::string::npos) {
        return std::nullopt;
    }
    for (char& c : host) {
        c = web::ToLowerAscii(c);
    }
    const std::string port = UrlPart(url.get(), CURLUPART_PORT);
    std::string path = UrlPart(url.get(), CURLUPART_PATH);
    if (path.empty()) {
        path = "/";
    }
    UpperCaseEscapes(path);
    // User information is left out: a page must not make the crawl send credentials, nor have them
    // listed and written to files.
    std::string identity = scheme + "://";
    identity += host;
    const bool defaultPort = (scheme == "http" && port == "80") || (scheme == "https" && port == "443");
    if (!port.empty() && !defaultPort) {
        identity += ':' + port;
    }
    identity += path;
    // Asked for directly: the query part alone tells "?" apart from no query at all.
    char* query = nullptr;
    if (curl_url_get(url.get(), CURLUPART_QUERY, &query, 0) == CURLUE_OK && query != nullptr) {
        const CurlText owned(query);
        identity += '?';
        identity += query;
    }
    return identity;
}

std::optional<SiteScope> SiteScope::Of(std::string_view identity) {
    const std::string_view origin = OriginOf(identity);
    const std::string_view path = PathOf(identity);
    if (origin.empty() || web::HostOf(origin).empty() || path.empty()) {
        return std::nullopt;
    }
    return SiteScope{std::string(origin), std::string(web::HostOf(origin)),
                     std::string(path.substr(0, path.rfind('/') + 1))};
}

bool SiteScope::Contains(std::string_view identity) const {
    const bool web = identity.starts_with("http://") || identity.starts_with("https://");
    return web && OriginOf(identity) == origin && PathOf(identity).starts_with(folder);
}

bool IsNeverFetchedKind(std::string_view identity) {
    return web::EndsWithIgnoreCase(identity, ".zip") || web::EndsWithIgnoreCase(identity, ".pdf") ||
           web::EndsWithIgnoreCase(identity, ".exe");
}

std::optional<std::string> PageIdentityCache::Resolve(std::string_view base, std::string_view link) {
    if (link.size() > kMaxRemembered || base.size() > kMaxLinkBytes) {
        return PageIdentity(base, link);
    }
    std::size_t first = 0;
    while (first < link.size() && IsBlank(link[first])) {
        ++first;
    }
    if (first == link.size() || link[first] == '#') {
        // The page itself, whatever the fragment.
        // Keys of this kind start with "#", those by folder with the folder's scheme.
        key_ = "#";
        key_ += base;
    } else if (link[first] == '?') {
        return PageIdentity(base, link);
    } else {
        // Only a base spelled as an identity is cut at its folder: no escapes to add, no fragment, no user.
        const std::size_t authority = base.find("://");
        const bool plainBase = authority != std::string_view::npos && std::ranges::none_of(base, [](char c) {
                                   return IsUnsafe(c) || c == '#' || c == '@' || c == '\\';
                               });
        if (!plainBase) {
            return PageIdentity(base, link);
        }
        const std::size_t pathStart = authority + 3;
        const std::size_t query = std::min(base.find('?', pathStart), base.size());
        const std::size_t slash = base.substr(0, query).rfind('/');
        const std::size_t folderEnd = slash != std::string_view::npos && slash >= pathStart ? slash + 1 : query;
        key_.assign(base.substr(0, folderEnd));
        key_ += '\0';
        // A fragment of plain characters is dropped without a trace, so links to the parts of one page
        // share their answer; any other fragment stays in the key.
        const std::size_t hash = link.find('#');
        const bool plainFragment =
            hash != std::string_view::npos && std::ranges::all_of(link.substr(hash + 1), [](char c) {
                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string_view("-._~:/?@!$&'()*+,;=").find(c) != std::string_view::npos;
            });
        key_ += plainFragment ? link.substr(0, hash + 1) : link;
    }
    if (const auto known = known_.find(key_); known != known_.end()) {
        return known->second;
    }
    std::optional<std::string> identity = PageIdentity(base, link);
    if (known_.size() >= capacity_) {
        known_.clear();
    }
    known_.emplace(key_, identity);
    return identity;
}

} // namespace vortaxel::crawl
