#pragma once

#include "crawl/link_sink.h"

#include <string_view>

namespace vortaxel::crawl {

// Both extractors find their keyword by plain text search in any letter case, take the text
// between the next pair of delimiters as the link value, and append it to `queue`: absolute
// values (http:// or https://, any case) as they stand, all others joined to the start URL.
// They never parse HTML, never look at the page's own address, and stop for good at the first
// value whose closing delimiter is missing. Pages may hold any bytes, NUL included.

/// Takes "href" values. The value lies between the first double quote or apostrophe after the
/// keyword, whichever comes first, and the next occurrence of that same character. An absolute
/// value is appended only when the base URL occurs in it, exactly.
void ExtractHrefLinks(std::string_view page, LinkSink& queue, std::string_view startUrl);

/// Takes the first argument of "window.open('" calls, up to the next apostrophe. A value that
/// holds http:// or https:// anywhere is appended unchanged, with no test against the site.
void ExtractWindowOpenLinks(std::string_view page, LinkSink& queue, std::string_view startUrl);

} // namespace vortaxel::crawl
