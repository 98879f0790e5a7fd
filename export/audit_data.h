#pragma once

#include "export/content/content_audit_section.h"
#include "export/content/content_section.h"
#include "export/keyphrase/site_map.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vortaxel::audit {

/// Whether a search engine may list a page, and if not the first reason it may not.
enum class Indexability {
    Indexable,
    Noindex,
    Canonicalised,
    Redirect,
    ClientError,
    ServerError,
    BlockedByRobots,
    NotHtml,
    Failed,
};

inline constexpr std::size_t kIndexabilityCount = 9;

/// The value's words as reports and the audit page write them ("blocked by robots.txt", ...).
std::string_view IndexabilityText(Indexability value);

/// One answer on the way to a page's final address: the address asked for and the redirect status it
/// answered with. The last hop's target is the page's final address.
struct RedirectHop {
    int code = 0;
    std::string url;
};

/// What the crawl learnt about one page. Texts are bytes as received; nothing is transcoded.
struct AuditPage {
    std::string url;
    /// The HTTP status of the final answer; empty when no answer came.
    std::optional<int> status;
    std::string finalUrl;
    std::string contentType;
    /// Why the fetch failed, empty when it did not.
    std::string error;
    /// Clicks from the start address.
    /// Clicks from the start; -1 when no link from the start leads there (a page only a sitemap names).
    int depth = 0;
    std::string title;
    std::string metaDescription;
    /// The first H1's text.
    std::string h1;
    int h1Count = 0;
    /// Resolved against the page's address.
    std::string canonical;
    /// Meta robots and X-Robots-Tag together.
    std::string robots;
    Indexability indexability = Indexability::Indexable;
    std::uint64_t wordCount = 0;
    /// Distinct pages linking in, and links out.
    std::uint64_t inlinks = 0;
    std::uint64_t outlinks = 0;
    std::vector<RedirectHop> redirectChain;
    /// A sitemap lists the address, or the page where it landed.
    bool inSitemap = false;
    /// A sitemap lists `url` itself, the address asked for, whatever it answered.
    bool urlInSitemap = false;
    std::uint64_t elapsedMs = 0;
    std::uint64_t bytes = 0;
    /// When the page was found, in milliseconds after the run started.
    std::uint64_t foundMs = 0;
    /// Its images (img src) with no alt text, or an empty one.
    std::uint64_t imagesWithoutAlt = 0;
};

/// One link on one page.
struct AuditLink {
    std::string source;
    std::string target;
    /// Anchor text, or an image's alt.
    std::string anchor;
    /// The element and attribute it came from, such as "a href".
    std::string element;
    std::string rel;
    bool follow = true;
    /// The target's final status; empty when it got no answer or was not requested.
    std::optional<int> targetStatus;
    /// Why fetching the target failed, empty when it did not fail.
    std::string targetError;
    /// robots.txt kept the crawl from the target: the link is blocked, not broken.
    bool targetBlocked = false;
    /// The crawl's include or exclude patterns kept it from requesting the target: neither broken nor blocked.
    bool targetExcluded = false;
    /// For an href too long to follow, its length in bytes; `target` then holds its first bytes as written.
    std::uint64_t hrefBytes = 0;
};

/// What a run was asked and how long it took.
struct AuditRunMeta {
    std::string startUrl;
    /// "classic" or "browser".
    std::string rules;
    /// When the run started, as the front end wrote it (ISO 8601 in UTC).
    std::string startedAt;
    std::uint64_t durationMs = 0;
    /// Whether durationMs was measured: a crawl read back from its file does not keep how long it took.
    bool durationKnown = true;
};

/// A crawl as the audit reads it.
/// Broken links counted rather than kept: the summary needs only how many there are, and which targets and
/// pages they involve, and a site can hold millions of them.
struct BrokenLinkTally {
    std::size_t links = 0;
    std::unordered_set<std::string> targets;
    std::unordered_set<std::string> sources;

    void Add(const AuditLink& link);
};

/// The site's keyword map as the audit page shows it.
struct KeywordSection {
    /// Ranked by site score, best first.
    std::vector<keyphrase::SitePhrase> phrases;
    /// Largest first.
    std::vector<keyphrase::Cluster> clusters;
    /// The gap between two sites' maps, ranked by what is missing first; nullopt when no other site was given.
    std::optional<std::vector<keyphrase::GapRow>> gap;
    /// The two sites' start addresses, for the gap's heading.
    std::string theirStartUrl;
    std::string myStartUrl;
};

struct AuditData {
    AuditRunMeta meta;
    std::vector<AuditPage> pages;
    std::vector<AuditLink> links;
    /// Broken links that are not in `links`, as counts.
    BrokenLinkTally brokenTally;
    /// Every link of the crawl, also those `links` leaves out; nullopt when `links` holds them all.
    std::optional<std::uint64_t> linksTotal;
    /// The keyword map; nullopt when the crawl kept no text, and the page then has no keyword section.
    std::optional<KeywordSection> keywords;
    /// The duplicate checks and the link score; nullopt when neither was asked for.
    std::optional<ContentSection> content;
    /// Structured data and hreflang findings; nullopt when the crawl asked for neither.
    std::optional<ContentAuditSection> markup;
};

/// Whether a link is an image that says nothing to those who cannot see it.
bool IsImageWithoutAlt(const AuditLink& link);

/// The chain as reports write it: each hop as "CODE URL", separated by " -> ".
std::string RedirectChainText(const std::vector<RedirectHop>& chain);

/// A link is broken when its target answered 4xx or 5xx or could not be fetched; one whose target
/// robots.txt blocks is not (IsBlockedLink), since nothing was asked of it.
bool IsBrokenLink(const AuditLink& link);

bool IsBlockedLink(const AuditLink& link);

/// Whether a canonical names a web page (an http or https address): any other (a file: address, a
/// mailto:, a text that does not resolve) is an invalid canonical, which search engines ignore.
bool IsWebAddress(std::string_view address);

/// What decides a page's indexability.
struct IndexabilityFacts {
    std::optional<int> status;
    /// robots.txt kept the crawler from the page.
    bool blocked = false;
    /// The fetch failed (no status).
    bool failed = false;
    /// The final answer's content was HTML.
    bool html = true;
    /// Meta robots and X-Robots-Tag, as received.
    std::string_view robots;
    /// The resolved canonical address, empty when the page names none.
    std::string_view canonical;
    /// The page's own (final) address.
    std::string_view url;
    /// Redirects followed on the way: the address asked for is a redirect, whatever the last answer was.
    bool redirected = false;
};

/// The page's indexability. A page that was never fetched (blocked, failed) is that; then the answer's
/// status rules (3xx, 4xx, 5xx); then content that is not HTML; then a noindex (or "none") directive,
/// which wins over a canonical naming another address, since search engines drop such a page outright.
/// A canonical that is no web address is ignored.
Indexability DecideIndexability(const IndexabilityFacts& facts);

/// True when the robots directives, meta or header, hold "noindex" or "none"; a directive may be
/// prefixed by a user agent name ("otherbot: noindex").
bool RobotsSayNoindex(std::string_view robots);

} // namespace vortaxel::audit
