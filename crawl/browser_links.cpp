#include "browser_links.h"

#include "page_address.h"
#include "window_open_scan.h"

#include <gumbo.h>
#include <memory>

namespace vortaxel::crawl {

namespace {

class ParsedPage {
public:
    explicit ParsedPage(std::string_view html)
        : output_(gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size())) {}
    ~ParsedPage() {
        if (output_ != nullptr) {
            gumbo_destroy_output(&kGumboDefaultOptions, output_);
        }
    }
    ParsedPage(const ParsedPage&) = delete;
    ParsedPage& operator=(const ParsedPage&) = delete;

    const GumboNode* Root() const { return output_ != nullptr ? output_->root : nullptr; }

private:
    GumboOutput* output_;
};

/// The attribute holding a link on this element, if it is one that does.
const char* LinkAttribute(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_A:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASE:
        return "href";
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_IFRAME:
        return "src";
    default:
        return nullptr;
    }
}

void Take(PageLinks& page, std::string_view value) {
    if (value.size() <= kMaxLinkBytes && page.links.size() < kMaxLinksPerPage) {
        page.links.emplace_back(value);
    }
}

} // namespace

PageLinks ExtractBrowserLinks(std::string_view html) {
    PageLinks page;
    const ParsedPage parsed(html);
    // Walked with a stack of its own: a page may nest elements far deeper than the call stack goes.
    std::vector<const GumboNode*> pending;
    if (parsed.Root() != nullptr) {
        pending.push_back(parsed.Root());
    }
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) {
            continue;
        }
        const GumboElement& element = node->v.element;
        if (const char* name = LinkAttribute(element.tag)) {
            if (const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name)) {
                const std::string_view value(attribute->value);
                if (element.tag != GUMBO_TAG_BASE) {
                    Take(page, value);
                } else if (!page.baseHref && value.size() <= kMaxLinkBytes) {
                    page.baseHref.emplace(value);
                }
            }
        }
        // Children go on in reverse so that they come off in document order.
        for (unsigned i = element.children.length; i > 0; --i) {
            pending.push_back(static_cast<const GumboNode*>(element.children.data[i - 1]));
        }
    }
    ForEachWindowOpenValue(html, [&page](std::string_view value) { Take(page, value); });
    return page;
}

} // namespace vortaxel::crawl
