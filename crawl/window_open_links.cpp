#include "ascii.h"
#include "base_url.h"
#include "link_extraction.h"

#include <string>

namespace vortaxel::crawl {

void ExtractWindowOpenLinks(std::string_view page, LinkSink& queue, std::string_view startUrl) {
    constexpr std::string_view kKeyword = "window.open('";
    constexpr auto npos = std::string_view::npos;
    const std::string base = MakeBaseUrl(startUrl);
    const CaselessFinder keyword(kKeyword);

    for (std::size_t at = keyword.Next(page, 0); at != npos; at = keyword.Next(page, at)) {
        const std::size_t start = at + kKeyword.size();
        const std::size_t close = page.find('\'', start);
        if (close == npos) {
            return;
        }
        const std::string_view value = page.substr(start, close - start);
        if (ContainsWebScheme(value)) {
            queue.Append(value);
        } else {
            queue.AppendJoined(base, RelativeTail(value));
        }
        at = close;
    }
}

} // namespace vortaxel::crawl
