#include "analysis/key_phrase_pass.h"

#include "export/keyword_phrase.h"
#include "export/phrase_cleaning.h"
#include "export/text_phrase.h"
#include "store/crawl_store.h"
#include "store/read/key_phrase_queries.h"
#include "store/write/key_phrase_writer.h"
#include "text/text_analyser.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <unordered_map>

namespace vortaxel::app {

namespace {

// How many times one anchor text counts: enough for a page's many inlinks to tell, never so many that the
// navigation's text on every page of a large site costs a block a page.
constexpr std::uint32_t kMostAnchorRepeats = 32;

/// The address's last segment as text: its file extension gone, "." between words a blank as "-" and "_" are,
/// so that "sect.apt-get.html" reads "sect apt get".
std::string SlugText(std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    // The host names the site, not the page: a site's root has no slug.
    const auto scheme = url.find("://");
    const auto path = url.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
    if (path == std::string_view::npos) {
        return {};
    }
    url.remove_prefix(path);
    while (url.ends_with('/')) {
        url.remove_suffix(1);
    }
    std::string segment(url.substr(url.rfind('/') == std::string_view::npos ? 0 : url.rfind('/') + 1));
    if (const auto dot = segment.rfind('.'); dot != std::string::npos && dot != 0 && segment.size() - dot <= 6) {
        segment.resize(dot);
    }
    std::replace(segment.begin(), segment.end(), '.', '-');
    // The slug phrase's own decoding of escapes and blanks for "-" and "_".
    return keywords::MakeDecodedSlugPhrase("/" + segment);
}

/// The blocks from outside the page: the anchor texts of links to it, cleaned of navigation words and
/// marks, each repeated as often as pages use it (within a bound), and its slug.
std::vector<text::TextBlock> OutsideBlocks(const std::vector<store::InlinkAnchor>& anchors, std::string_view url) {
    std::vector<text::TextBlock> blocks;
    for (const store::InlinkAnchor& anchor : anchors) {
        std::string cleaned = keywords::CleanTextPhrase(anchor.text, keywords::TextRole::Anchor);
        if (cleaned.empty()) {
            continue;
        }
        for (std::uint32_t i = 1; i < std::min(anchor.pages, kMostAnchorRepeats); ++i) {
            blocks.push_back({text::Zone::Anchor, cleaned});
        }
        blocks.push_back({text::Zone::Anchor, std::move(cleaned)});
    }
    if (std::string slug = SlugText(url); slug.find_first_not_of(' ') != std::string::npos) {
        blocks.push_back({text::Zone::Slug, std::move(slug)});
    }
    return blocks;
}

bool Stands(const text::Candidate& candidate, text::Zone zone) {
    return candidate.inZone[static_cast<std::size_t>(zone)] > 0;
}

keyphrase::MappedPage MapPage(const store::KeptPageTerms& page, std::vector<keyphrase::KeyPhrase> phrases,
                              const std::vector<text::Candidate>& merged) {
    keyphrase::MappedPage mapped;
    mapped.url = page.url;
    mapped.lang = page.lang;
    for (const keyphrase::KeyPhrase& phrase : phrases) {
        const auto candidate = std::find_if(merged.begin(), merged.end(),
                                            [&phrase](const text::Candidate& c) { return c.key == phrase.key; });
        const bool found = candidate != merged.end();
        mapped.inTitle.push_back(found && Stands(*candidate, text::Zone::Title));
        mapped.inH1.push_back(found && Stands(*candidate, text::Zone::H1));
        mapped.inAnchors.push_back(found && Stands(*candidate, text::Zone::Anchor));
    }
    mapped.phrases = std::move(phrases);
    return mapped;
}

/// The site's clusters, each with its hub. Clustering needs no links, and the hub only the links within a
/// cluster, so the links are read once the clusters are known and only those are held: a large site's
/// whole link graph never is.
std::string Clusters(store::KeyPhraseQueries& queries, std::vector<keyphrase::ClusterPage>& pages,
                     std::vector<keyphrase::Cluster>& clusters) {
    clusters = keyphrase::ClusterPages(pages);
    if (clusters.empty()) {
        return {};
    }
    std::unordered_map<std::string_view, std::size_t> clusterOf;
    for (std::size_t i = 0; i < clusters.size(); ++i) {
        for (const std::string& url : clusters[i].pages) {
            clusterOf.emplace(url, i);
        }
    }
    std::unordered_map<std::string_view, std::size_t> pageAt;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (clusterOf.contains(pages[i].url)) {
            pageAt.emplace(pages[i].url, i);
        }
    }
    std::string error = queries.ForEachPageLink([&](std::string_view from, std::string_view to) {
        const auto source = clusterOf.find(from);
        const auto target = clusterOf.find(to);
        if (source != clusterOf.end() && target != clusterOf.end() && source->second == target->second && from != to) {
            pages[pageAt.at(from)].linksTo.emplace_back(to);
        }
    });
    if (!error.empty()) {
        return error;
    }
    clusterOf.clear();
    pageAt.clear();
    clusters = keyphrase::ClusterPages(pages);
    return {};
}

} // namespace

std::optional<KeywordMap> WorkOutKeywordMap(store::CrawlStore& store, std::string& error, PagePhrases where) {
    error = store::KeptTextUnavailable(store);
    if (!error.empty()) {
        return std::nullopt;
    }
    store::KeyPhraseQueries queries(store);
    std::uint32_t sitePages = 0;
    store::KeyPageCounts counts;
    error = queries.Prepare();
    if (error.empty()) {
        error = queries.CountPages(sitePages);
    }
    if (error.empty()) {
        error = queries.CountKeys(counts);
    }
    if (!error.empty()) {
        return std::nullopt;
    }
    const keyphrase::PagesHolding holding = [&counts](std::string_view key) { return counts.Of(key); };
    // A file that may not be written now still gives its map; its key phrases are kept another time.
    store::KeyPhraseWriter writer(store);
    const bool keeping = writer.Begin().Ok();
    KeywordMap result;
    std::string writeError;
    text::TextAnalyser analyser;
    // Let go of once the map is built, before the clusters need their room.
    std::optional<keyphrase::SiteMapBuilder> map(std::in_place);
    std::vector<keyphrase::ClusterPage> clusterPages;
    std::vector<store::InlinkAnchor> anchors;
    error = queries.ForEachPage([&](const store::KeptPageTerms& page) {
        if (!writeError.empty()) {
            return;
        }
        if (std::string failed = queries.InlinkAnchors(page.url, page.pageId, anchors); !failed.empty()) {
            writeError = failed;
            return;
        }
        const std::vector<text::TextBlock> outside = OutsideBlocks(anchors, page.url);
        const text::PageTerms outsideTerms = analyser.Analyse(outside, page.lang);
        const std::vector<text::Candidate> merged =
            keyphrase::MergeCandidates(page.candidates, outsideTerms.candidates);
        std::vector<keyphrase::KeyPhrase> phrases = keyphrase::RankKeyPhrases(merged, holding, sitePages);
        if (keeping) {
            if (const store::SqlStatus kept = writer.Add(page.pageId, phrases); !kept) {
                writeError = store.FailureText(kept);
                return;
            }
        }
        if (!keeping && where == PagePhrases::HeldWhenNotKept) {
            std::vector<keyphrase::KeyPhrase>& held = result.pages[page.url];
            held = phrases;
            for (keyphrase::KeyPhrase& phrase : held) {
                phrase.key.clear();
            }
        }
        clusterPages.push_back({page.url, phrases, {}});
        map->Add(MapPage(page, std::move(phrases), merged));
    });
    if (error.empty()) {
        error = writeError;
    }
    if (error.empty() && keeping) {
        if (const store::SqlStatus committed = writer.Commit(); !committed) {
            error = store.FailureText(committed);
        }
    }
    if (!error.empty()) {
        return std::nullopt;
    }
    result.site = store.Settings().startText;
    result.phrases = map->Build();
    map.reset();
    error = Clusters(queries, clusterPages, result.clusters);
    if (!error.empty()) {
        return std::nullopt;
    }
    return result;
}

} // namespace vortaxel::app
