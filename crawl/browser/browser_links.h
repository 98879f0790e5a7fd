#pragma once

#include "crawl/page/page_reader.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// A page holding more links than this yields only the first ones.
inline constexpr std::size_t kMaxLinksPerPage = 1'000'000;

/// What an HTML page links to, as a browser's parser sees it.
struct PageLinks {
    /// The first `<base href>`, as written.
    std::optional<std::string> baseHref;
    /// In document order: `a`/`area` href, `frame`/`iframe` src, then the first arguments of
    /// "window.open('...')" found as the classic rules find them. As written, not yet resolved.
    std::vector<std::string> links;
    /// Each link's identity, in the order of `links`, when the page's links were resolved ahead for the
    /// page at `resolvedFor` (null for a link that names no web page); empty otherwise. They point into the
    /// read the links came from, which must outlive them.
    std::vector<const std::string*> identities;
    std::string resolvedFor;
};

/// Whether browser rules follow links of this kind.
bool IsBrowserRuleLink(LinkSource source);

/// The links browser rules follow among those a page read found, and its base.
PageLinks BrowserLinksOf(const PageRead& read);

/// Reads `html` as a browser's parser would. Any bytes are accepted; a value over kMaxLinkBytes is
/// skipped.
PageLinks ExtractBrowserLinks(std::string_view html);

} // namespace vortaxel::crawl
