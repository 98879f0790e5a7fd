#include "crawl/page/page_address.h"

#include "crawl/page/browser_url.h"
#include "web/ascii.h"
#include "web/url_parts.h"

#include <algorithm>
#include <utility>

namespace vortaxel::crawl {

namespace {

/// C0 controls and the space, which a browser drops around a link.
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

/// Whether an address may not hold `c` as it is.
bool IsUnsafe(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`';
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

/// Scheme (with "://") and host and port of an identity, user information left out: together what a
/// browser calls its origin. Both empty for no web address.
std::pair<std::string_view, std::string_view> OriginOf(std::string_view identity) {
    const std::size_t scheme = identity.find("://");
    if (scheme == std::string_view::npos) {
        return {};
    }
    const std::size_t end = std::min(identity.find_first_of("/?", scheme + 3), identity.size());
    std::string_view authority = identity.substr(scheme + 3, end - scheme - 3);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    return {identity.substr(0, scheme + 3), authority};
}

/// Whether `link` is a scheme and then at most a query or fragment ("http:", "http:?q"): against a base
/// of that scheme it keeps the base's whole path, not only its folder. Tabs and line breaks count for
/// nothing anywhere in it, the scheme's letters included, as a browser drops them before it parses.
bool NamesSchemeAlone(std::string_view link) {
    const auto isDropped = [](char c) { return c == '\t' || c == '\n' || c == '\r'; };
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::size_t at = 0;
    const auto skipDropped = [&] {
        while (at < link.size() && isDropped(link[at])) {
            ++at;
        }
    };
    skipDropped();
    if (at == link.size() || !isLetter(link[at])) {
        return false;
    }
    while (true) {
        ++at;
        skipDropped();
        if (at == link.size()) {
            return false;
        }
        if (link[at] == ':') {
            break;
        }
        const char c = link[at];
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    ++at;
    skipDropped();
    return at == link.size() || link[at] == '?' || link[at] == '#' || IsBlank(link[at]);
}

/// Whether a base's last segment is "." or ".." (escaped or not), which takes its folder away with it.
bool EndsInDotSegment(std::string_view base) {
    base = base.substr(0, base.find('?'));
    std::string_view last = base.substr(base.rfind('/') + 1);
    std::string lower(last);
    for (char& c : lower) {
        c = web::ToLowerAscii(c);
    }
    return lower == "." || lower == ".." || lower == "%2e" || lower == ".%2e" || lower == "%2e." || lower == "%2e%2e";
}

} // namespace

std::optional<std::string> PageIdentity(std::string_view base, std::string_view link) {
    if (link.size() > kMaxLinkBytes || base.size() > kMaxLinkBytes) {
        return std::nullopt;
    }
    const std::optional<BrowserUrl> baseUrl = ParseBrowserUrl(base);
    std::optional<BrowserUrl> url = ParseBrowserUrl(link, baseUrl ? &*baseUrl : nullptr);
    if (!url || !url->IsWeb()) {
        return std::nullopt;
    }
    if (url->passwordStart < url->passwordEnd) {
        // A password is neither shown nor kept: the crawl's own login, if any, goes in its place on the wire.
        url->href.replace(url->passwordStart, url->passwordEnd - url->passwordStart, kHiddenPassword);
    }
    return std::move(url->href);
}

std::string LinkBaseOf(std::string_view pageAddress, std::string_view baseHref) {
    if (baseHref.size() <= kMaxLinkBytes && pageAddress.size() <= kMaxLinkBytes) {
        const std::optional<BrowserUrl> page = ParseBrowserUrl(pageAddress);
        if (std::optional<BrowserUrl> base = ParseBrowserUrl(baseHref, page ? &*page : nullptr)) {
            // Against a base of another scheme only its scheme matters: no relative link names a web page.
            return base->IsWeb() ? std::move(base->href) : base->scheme + ':';
        }
    }
    return std::string(pageAddress);
}

std::optional<SiteScope> SiteScope::Of(std::string_view identity) {
    const auto [scheme, authority] = OriginOf(identity);
    const std::string origin = std::string(scheme) + std::string(authority);
    const std::string_view path = PathOf(identity);
    if (authority.empty() || web::HostOf(origin).empty() || path.empty()) {
        return std::nullopt;
    }
    return SiteScope{origin, std::string(web::HostOf(origin)), std::string(path.substr(0, path.rfind('/') + 1))};
}

bool SiteScope::Contains(std::string_view identity) const {
    const bool web = identity.starts_with("http://") || identity.starts_with("https://");
    if (!web) {
        return false;
    }
    const auto [scheme, authority] = OriginOf(identity);
    return origin.size() == scheme.size() + authority.size() && origin.starts_with(scheme) &&
           origin.ends_with(authority) && PathOf(identity).starts_with(folder);
}

bool IsNeverFetchedKind(std::string_view identity) {
    return web::EndsWithIgnoreCase(identity, ".zip") || web::EndsWithIgnoreCase(identity, ".pdf") ||
           web::EndsWithIgnoreCase(identity, ".exe");
}

std::optional<std::string> LandedAt(const std::string& asked, const std::string& finalUrl) {
    return finalUrl.empty() ? asked : PageIdentity(finalUrl, finalUrl);
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
    } else if (link[first] == '?' || NamesSchemeAlone(link.substr(first))) {
        return PageIdentity(base, link);
    } else {
        // Only a base spelled as an identity is cut at its folder: no escapes to add, no fragment, no user.
        const std::size_t authority = base.find("://");
        const bool plainBase =
            authority != std::string_view::npos &&
            std::ranges::none_of(base, [](char c) { return IsUnsafe(c) || c == '#' || c == '@' || c == '\\'; }) &&
            !EndsInDotSegment(base);
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
