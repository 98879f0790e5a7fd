#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::crawl {

/// What a page's structured data says it is, and what keeps it from a rich result.
struct StructuredData {
    /// The schema.org types named, in the order first met, each once: JSON-LD `@type`s (also inside
    /// `@graph` and nested objects), then microdata `itemtype`s and RDFa `typeof`s. A type named by its
    /// schema.org address is given by its name alone.
    std::vector<std::string> types;
    /// Each finding as a sentence: a block that is no JSON (with the parser's reason), one too large or
    /// too deep to read, or a rich-result type without a property it needs.
    std::vector<std::string> issues;

    bool operator==(const StructuredData&) const = default;
};

/// Bounds that keep a hostile page's structured data cheap: time is linear in the blocks' bytes, and
/// memory is that of the blocks plus a stack of at most kMaxJsonLdDepth frames.
inline constexpr std::size_t kMaxJsonLdDepth = 256;
/// Bytes of JSON-LD one page may have read; a block past this is named, not read.
inline constexpr std::size_t kMaxJsonLdBytes = std::size_t{16} << 20;
inline constexpr std::size_t kMaxSchemaTypes = 64;
inline constexpr std::size_t kMaxSchemaTypeBytes = 128;
inline constexpr std::size_t kMaxSchemaIssues = 32;

/// Collects a page's structured data as its one read meets it, and judges it at the end.
class StructuredDataReader {
public:
    /// A `<script type=application/ld+json>` opened; its text follows in pieces.
    void StartJsonLd();
    void AddJsonLdText(std::string_view text);
    /// An element's `itemtype` (microdata) or `typeof` (RDFa): white-space separated types.
    void AddItemTypes(std::string_view types);
    /// Parses the blocks met and checks their rich-result types.
    StructuredData Finish();

private:
    std::vector<std::string> blocks_;
    std::size_t blockBytes_ = 0;
    std::size_t blocksTooLarge_ = 0;
    bool dropping_ = false;
    std::vector<std::string> itemTypes_;
};

/// Whether a `<script>`'s type attribute names JSON-LD, as a browser compares MIME types.
bool IsJsonLdType(std::string_view type);

} // namespace vortaxel::crawl
