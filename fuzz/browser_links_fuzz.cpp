// Any bytes as a page read under browser rules, its first line also taken as one link: the reader stays
// within its bounds (links, their length, the text it keeps), browser rules take exactly its links of
// their kinds, and every identity they lead to is a web address that names itself.

#include "crawl/browser/browser_links.h"
#include "crawl/page/page_address.h"
#include "crawl/page/page_reader.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kBase = "http://site.example/docs/library/page.html?q=1";
constexpr std::string_view kSibling = "http://site.example/docs/library/other.html?r=/x/y";
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

// What a link named from one page is remembered for every page of its folder: it must be what
// resolving it afresh against that page gives.
void CheckRemembered(std::string_view link) {
    vortaxel::crawl::PageIdentityCache cache;
    const std::string otherPart = std::string(link.substr(0, link.find('#'))) + "#other.part";
    for (const std::string_view base : {kBase, kSibling, kBase}) {
        VORTAXEL_FUZZ_CHECK(cache.Resolve(base, link) == vortaxel::crawl::PageIdentity(base, link));
        VORTAXEL_FUZZ_CHECK(cache.Resolve(base, otherPart) == vortaxel::crawl::PageIdentity(base, otherPart));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> input(data, data + size);
    const std::string_view page(input.data(), input.size());

    CheckIdentity(kBase, page.substr(0, page.find('\n')));
    CheckRemembered(page.substr(0, page.find('\n')));

    // Small limits, so that inputs of fuzzing size reach them.
    vortaxel::crawl::ReadLimits limits;
    limits.textBytes = 64;
    limits.anchorBytes = 16;
    limits.links = 40;
    const vortaxel::crawl::PageRead read = vortaxel::crawl::ReadPage(page, limits);
    VORTAXEL_FUZZ_CHECK(read.links.size() <= limits.links);
    for (const vortaxel::crawl::PageLink& link : read.links) {
        VORTAXEL_FUZZ_CHECK(link.target.size() <= vortaxel::crawl::kMaxLinkBytes);
        VORTAXEL_FUZZ_CHECK(link.anchor.size() <= limits.anchorBytes && link.rel.size() <= limits.anchorBytes &&
                            link.hreflang.size() <= limits.anchorBytes);
    }
    const vortaxel::crawl::PageFacts& facts = read.facts;
    for (const std::string* text : {&facts.title, &facts.h1, &facts.metaDescription, &facts.metaRobots}) {
        VORTAXEL_FUZZ_CHECK(text->size() <= limits.textBytes);
        // Collapsed: no blank at either end, none doubled.
        VORTAXEL_FUZZ_CHECK(!text->starts_with(' ') && !text->ends_with(' ') && text->find("  ") == std::string::npos);
    }
    VORTAXEL_FUZZ_CHECK(facts.wordCount <= page.size());

    const vortaxel::crawl::PageLinks links = vortaxel::crawl::ExtractBrowserLinks(page);
    const vortaxel::crawl::PageRead whole = vortaxel::crawl::ReadPage(page);
    VORTAXEL_FUZZ_CHECK(links.baseHref == whole.facts.baseHref);
    std::size_t taken = 0;
    for (const vortaxel::crawl::PageLink& link : whole.links) {
        if (vortaxel::crawl::IsBrowserRuleLink(link.source)) {
            VORTAXEL_FUZZ_CHECK(taken < links.links.size() && links.links[taken] == link.target);
            ++taken;
        }
    }
    VORTAXEL_FUZZ_CHECK(taken == links.links.size());
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
