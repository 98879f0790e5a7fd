#pragma once

#include "export/keyphrase/site_map.h"

#include <optional>
#include <string>
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
};

/// Works out every page's key phrases from the text a crawl kept (its pages' candidates, the anchors of the
/// links between its pages, their slugs) and keeps them in the crawl file where it may be written, so the
/// report, the audit page and the window read them back; then gathers the site's map and its clusters.
/// Nothing, with the reason in `error`, when the crawl kept no text (classic rules, or made without key
/// phrases) or the file cannot be read.
std::optional<KeywordMap> WorkOutKeywordMap(store::CrawlStore& store, std::string& error);

} // namespace vortaxel::app
