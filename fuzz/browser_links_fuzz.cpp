// Any bytes as a page read under browser rules, its first line also taken as one link: the parser stays
// within its bounds, and every identity it leads to is a web address that names itself.

#include "crawl/browser_links.h"
#include "crawl/page_address.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kBase = "http://site.example/docs/library/page.html?q=1";
// Resolving costs far more than parsing; a few links per input find the same faults.
constexpr std::size_t kLinksResolved = 32;

void CheckIdentity(std::string_view base, std::string_view link) {
    const std::optional<std::string> identity = vortaxel::crawl::PageIdentity(base, link);
    if (!identity) {
        return;
    }
    VORTAXEL_FUZZ_CHECK(identity->starts_with("http://") || identity->starts_with("https://"));
    VORTAXEL_FUZZ_CHECK(identity->find('#') == std::string::npos);
    VORTAXEL_FUZZ_CHECK(identity->size() <= 2 * vortaxel::crawl::kMaxLinkBytes + base.size());
    // An identity is its own spelling: taken again, it stays as it is.
    VORTAXEL_FUZZ_CHECK(vortaxel::crawl::PageIdentity(*identity, *identity) == identity);
    VORTAXEL_FUZZ_CHECK(vortaxel::crawl::SiteScope::Of(*identity).has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> input(data, data + size);
    const std::string_view page(input.data(), input.size());

    CheckIdentity(kBase, page.substr(0, page.find('\n')));

    const vortaxel::crawl::PageLinks links = vortaxel::crawl::ExtractBrowserLinks(page);
    VORTAXEL_FUZZ_CHECK(links.links.size() <= vortaxel::crawl::kMaxLinksPerPage);
    for (std::size_t i = 0; i < links.links.size(); ++i) {
        VORTAXEL_FUZZ_CHECK(links.links[i].size() <= vortaxel::crawl::kMaxLinkBytes);
        if (i < kLinksResolved) {
            CheckIdentity(kBase, links.links[i]);
        }
    }
    if (links.baseHref) {
        CheckIdentity(kBase, *links.baseHref);
    }
    return 0;
}
