#include "crawl/scope/scope_rules.h"

#include "web/url_parts.h"

#include <algorithm>
#include <libpsl.h>

namespace vortaxel::crawl {

namespace {

bool IsIpAddress(std::string_view host) {
    // A host that is all digits and dots is an IPv4 address to every resolver; brackets mark IPv6.
    return host.starts_with('[') || (!host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
               return c == '.' || (c >= '0' && c <= '9');
           }));
}

} // namespace

std::string RegistrableDomain(std::string_view host) {
    if (host.empty() || IsIpAddress(host) || host.find('.') == std::string_view::npos) {
        return {};
    }
    // The list built into libpsl: no file to read at run time, so every machine draws the same line.
    const psl_ctx_t* list = psl_builtin();
    const std::string text(host.ends_with('.') ? host.substr(0, host.size() - 1) : host);
    const char* domain = list != nullptr ? psl_registrable_domain(list, text.c_str()) : nullptr;
    return domain != nullptr ? std::string(domain) : std::string();
}

std::optional<WideScope> WideScope::For(CrawlScope scope, std::string_view startIdentity) {
    if (scope == CrawlScope::Host) {
        return std::nullopt;
    }
    std::string host(web::HostOf(startIdentity));
    std::string domain = RegistrableDomain(host);
    if (domain.empty()) {
        return std::nullopt;
    }
    return WideScope(scope, std::move(domain), std::move(host));
}

bool WideScope::Contains(std::string_view identity) const {
    if (!identity.starts_with("http://") && !identity.starts_with("https://")) {
        return false;
    }
    std::string_view host = web::HostOf(identity);
    if (host.ends_with('.')) {
        host.remove_suffix(1);
    }
    if (host == startHost_) {
        return true;
    }
    if (host == domain_) {
        return scope_ == CrawlScope::Domain;
    }
    return host.size() > domain_.size() && host.ends_with(domain_) && host[host.size() - domain_.size() - 1] == '.';
}

std::string ScopeFallbackNote(CrawlScope scope, std::string_view startIdentity) {
    if (scope == CrawlScope::Host || WideScope::For(scope, startIdentity)) {
        return {};
    }
    return std::string("--scope ") + CrawlScopeName(scope) + ": " + std::string(web::HostOf(startIdentity)) +
           " has no registrable domain (an IP address, a single name such as localhost, or a public suffix): "
           "the crawl keeps to that host";
}

} // namespace vortaxel::crawl
