#pragma once

#include "crawl/content/structured_data.h"
#include "text/page_terms.h"
#include "text/text_block.h"

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
    /// The first `<meta name=keywords>` content.
    std::string metaKeywords;
    /// Every `<meta name=robots>` content, joined by ", ".
    std::string metaRobots;
    std::string h1;
    std::size_t h1Count = 0;
    /// The text of the first h1-h6 that has any, so that a page without an H1 can be named by its first heading.
    std::string firstHeading;
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
    /// The page's visible text in document order, one block per block-level element, within
    /// ReadLimits::textBlockBytes and ReadLimits::textBlocks.
    ///
    /// The first title is a Title block, the first meta description a Description block, h1 text is H1 and
    /// h2-h6 text Heading (a link's text inside a heading is the heading's), an image's alt a block of its
    /// own. A block ends at every start and end tag of a block-level element (p, div, li, td, headings,
    /// br, hr, ...: BreaksText in the reader) and at form controls and buttons, never at an inline one (a,
    /// span, em, code, label, ...). Runs of ASCII white space are one blank, with none at either end;
    /// a no-break space is text. Character references are decoded; nothing else is changed. Left out, as a
    /// browser running scripts would not show it: script, style and the other raw text elements,
    /// noscript, template content, select and datalist options, textarea values, and SVG text (its
    /// drawing's labels, title and desc; HTML inside a foreignObject counts). Empty blocks are not kept.
    std::vector<text::TextBlock> text;
    /// What the text pass made of `text`, where the run asked for it (RunLimits::keyPhrases) and the
    /// thread that read the page analysed it; else empty.
    text::PageTerms terms;
    /// The page's JSON-LD, microdata and RDFa types and what they lack, where the read was asked for them
    /// (ReadLimits::structuredData); else empty.
    StructuredData structured;
    /// What each custom extractor found, in the run's order of them (ReadPageFor); else empty.
    std::vector<std::vector<std::string>> extracted;
};

/// Bounds on what one page may yield, so a 10 MB title or a million images cost little.
struct ReadLimits {
    std::size_t textBytes = 1024;
    std::size_t anchorBytes = 256;
    std::size_t links = 1'000'000;
    /// Bytes of PageRead::text over all its blocks; the last block kept is cut at a UTF-8 character boundary.
    std::size_t textBlockBytes = std::size_t{256} << 10;
    /// Blocks of PageRead::text. Either bound at 0 reads no text at all.
    std::size_t textBlocks = 10'000;
    /// Whether the page's structured data is read (PageRead::structured).
    bool structuredData = false;
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

/// The bounds of a read for a run that `keepsText` or not: one that works out no key phrases reads no text.
inline ReadLimits ReadLimitsFor(bool keepsText, bool structuredData = false) {
    ReadLimits limits;
    limits.structuredData = structuredData;
    if (!keepsText) {
        limits.textBlocks = 0;
    }
    return limits;
}

} // namespace vortaxel::crawl
