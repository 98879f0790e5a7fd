// Any bytes as a sitemap: reading stays within its limits, and reading in two pieces split anywhere gives
// what reading at once gives, as a network that hands a body over in chunks of any size must.

#include "crawl/sitemap/sitemap_reader.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::vector<char> input(data, data + size);
    const std::string_view body(input.data() + 1, input.size() - 1);
    vortaxel::crawl::SitemapLimits limits;
    limits.maxBytes = 4096;
    limits.maxUrls = 8;
    limits.maxLocBytes = 64;

    const vortaxel::crawl::SitemapContent whole = vortaxel::crawl::ReadSitemap(body, limits);
    VORTAXEL_FUZZ_CHECK(whole.pages.size() + whole.sitemaps.size() <= limits.maxUrls);
    for (const auto* list : {&whole.pages, &whole.sitemaps}) {
        for (const auto& url : *list) {
            VORTAXEL_FUZZ_CHECK(!url.empty() && url.size() <= limits.maxLocBytes);
        }
    }

    const std::size_t split = body.empty() ? 0 : static_cast<unsigned char>(input[0]) % body.size();
    vortaxel::crawl::SitemapReader reader(limits);
    if (reader.Feed(body.substr(0, split))) {
        reader.Feed(body.substr(split));
    }
    const vortaxel::crawl::SitemapContent pieces = reader.Finish();
    VORTAXEL_FUZZ_CHECK(pieces.kind == whole.kind);
    VORTAXEL_FUZZ_CHECK(pieces.pages == whole.pages);
    VORTAXEL_FUZZ_CHECK(pieces.sitemaps == whole.sitemaps);
    VORTAXEL_FUZZ_CHECK(pieces.problem == whole.problem);
    return 0;
}
