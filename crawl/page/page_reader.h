#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// The element and attribute a link was found in.
enum class LinkSource {
    A,
    Area,
    Frame,
    Iframe,
    LinkCanonical,
    LinkNext,
    LinkPrev,
    LinkAlternate,
    LinkStylesheet,
    LinkIcon,
    Img,
    ImgSrcset,
    Script,
    MetaRefresh,
    WindowOpen,
};

/// The name a report gives the source, e.g. "a", "link rel=canonical", "img srcset".
std::string_view SourceName(LinkSource source);

struct PageLink {
    /// As written, character references decoded; not yet resolved.
    std::string target;
    LinkSource source = LinkSource::A;
    /// A link's text or an image's alt, whitespace collapsed, at most ReadLimits::anchorBytes.
    std::string anchor;
    std::string rel;
    std::string hreflang;
    /// The target's page identity, once the links are resolved ahead (PageRead::resolvedFor); none for
    /// a target that names no web page.
    std::optional<std::string> identity;
};

/// What a page says about itself. Text is whitespace-collapsed and cut at ReadLimits::textBytes.
struct PageFacts {
    /// The first `<base href>`, as written.
    std::optional<std::string> baseHref;
    std::string title;
    std::size_t titleCount = 0;
    std::string metaDescription;
    /// Every `<meta name=robots>` content, joined by ", ".
    std::string metaRobots;
    std::string h1;
    std::size_t h1Count = 0;
    /// The first `<link rel=canonical>` href, as written.
    std::string canonical;
    std::string lang;
    std::size_t wordCount = 0;
    /// The first `<meta http-equiv=refresh>` content, as written.
    std::optional<std::string> refresh;
};

/// A link left out for its length: what it was found in, how long it was and how it starts.
struct OverlongLink {
    LinkSource source = LinkSource::A;
    std::size_t bytes = 0;
    /// Its first kOverlongHeadBytes bytes, character references decoded.
    std::string head;
};

/// How many left-out links a read keeps (it counts them all), and how much of each.
inline constexpr std::size_t kOverlongLinksKept = 16;
inline constexpr std::size_t kOverlongHeadBytes = 200;

struct PageRead {
    PageFacts facts;
    /// In document order, then the "window.open('...')" arguments found as the classic rules find them.
    std::vector<PageLink> links;
    /// The page address each link's `identity` was resolved against, when the links were resolved while
    /// the page was read; empty when they were not, and every user resolves them itself.
    std::string resolvedFor;
    /// Links over kMaxLinkBytes, left out of `links`: the first kOverlongLinksKept of them, in document
    /// order, and how many there were.
    std::vector<OverlongLink> overlong;
    std::size_t overlongCount = 0;
};

/// Bounds on what one page may yield, so a 10 MB title or a million images cost little.
struct ReadLimits {
    std::size_t textBytes = 1024;
    std::size_t anchorBytes = 256;
    std::size_t links = 1'000'000;
};

/// Reads a page in one pass, as a browser's parser would see it, without building a tree: time
/// is linear in the page and memory a small multiple of it. A UTF-8 byte order mark is skipped; a
/// page that starts with a UTF-16 one is read as UTF-16. A link longer than kMaxLinkBytes is left
/// out of the links and noted in PageRead::overlong.
///
/// Where a browser's tree builder would move or drop what it reads, the reader follows it for
/// frames (a frame counts only in a frameset; links in a frameset page's body do not), select
/// elements (which hold no links), templates (whose content is no part of the page: its links, base,
/// title, headings, meta elements and words do not count) and SVG or MathML (where title and style
/// hold markup, and elements are not HTML's: only an SVG `a` links, by `href` or `xlink:href`). It keeps
/// document order where the tree builder moves a stray element out of a table, and does not repeat
/// a link the tree builder reopens after misnested markup.
PageRead ReadPage(std::string_view html, const ReadLimits& limits = {});

} // namespace vortaxel::crawl
