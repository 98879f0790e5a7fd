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
    /// Each page's key phrases, best first, by the page's address; only when asked to hold them here and the
    /// file could not take them. Their keys are left empty: what is shown needs only the phrase and its score.
    std::unordered_map<std::string, std::vector<keyphrase::KeyPhrase>> pages;
};

/// What becomes of the pages' key phrases when the file cannot take them now (read-only, or another program
/// writing it): lost to the file alone, or held in the map for a reader that shows them all the same.
enum class PagePhrases {
    KeptInFile,
    HeldWhenNotKept,
};

/// Works out every page's key phrases from the text a crawl kept (its pages' candidates, the anchors of the
/// links between its pages, their slugs) and keeps them in the crawl file where it may be written now, so
/// the report and the audit page read them back, else in the map when `where` asks; then gathers the site's
/// map and its clusters.
/// Nothing, with the reason in `error`, when the crawl kept no text (classic rules, or made without key
/// phrases) or the file cannot be read.
std::optional<KeywordMap> WorkOutKeywordMap(store::CrawlStore& store, std::string& error,
                                            PagePhrases where = PagePhrases::KeptInFile);

} // namespace vortaxel::app
