#include "crawl/content/content_read.h"

#include "crawl/content/custom_extract.h"

namespace vortaxel::crawl {

PageRead ReadPageFor(std::string_view html, bool keepsText, const ContentAuditChoices& content) {
    PageRead read = ReadPage(html, ReadLimitsFor(keepsText, content.structuredData));
    if (!content.extractors.empty()) {
        read.extracted = ExtractFrom(html, content.extractors, content.extractAll);
    }
    return read;
}

} // namespace vortaxel::crawl
