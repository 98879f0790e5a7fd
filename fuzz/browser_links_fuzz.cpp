// Any bytes as a page read under browser rules, its first line also taken as one link: the reader stays
// within its bounds (links, their length, the text it keeps, its text blocks), its text blocks are valid
// UTF-8 when the page is, browser rules take exactly its links of their kinds, and every identity they
// lead to is a web address that names itself.

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

// Well-formed UTF-8 as Unicode defines it: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned char lead = byte(i);
        std::size_t size = 1;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            size = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            size = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            size = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + size > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
            return false;
        }
        for (std::size_t k = 2; k < size; ++k) {
            if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
                return false;
            }
        }
        i += size;
    }
    return true;
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
    limits.textBlockBytes = 48;
    limits.textBlocks = 6;
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
    VORTAXEL_FUZZ_CHECK(facts.metaKeywords.size() <= limits.textBytes && facts.firstHeading.size() <= limits.textBytes);

    // Text blocks: within both bounds, collapsed, never empty, and cut only between characters.
    const bool utf8 = IsUtf8(page);
    VORTAXEL_FUZZ_CHECK(read.text.size() <= limits.textBlocks);
    std::size_t textBytes = 0;
    for (const vortaxel::text::TextBlock& block : read.text) {
        const std::string& text = block.text;
        textBytes += text.size();
        VORTAXEL_FUZZ_CHECK(!text.empty() && !text.starts_with(' ') && !text.ends_with(' '));
        VORTAXEL_FUZZ_CHECK(text.find_first_of("\t\n\f\r") == std::string::npos &&
                            text.find("  ") == std::string::npos);
        VORTAXEL_FUZZ_CHECK(!utf8 || IsUtf8(text));
    }
    VORTAXEL_FUZZ_CHECK(textBytes <= limits.textBlockBytes);

    const vortaxel::crawl::PageLinks links = vortaxel::crawl::ExtractBrowserLinks(page);
    const vortaxel::crawl::PageRead whole = vortaxel::crawl::ReadPage(page);
    // Text kept or not, the rest of the read is the same.
    vortaxel::crawl::ReadLimits textless;
    textless.textBlocks = 0;
    const vortaxel::crawl::PageRead plain = vortaxel::crawl::ReadPage(page, textless);
    VORTAXEL_FUZZ_CHECK(plain.text.empty() && plain.links.size() == whole.links.size());
    VORTAXEL_FUZZ_CHECK(plain.facts.title == whole.facts.title && plain.facts.h1 == whole.facts.h1 &&
                        plain.facts.wordCount == whole.facts.wordCount);
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
