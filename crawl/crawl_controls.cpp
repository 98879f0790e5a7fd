#include "crawl/crawl_controls.h"

namespace vortaxel::crawl {

std::optional<CrawlScope> ParseCrawlScope(std::string_view name) {
    if (name == "host") {
        return CrawlScope::Host;
    }
    if (name == "subdomains") {
        return CrawlScope::Subdomains;
    }
    if (name == "domain") {
        return CrawlScope::Domain;
    }
    return std::nullopt;
}

const char* CrawlScopeName(CrawlScope scope) {
    switch (scope) {
    case CrawlScope::Subdomains:
        return "subdomains";
    case CrawlScope::Domain:
        return "domain";
    case CrawlScope::Host:
        break;
    }
    return "host";
}

} // namespace vortaxel::crawl
