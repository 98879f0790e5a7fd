#include "gumbo_links.h"

#include "crawl/page/page_address.h"
#include "crawl/page/window_open_scan.h"
#include "web/ascii.h"

#include <cstddef>
#include <gumbo.h>
#include <memory>

namespace vortaxel::testing {

using crawl::ForEachWindowOpenValue;
using crawl::kMaxLinkBytes;
using crawl::kMaxLinksPerPage;
using crawl::PageLinks;
using web::EqualsIgnoreCase;

namespace {

// The parser checks its stack of open elements for every tag, so its time grows with the square of
// the nesting depth. Browsers stop nesting at a few hundred levels; past this many, start tags that
// carry no link are dropped, which keeps every link and the parse time bounded.
constexpr std::size_t kMaxNesting = 512;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// Whether the start tag whose name begins at `name` may carry a link.
bool IsLinkTag(std::string_view html, std::size_t name) {
    for (const std::string_view tag : {"a", "area", "base", "frame", "iframe"}) {
        const std::size_t end = name + tag.size();
        if (end <= html.size() && EqualsIgnoreCase(html.substr(name, tag.size()), tag) &&
            (end == html.size() || !IsLetter(html[end]))) {
            return true;
        }
    }
    return false;
}

/// `html` with the start tags beyond kMaxNesting that carry no link left out, counting open and
/// close tags roughly; empty when the page never nests that deep.
std::string Flattened(std::string_view html) {
    std::string out;
    std::size_t depth = 0;
    std::size_t copied = 0;
    for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
        if (at + 1 < html.size() && html[at + 1] == '/') {
            depth -= depth > 0 ? 1 : 0;
            continue;
        }
        if (at + 1 >= html.size() || !IsLetter(html[at + 1]) || ++depth <= kMaxNesting || IsLinkTag(html, at + 1)) {
            continue;
        }
        const std::size_t close = html.find('>', at);
        if (close == std::string_view::npos) {
            break;
        }
        out.append(html.substr(copied, at - copied));
        copied = close + 1;
        at = close;
    }
    if (copied != 0) {
        out.append(html.substr(copied));
    }
    return out;
}

/// Memory for one parse, handed out in order and given back all at once: the parser makes a small
/// allocation for every token, and malloc and free took a third of its time.
class Arena {
public:
    Arena() = default;
    ~Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    Arena(Arena&&) = delete;
    Arena& operator=(Arena&&) = delete;

    static void* Allocate(void* self, std::size_t size) { return static_cast<Arena*>(self)->Take(size); }
    static void Release(void* /*self*/, void* /*pointer*/) {}

private:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    static constexpr std::size_t kAlign = alignof(std::max_align_t);

    void* Take(std::size_t size) {
        size = (size + kAlign - 1) / kAlign * kAlign;
        if (size > kBlockBytes / 4) {
            return large_.emplace_back(std::make_unique_for_overwrite<std::max_align_t[]>(size / kAlign)).get();
        }
        if (blocks_.empty() || used_ + size > kBlockBytes) {
            blocks_.push_back(std::make_unique_for_overwrite<std::max_align_t[]>(kBlockBytes / kAlign));
            used_ = 0;
        }
        void* taken = reinterpret_cast<std::byte*>(blocks_.back().get()) + used_;
        used_ += size;
        return taken;
    }

    std::vector<std::unique_ptr<std::max_align_t[]>> blocks_;
    std::vector<std::unique_ptr<std::max_align_t[]>> large_;
    std::size_t used_ = 0;
};

class ParsedPage {
public:
    ParsedPage(std::string_view html, bool nestingCap) : options_(kGumboDefaultOptions) {
        // Each recorded error copies the stack of open elements: a page with many unclosed tags would
        // fill memory with them, and nothing here reads them.
        options_.max_errors = 0;
        options_.allocator = &Arena::Allocate;
        options_.deallocator = &Arena::Release;
        options_.userdata = &arena_;
        const std::string flat = nestingCap ? Flattened(html) : std::string();
        const std::string_view input = flat.empty() ? html : std::string_view(flat);
        output_ = gumbo_parse_with_options(&options_, input.data(), input.size());
    }
    // The arena frees the whole tree at once; walking it to free nothing would only cost time.
    ~ParsedPage() = default;
    ParsedPage(const ParsedPage&) = delete;
    ParsedPage& operator=(const ParsedPage&) = delete;
    ParsedPage(ParsedPage&&) = delete;
    ParsedPage& operator=(ParsedPage&&) = delete;

    const GumboNode* Root() const { return output_ != nullptr ? output_->root : nullptr; }

private:
    Arena arena_;
    GumboOptions options_;
    GumboOutput* output_ = nullptr;
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

/// An SVG `a`'s link: its `href`, or its `xlink:href` where it has none.
const GumboAttribute* SvgLink(const GumboElement& element) {
    const GumboAttribute* xlink = nullptr;
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        const std::string_view name(attribute->name);
        const bool plain = attribute->attr_namespace == GUMBO_ATTR_NAMESPACE_NONE;
        if (name == "href" && plain) {
            return attribute;
        }
        // The parser may give the attribute its namespace and local name, or keep its name as written.
        if ((name == "xlink:href" || (name == "href" && attribute->attr_namespace == GUMBO_ATTR_NAMESPACE_XLINK)) &&
            xlink == nullptr) {
            xlink = attribute;
        }
    }
    return xlink;
}

void Take(PageLinks& page, std::string_view value) {
    if (value.size() <= kMaxLinkBytes && page.links.size() < kMaxLinksPerPage) {
        page.links.emplace_back(value);
    }
}

} // namespace

PageLinks GumboBrowserLinks(std::string_view html, bool nestingCap) {
    PageLinks page;
    const ParsedPage parsed(html, nestingCap);
    // Walked with a stack of its own: a page may nest elements far deeper than the call stack goes.
    std::vector<const GumboNode*> pending;
    if (parsed.Root() != nullptr) {
        pending.push_back(parsed.Root());
    }
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        // A template's content is no part of the document.
        if (node->type != GUMBO_NODE_ELEMENT) {
            continue;
        }
        const GumboElement& element = node->v.element;
        if (element.tag_namespace == GUMBO_NAMESPACE_SVG) {
            if (element.tag == GUMBO_TAG_A) {
                if (const GumboAttribute* attribute = SvgLink(element)) {
                    Take(page, attribute->value);
                }
            }
        } else if (element.tag_namespace != GUMBO_NAMESPACE_HTML) {
            // MathML has no links of its own.
        } else if (const char* name = LinkAttribute(element.tag)) {
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

} // namespace vortaxel::testing
