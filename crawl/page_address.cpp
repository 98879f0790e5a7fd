#include "page_address.h"

#include "ascii.h"
#include "curl_url.h"

#include <memory>

namespace vortaxel::crawl {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

/// Escapes the bytes an address may not hold as they are, as a browser does before sending it.
std::string EscapeUnsafe(std::string_view link) {
    std::string out;
    out.reserve(link.size());
    for (const char c : link) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`') {
            AppendPercentEscaped(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

void UpperCaseEscapes(std::string& path) {
    for (std::size_t i = 0; i + 2 < path.size(); ++i) {
        if (path[i] == '%') {
            path[i + 1] = ToUpperAscii(path[i + 1]);
            path[i + 2] = ToUpperAscii(path[i + 2]);
        }
    }
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

std::string_view HostOf(std::string_view identity) {
    const std::size_t scheme = identity.find("://");
    if (scheme == std::string_view::npos) {
        return {};
    }
    std::string_view authority = identity.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority = authority.substr(at + 1);
    }
    if (!authority.empty() && authority.front() == '[') {
        return authority.substr(0, authority.find(']') + 1);
    }
    return authority.substr(0, authority.find(':'));
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
        c = ToLowerAscii(c);
    }
    if (scheme != "http" && scheme != "https") {
        return std::nullopt;
    }
    std::string host = UrlPart(url.get(), CURLUPART_HOST);
    if (host.empty()) {
        return std::nullopt;
    }
    for (char& c : host) {
        c = ToLowerAscii(c);
    }
    const std::string port = UrlPart(url.get(), CURLUPART_PORT);
    std::string path = UrlPart(url.get(), CURLUPART_PATH);
    if (path.empty()) {
        path = "/";
    }
    UpperCaseEscapes(path);
    std::string identity = scheme + "://";
    if (const std::string user = UrlPart(url.get(), CURLUPART_USER); !user.empty()) {
        identity += user;
        if (const std::string password = UrlPart(url.get(), CURLUPART_PASSWORD); !password.empty()) {
            identity += ':' + password;
        }
        identity += '@';
    }
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
    const std::string_view host = HostOf(identity);
    const std::string_view path = PathOf(identity);
    if (host.empty() || path.empty()) {
        return std::nullopt;
    }
    return SiteScope{std::string(host), std::string(path.substr(0, path.rfind('/') + 1))};
}

bool SiteScope::Contains(std::string_view identity) const {
    const bool web = identity.starts_with("http://") || identity.starts_with("https://");
    return web && HostOf(identity) == host && PathOf(identity).starts_with(folder);
}

bool IsNeverFetchedKind(std::string_view identity) {
    return EndsWithIgnoreCase(identity, ".zip") || EndsWithIgnoreCase(identity, ".pdf") ||
           EndsWithIgnoreCase(identity, ".exe");
}

} // namespace vortaxel::crawl
