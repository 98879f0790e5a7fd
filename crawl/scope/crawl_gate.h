#pragma once

#include "crawl/crawl_controls.h"
#include "crawl/page/page_address.h"
#include "crawl/scope/address_filter.h"
#include "crawl/scope/scope_rules.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::crawl {

/// What a browser-rules crawl's controls let into its queue: the hosts of its scope, its patterns, the
/// parameters it strips and its depth. The default gate is the crawl without controls.
class CrawlGate {
public:
    CrawlGate() = default;
    CrawlGate(const CrawlControls& controls, std::string_view startIdentity);

    /// Whether the scope is wider than the start host and folder.
    bool Wide() const { return wide_.has_value(); }
    /// Whether `identity` lies in the crawl's site: on a host of a wider scope, else in `site`.
    bool InSite(const SiteScope& site, std::string_view identity) const {
        return wide_ ? wide_->Contains(identity) : site.Contains(identity);
    }

    /// Whether patterns or stripped parameters may change or refuse an address.
    bool Narrows() const { return filter_.HasPatterns() || filter_.Strips(); }
    bool Strips() const { return filter_.Strips(); }
    /// Strips `address` of its listed parameters.
    void Strip(std::string& address) const { filter_.StripQuery(address); }
    /// Whether the patterns let `address`, already stripped, be queued.
    bool Admits(std::string_view address) const { return filter_.Admits(address); }
    /// Strips `address` of its listed parameters, then tells whether the patterns let it be queued.
    bool Admit(std::string& address) const;
    /// Whether `address`, as found, is one the patterns keep out (once its parameters are stripped).
    bool Excludes(std::string_view address) const;

    /// Whether each queued page's clicks from the start are counted.
    bool CountsDepth() const { return maxDepth_.has_value(); }
    /// Whether the links of a page `depth` clicks from the start are followed.
    bool FollowsLinksAt(std::size_t depth) const { return !maxDepth_ || depth < *maxDepth_; }
    /// The depth a page is taken at when no click path to it is known (a sitemap's, or one queued by
    /// an earlier run): at the limit, so that no crawl goes past it.
    std::size_t UnknownDepth() const { return maxDepth_.value_or(0); }

private:
    std::optional<WideScope> wide_;
    AddressFilter filter_{CrawlControls{}};
    std::optional<std::size_t> maxDepth_;
};

} // namespace vortaxel::crawl
