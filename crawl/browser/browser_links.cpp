#include "crawl/browser/browser_links.h"

#include "crawl/page/page_reader.h"

namespace vortaxel::crawl {

bool IsBrowserRuleLink(LinkSource source) {
    switch (source) {
    case LinkSource::A:
    case LinkSource::Area:
    case LinkSource::Frame:
    case LinkSource::Iframe:
    case LinkSource::WindowOpen:
        return true;
    default:
        return false;
    }
}

PageLinks BrowserLinksOf(const PageRead& read) {
    PageLinks page;
    page.baseHref = read.facts.baseHref;
    for (const PageLink& link : read.links) {
        if (IsBrowserRuleLink(link.source) && page.links.size() < kMaxLinksPerPage) {
            page.links.push_back(link.target);
        }
    }
    return page;
}

PageLinks ExtractBrowserLinks(std::string_view html) {
    // Only the links are wanted here: the page's text is not read at all.
    return BrowserLinksOf(ReadPage(html, ReadLimitsFor(false)));
}

} // namespace vortaxel::crawl
