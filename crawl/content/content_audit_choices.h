#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vortaxel::crawl {

enum class ExtractorKind { XPath, Regex };

/// One custom extractor: a report column named `name`, filled from each page by `expression`.
struct Extractor {
    std::string name;
    ExtractorKind kind = ExtractorKind::XPath;
    std::string expression;

    bool operator==(const Extractor&) const = default;
};

/// How many extractors one crawl may have.
inline constexpr std::size_t kMaxExtractors = 100;

/// What a browser-rules crawl reads of each page's content beyond its links and facts; all off by default.
struct ContentAuditChoices {
    /// JSON-LD, microdata and RDFa (PageRead::structured).
    bool structuredData = false;
    /// The language versions a page names, checked against each other after the crawl.
    bool hreflang = false;
    /// Each extractor keeps every match (up to kMaxExtractedValues), not the first alone.
    bool extractAll = false;
    std::vector<Extractor> extractors;
    /// Titles, meta descriptions and H1s checked with Hunspell in the page's language.
    bool spelling = false;

    bool operator==(const ContentAuditChoices&) const = default;
    bool Any() const { return structuredData || hreflang || extractAll || !extractors.empty() || spelling; }
};

} // namespace vortaxel::crawl
