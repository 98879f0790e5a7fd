#pragma once

#include "web/ascii.h"

#include <string_view>

namespace vortaxel::crawl {

/// Calls `take` with the first argument of every "window.open('" call in `page` (keyword in any
/// letter case), up to the next apostrophe; stops for good at the first value left unclosed.
template <typename Take> void ForEachWindowOpenValue(std::string_view page, Take&& take) {
    constexpr std::string_view kKeyword = "window.open('";
    constexpr auto npos = std::string_view::npos;
    const web::CaselessFinder keyword(kKeyword);
    for (std::size_t at = keyword.Next(page, 0); at != npos; at = keyword.Next(page, at)) {
        const std::size_t start = at + kKeyword.size();
        const std::size_t close = page.find('\'', start);
        if (close == npos) {
            return;
        }
        take(page.substr(start, close - start));
        at = close;
    }
}

} // namespace vortaxel::crawl
