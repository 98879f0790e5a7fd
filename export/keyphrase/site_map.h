#pragma once

#include "export/keyphrase/key_phrases.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::keyphrase {

/// One row of a site's keyword map: a key (its stems) across the site, shown in its most frequent spelling.
struct SitePhrase {
    std::string key;
    std::string phrase;
    double score = 0;
    /// Pages where it is one of the key phrases.
    std::uint32_t pages = 0;
    std::uint32_t inTitles = 0;
    std::uint32_t inH1 = 0;
    std::uint32_t inAnchors = 0;
    /// The page that targets it most strongly.
    std::string bestPage;
    /// The other pages whose target phrase it is: pages competing for one phrase.
    std::vector<std::string> competingPages;
    std::string lang;
};

/// One page as the keyword map sees it.
struct MappedPage {
    std::string url;
    std::string lang;
    /// Its key phrases, best first (the first is its target phrase).
    std::vector<KeyPhrase> phrases;
    /// Of those, by index: which stand in its title, its H1, and the anchors of links to it.
    std::vector<bool> inTitle;
    std::vector<bool> inH1;
    std::vector<bool> inAnchors;
};

/// Gathers pages one at a time into the site's map; what it holds is bounded by the pages' key phrases
/// (at most kKeyPhrasesPerPage each), never by every phrase ever seen.
class SiteMapBuilder {
public:
    void Add(const MappedPage& page);
    /// The map, ranked by site score (ties: phrase, byte order).
    std::vector<SitePhrase> Build() const;

private:
    struct Entry {
        SitePhrase row;
        std::map<std::string, std::uint32_t> spellings;
        double bestScore = -1;
    };
    std::map<std::string, Entry, std::less<>> entries_;
};

/// A topic: pages that share key phrases, named by its strongest phrase.
struct Cluster {
    std::string name;
    /// The page with most inlinks from the cluster's other pages.
    std::string hub;
    std::vector<std::string> pages;
};

/// A page for clustering: its address, its key phrases' keys, and the pages it links to (followed, in site).
struct ClusterPage {
    std::string url;
    std::vector<KeyPhrase> phrases;
    std::vector<std::string> linksTo;
};

/// Pages grouped by the key phrases they share (the rule, its threshold and why are in the definition's comment),
/// largest cluster first; pages that share with none are left out.
std::vector<Cluster> ClusterPages(std::span<const ClusterPage> pages);

/// One row of the keyword gap between two sites' maps.
struct GapRow {
    std::string phrase;
    double theirsScore = 0;
    double mineScore = 0;
    /// "gap" (they target it and you do not), "shared" or "only mine".
    std::string status;
    std::string theirBestPage;
    std::string myBestPage;
};

/// Every phrase of either map, ranked by what you are missing first.
std::vector<GapRow> KeywordGap(std::span<const SitePhrase> theirs, std::span<const SitePhrase> mine);

} // namespace vortaxel::keyphrase
