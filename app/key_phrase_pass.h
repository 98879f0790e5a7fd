#pragma once

#include "export/keyphrase/site_map.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vortaxel::store {
class CrawlStore;
} // namespace vortaxel::store

namespace vortaxel::app {

/// A site's keyword map, as a kept crawl gives it.
struct KeywordMap {
    /// The crawl's start address.
    std::string site;
    /// Ranked by site score.
    std::vector<keyphrase::SitePhrase> phrases;
    /// Largest first.
    std::vector<keyphrase::Cluster> clusters;
    /// Each page's key phrases, best first, by the page's address; only when asked to hold them here. Their
    /// keys are left empty: what is shown needs only the phrase and its score.
    std::unordered_map<std::string, std::vector<keyphrase::KeyPhrase>> pages;
};

/// Whether the pages' key phrases are also held in the map, besides being kept in the file where it may be
/// written: for a reader that shows them whether or not the file could take them.
enum class PagePhrases {
    KeptInFile,
    AlsoHeldInMap,
};

/// Works out every page's key phrases from the text a crawl kept (its pages' candidates, the anchors of the
/// links between its pages, their slugs) and keeps them in the crawl file where it may be written now, so
/// the report and the audit page read them back, and in the map too when `where` asks; then gathers the
/// site's map and its clusters.
/// Nothing, with the reason in `error`, when the crawl kept no text (classic rules, or made without key
/// phrases) or the file cannot be read.
std::optional<KeywordMap> WorkOutKeywordMap(store::CrawlStore& store, std::string& error,
                                            PagePhrases where = PagePhrases::KeptInFile);

} // namespace vortaxel::app
