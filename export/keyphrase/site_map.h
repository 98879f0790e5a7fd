#pragma once

#include "export/keyphrase/key_phrases.h"

#include <cstddef>
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
///
/// A key's site score is the sum of its page scores over the pages where it is a key phrase: a phrase
/// many pages stand for outranks one a single page holds strongly, as a site's topic is what it says
/// often and well. Its best page is the one where it scores highest (ties: the address in byte order),
/// its competing pages the other pages whose target phrase it is (in byte order), its spelling and
/// language the most frequent (ties: byte order).
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
        std::map<std::string, std::uint32_t> langs;
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

/// The least overlap of two pages' key sets that joins them into one cluster, and how many pages a key may
/// be held by and still find pairs (see ClusterPages).
inline constexpr double kClusterJaccard = 0.3;
inline constexpr std::size_t kClusterKeyPages = 100;

/// Pages grouped by the key phrases they share, largest cluster first (ties: name, then first page, byte
/// order); pages that share with none are left out. Single link: two pages join when their key sets
/// (at most kKeyPhrasesPerPage keys each) overlap by a Jaccard index of at least kClusterJaccard, and a
/// cluster is what such links connect. At 0.3, two full top-10 sets join when they share 5 keys (5/15),
/// not 4 (4/16): pages that share half their topics, not a word or two of their navigation. Pairs are
/// found through an index from key to pages, so time grows with the pages, not their square; a key held
/// by more than kClusterKeyPages pages finds no pairs (it is a site-wide theme, and its postings would
/// cost their square), though it still counts in the Jaccard index of pairs found by rarer keys. A
/// cluster's name is the phrase whose scores over its pages sum highest; its hub the page most of its
/// other pages link to (ties: byte order); its pages in byte order.
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

/// Every phrase of either map, matched by key, ranked by what you are missing first: the gap rows by
/// their score, then the shared rows by how far theirs is above mine (theirs - mine, highest first: where
/// they are strongest against you), then what only you have, by your score; ties by phrase and key in
/// byte order. A row shows their spelling where they have the key. Scores are each site's own, not scaled.
std::vector<GapRow> KeywordGap(std::span<const SitePhrase> theirs, std::span<const SitePhrase> mine);

} // namespace vortaxel::keyphrase
