#pragma once

#include "store/crawl_store.h"
#include "store/sqlite_db.h"
#include "text/page_terms.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vortaxel::store {

/// Why a kept crawl holds no text to work key phrases out from ("the crawl kept no text: ..."), or "".
std::string KeptTextUnavailable(const CrawlStore& store);

/// On how many of a crawl's pages each key stands among their candidates, for the keys two pages or more
/// hold: a key of one page only is most of a site's keys, and needs no room. Held in one buffer of keys
/// in byte order, so a site of many pages costs a few bytes a shared key.
class KeyPageCounts {
public:
    /// Keys come in byte order, each once.
    void Add(std::string_view key, std::uint32_t pages);
    /// 1 for a key it does not hold: the page asking holds it.
    std::uint32_t Of(std::string_view key) const;
    std::size_t Size() const { return counts_.size(); }

private:
    std::string_view KeyAt(std::size_t index) const;

    std::string keys_;
    std::vector<std::uint32_t> ends_;
    std::vector<std::uint32_t> counts_;
};

/// One page that kept its text, as the key phrase pass reads it.
struct KeptPageTerms {
    std::int64_t pageId = 0;
    std::string url;
    /// The language its words were read in (empty when none could be told).
    std::string lang;
    /// Its own candidates, zones Title to Body counted; in key order.
    std::vector<text::Candidate> candidates;
};

/// The anchor text of links to a page from the site's other pages, and on how many pages it stands.
struct InlinkAnchor {
    std::string text;
    std::uint32_t pages = 0;
};

/// The queries of the key phrase pass over a kept crawl. Each returns why reading failed, naming the
/// file, or "".
class KeyPhraseQueries {
public:
    /// How many distinct anchor texts of a page's inlinks are read, the most used first.
    static constexpr std::size_t kMostAnchorTexts = 256;

    explicit KeyPhraseQueries(CrawlStore& store) : store_(store) {}

    /// Readies the lookups of inlinks by target: an index in the file where it may be written, else a
    /// temporary one beside it.
    std::string Prepare();
    /// The pages that kept their text.
    std::string CountPages(std::uint32_t& pages);
    std::string CountKeys(KeyPageCounts& counts);
    /// Every page that kept its text, in id order, one at a time.
    std::string ForEachPage(const std::function<void(const KeptPageTerms&)>& visit);
    /// The anchor texts of the links (a and area) from the site's other pages to `url`, the page
    /// `pageId`, most used first, at most kMostAnchorTexts.
    std::string InlinkAnchors(std::string_view url, std::int64_t pageId, std::vector<InlinkAnchor>& anchors);
    /// Every followed link (a and area) a page holds, from its address to its target's.
    std::string ForEachPageLink(const std::function<void(std::string_view from, std::string_view to)>& visit);

private:
    CrawlStore& store_;
    SqlStatement anchors_;
};

} // namespace vortaxel::store
