#pragma once

#include "crawl/browser/browser_links.h"

#include <string_view>

namespace vortaxel::testing {

/// The links browser rules took with an HTML5 tree parser (gumbo): the reference the page reader
/// is held against, kept for tests and benchmarks only. With `nestingCap`, start tags without links
/// past 512 rough levels of nesting are left out first, as browser rules once did to bound the
/// parser's time (which changes what some pages mean); without it the parse is the standard's,
/// in time that grows with the square of the nesting.
crawl::PageLinks GumboBrowserLinks(std::string_view html, bool nestingCap = false);

} // namespace vortaxel::testing
