#include "crawl/classic/base_url.h"
#include "crawl/classic/link_extraction.h"
#include "crawl/page/window_open_scan.h"

#include <string>

namespace vortaxel::crawl {

void ExtractWindowOpenLinks(std::string_view page, LinkSink& queue, std::string_view startUrl) {
    const std::string base = MakeBaseUrl(startUrl);
    ForEachWindowOpenValue(page, [&](std::string_view value) {
        if (ContainsWebScheme(value)) {
            queue.Append(value);
        } else {
            queue.AppendJoined(base, RelativeTail(value));
        }
    });
}

} // namespace vortaxel::crawl
