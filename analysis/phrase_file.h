#pragma once

#include "export/text_phrase.h"
#include "store/crawl_store.h"

#include <span>
#include <string>
#include <string_view>

namespace vortaxel::store {
class AuditReader;
}

namespace vortaxel::app {

/// The keyword file's lines for `pages` (addresses as the found list names them, in its order), from a crawl
/// kept under browser rules: each page's slug with its escapes decoded, its cleaned title (without what the
/// site writes around every title), first H1, most frequent inbound anchor, or target phrase. A page without
/// a target phrase gives no line; every other source gives one per page. Each returns why the crawl could
/// not be read, or "", with the file's bytes in `bytes`.
std::string PhraseFileBytes(store::CrawlStore& store, keywords::PhraseSource source,
                            std::span<const std::string_view> pages, std::string& bytes);

/// The target phrase source read through `reader`, for a caller that reads the audit anyway.
std::string TargetPhraseFileBytes(store::AuditReader& reader, std::span<const std::string_view> pages,
                                  std::string& bytes);

} // namespace vortaxel::app
