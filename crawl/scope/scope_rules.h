#pragma once

#include "crawl/crawl_controls.h"

#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// The registrable domain of an ASCII, lower-cased host by the Public Suffix List ("example.co.uk" for
/// "www.example.co.uk"); empty for an IP address, a single label such as "localhost", or a public suffix.
std::string RegistrableDomain(std::string_view host);

/// A scope wider than one host: every host of the start host's registrable domain. The start page's folder
/// does not bound it: on other hosts it would mean nothing, and on the start host alone it would be a
/// surprise. Any web scheme and port of those hosts is inside, as the site's pages link from http to https.
class WideScope {
public:
    /// None for CrawlScope::Host, and for a start address whose host has no registrable domain: such a crawl
    /// takes its start host alone (see ScopeFallbackNote).
    static std::optional<WideScope> For(CrawlScope scope, std::string_view startIdentity);

    /// Whether a page identity (see PageIdentity) lies on one of the scope's hosts.
    bool Contains(std::string_view identity) const;

    const std::string& Domain() const { return domain_; }

private:
    WideScope(CrawlScope scope, std::string domain, std::string startHost)
        : scope_(scope), domain_(std::move(domain)), startHost_(std::move(startHost)) {}

    CrawlScope scope_;
    std::string domain_;
    std::string startHost_;
};

/// What to tell a user whose wider scope falls back to the start host alone, empty when it does not.
std::string ScopeFallbackNote(CrawlScope scope, std::string_view startIdentity);

} // namespace vortaxel::crawl
