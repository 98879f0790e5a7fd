#pragma once

#include "crawl/rendered_page.h"
#include "crawl/scope/crawl_gate.h"
#include "export/audit_data.h"
#include "export/audit_summary.h"
#include "export/keyphrase/key_phrases.h"
#include "store/crawl_store.h"
#include "store/read/link_target_table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vortaxel::store {

/// Joins to a link `l` the last fetch `f` of its target, whose outcome is the link's.
inline constexpr const char* kLinkTargetFetch =
    "LEFT JOIN fetches f ON f.id = (SELECT max(id) FROM fetches WHERE url = l.target)";

/// One fetch of a kept crawl with what the audit knows of it.
struct AuditRow {
    /// The fetch's id in the file.
    std::int64_t fetchId = 0;
    /// The id of the page the fetch listed; 0 when it listed none.
    std::int64_t pageId = 0;
    audit::AuditPage page;
    /// Redirects followed, as the plain report counts them.
    int redirects = 0;
    /// Whether the fetch listed a page (HTML that answered 2xx on the site).
    bool listed = false;
    /// The page's lang attribute.
    std::string lang;
    /// Its `<meta name=keywords>`, kept for a crawl that kept key phrases; never a part of their score.
    std::string metaKeywords;
    /// Its key phrases, best first, as the keyword map last worked them out; none before it was.
    std::vector<keyphrase::KeyPhrase> keyPhrases;
    /// What a browser showed of the page, for a crawl that rendered its pages.
    std::optional<crawl::RenderedPage> rendered;
};

/// A link as the links pass reads it, with the ids that tell its page and its target apart without their text.
struct AuditLinkRow {
    audit::AuditLink link;
    std::int64_t pageId = 0;
    /// The target's last fetch, 0 when the target was never fetched.
    std::int64_t targetFetchId = 0;
    /// Where a rendering crawl saw the link (links.seen_in); 0, the raw page, for any other.
    std::int64_t seenIn = 0;
};

/// Reads the audit of a crawl kept under browser rules, streaming from the file: nothing is held
/// for more than one row at a time. Each returns why reading failed, naming the file, or "".
class AuditReader {
public:
    /// Indexes the links by target for the lookups that follow, once per file: built in one sort at the
    /// end rather than kept up to date while the crawl writes millions of links in no order.
    /// With `indexLinks` false the lookup indexes are left as they are: for a few lookups, scanning the links costs
    /// less than sorting them all.
    explicit AuditReader(CrawlStore& store, bool indexLinks = true);

    /// The addresses a crawl of up to this many fetches and pages has are held in memory (about 200 bytes each).
    static constexpr std::size_t kMostTargetsHeld = 250'000;
    /// Holds the crawl's addresses in memory when there are no more than `most`, so that the links passes
    /// that follow look their targets up there and count each address's inlinks; a row read after one
    /// complete pass needs no index of the links by target. Returns whether it holds them.
    bool HoldTargets(std::size_t most = kMostTargetsHeld);
    /// Whether a links pass has counted every address's inlinks.
    bool InlinksCounted() const { return inlinksCounted_; }
    /// Builds the lookup indexes the constructor leaves out when asked to.
    void IndexLinks();

    /// Every fetch and blocked address in the order the runs met them, as the per-page report lists them.
    std::string ForEachRow(const std::function<void(const AuditRow&)>& visit);
    /// The one row of the fetch `fetchId`, when there is one.
    std::string ReadRow(std::int64_t fetchId, const std::function<void(const AuditRow&)>& visit);
    /// Every link of every page, in the order they were read, with its target's final outcome.
    std::string ForEachLink(const std::function<void(const audit::AuditLink&)>& visit);
    /// The same, with each link's ids.
    std::string ForEachLinkRow(const std::function<void(const AuditLinkRow&)>& visit);
    /// The audit in memory, for the audit page: every fetch, every broken link, and the first `mostOtherLinks`
    /// of the others, so that a site's whole link graph never is.
    std::string Load(audit::AuditData& data, std::size_t mostOtherLinks);

    /// The run's summary, reading the rows for it alone (see AuditSummaryCounter).
    std::string Summarise(audit::AuditSummary& summary);

private:
    std::string ReadRows(std::optional<std::int64_t> fetchId, const std::function<void(const AuditRow&)>& visit);
    std::string ForEachHeldLinkRow(const std::function<void(const AuditLinkRow&)>& visit);

    /// Marks a link whose target was never requested because the crawl's patterns keep it out.
    void MarkExcluded(const AuditLinkRow& row, audit::AuditLink& link) const;

    CrawlStore& store_;
    // The crawl's own patterns, to tell the links they kept from being followed.
    crawl::CrawlGate gate_;
    std::unique_ptr<LinkTargetTable> targets_;
    bool inlinksCounted_ = false;
};

/// Counts the run's summary from the rows of a pass that reads them anyway (the per-page report's), then
/// what it counts across pages (shared titles and descriptions, broken links) in SQLite, so that a large
/// site's texts are never held: eight bytes a page.
class AuditSummaryCounter {
public:
    explicit AuditSummaryCounter(CrawlStore& store);
    void Add(const AuditRow& row);
    /// Counts the broken links from a pass that reads every link anyway (the links file's), so that Finish
    /// need not join them all to their targets again. Only a pass that read them all counts: call
    /// LinksComplete after it, or the links are counted in SQLite.
    void AddLink(const AuditLinkRow& row);
    void LinksComplete();
    /// Returns why reading failed, or "".
    std::string Finish(audit::AuditSummary& summary);

private:
    CrawlStore& store_;
    audit::AuditRunMeta meta_;
    audit::AuditSummary summary_;
    // The fetches whose title and description count.
    std::vector<std::int64_t> withText_;
    // Of the broken links passed to AddLink: how many, their targets' last fetches and their pages,
    // sorted and made distinct whenever they have doubled.
    bool linksComplete_ = false;
    std::size_t brokenLinks_ = 0;
    std::vector<std::int64_t> brokenTargets_;
    std::vector<std::int64_t> brokenPages_;
    std::size_t distinctAt_ = 0;
};

/// Why a kept crawl holds no audit ("it was kept without page facts"), or "" when it holds one.
std::string AuditUnavailable(const CrawlStore& store);

} // namespace vortaxel::store
