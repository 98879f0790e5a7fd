#include "crawl/browser/browser_rules.h"

#include "crawl/browser/audit_links.h"
#include "crawl/browser/browser_links.h"
#include "crawl/content/content_read.h"
#include "crawl/link_bounds.h"
#include "crawl/sitemap/site_sitemaps.h"
#include "web/ascii.h"
#include "web/html_type.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

namespace vortaxel::crawl {

namespace {

/// Whether a start address that landed on `landing` still names its own site: the same host, or
/// the same with or without a leading "www.".
bool SameSiteHost(std::string_view start, std::string_view landing) {
    constexpr std::string_view kWww = "www.";
    return start == landing || (landing.starts_with(kWww) && landing.substr(kWww.size()) == start) ||
           (start.starts_with(kWww) && start.substr(kWww.size()) == landing);
}

/// Bytes a page's read holds in its links, which the turn keeps while it queues them.
std::uint64_t LinkBytes(const PageRead& read) {
    std::uint64_t bytes = read.links.capacity() * sizeof(PageLink);
    for (const PageLink& link : read.links) {
        bytes += link.target.capacity() + link.anchor.capacity() + link.rel.capacity() + link.hreflang.capacity() +
                 (link.identity ? link.identity->capacity() : 0);
    }
    return bytes;
}

constexpr std::string_view kNoSite = "none";

} // namespace

void BrowserRules::Begin(CrawlRun& run) {
    if (run.Limits().controls.listMode) {
        BeginList(run);
        return;
    }
    const auto start = PageIdentity(run.StartText(), run.StartText());
    if (start && IsNeverFetchedKind(*start)) {
        startFailure_ = "it names a file that is never fetched (.zip, .pdf or .exe)";
        return;
    }
    if (start) {
        site_ = SiteScope::Of(*start);
        gate_ = CrawlGate(run.Limits().controls, *start);
    }
    if (!site_) {
        startFailure_ = "it is no web address (http:// or https://)";
        return;
    }
    Enqueue(*start);
    startPending_ = true;
}

void BrowserRules::NoteStartOutcome(CrawlRun& run, const FetchedPage* page, bool isPage, bool onSite) {
    startPending_ = false;
    if (run.Stopping() && (page == nullptr || !page->ok)) {
        return; // cut short by the user, which says nothing of the page
    }
    if (page == nullptr) {
        startFailure_ = "robots.txt disallows it";
    } else if (!page->ok) {
        startFailure_ = page->error;
    } else if (!onSite) {
        startFailure_ = "it redirects off its site";
    } else if (page->status < 200 || page->status >= 300) {
        startFailure_ = "it answers " + std::to_string(page->status);
    } else if (!isPage) {
        startFailure_ =
            "it is no HTML page" + (page->contentType.empty() ? std::string() : " (" + page->contentType + ")");
    }
}

std::string BrowserRules::RulesNote() const {
    if (!siteSettled_) {
        return {};
    }
    return site_ ? site_->origin + '\n' + site_->folder : std::string(kNoSite);
}

void BrowserRules::Resume(CrawlRun& run, ResumeSource& from) {
    listMode_ = run.Limits().controls.listMode;
    const std::string note = from.RulesNote();
    if (note.empty()) {
        const auto start = PageIdentity(run.StartText(), run.StartText());
        if (start && !IsNeverFetchedKind(*start)) {
            site_ = SiteScope::Of(*start);
        }
    } else if (const std::size_t cut = note.find('\n'); cut != std::string::npos) {
        siteSettled_ = true;
        site_ = SiteScope::Of(note.substr(0, cut) + note.substr(cut + 1));
    } else {
        siteSettled_ = true;
    }
    if (const auto start = PageIdentity(run.StartText(), run.StartText())) {
        gate_ = CrawlGate(run.Limits().controls, *start);
    }
    // Every identity ever queued stays in the store, so that none is queued twice.
    from.ForEachMet([&](std::string_view url) { store_.Intern(url); });
    from.ForEachFound([&](std::string_view url) { run.ListKept(store_.Intern(url)); });
    from.ForEachQueued([&](std::string_view url) {
        const UrlId id = store_.Intern(url);
        store_.AddQueued(id);
        queue_.push_back(id);
        if (gate_.CountsDepth()) {
            depths_.push_back(static_cast<std::uint32_t>(gate_.UnknownDepth()));
        }
    });
    // Which pages a sitemap lists is not kept: it is read again, and the pages it names that were met
    // before are not queued twice.
    if (siteSettled_ && site_ && run.Limits().sitemaps) {
        ReadSitemaps(run);
        if (head_ == queue_.size()) {
            QueueSitemapPages(run);
        }
    }
}

void BrowserRules::Enqueue(const std::string& identity, std::size_t depth) {
    const UrlId id = store_.Intern(identity);
    store_.AddQueued(id);
    queue_.push_back(id);
    if (gate_.CountsDepth()) {
        depths_.push_back(static_cast<std::uint32_t>(depth));
    }
}

void BrowserRules::Turn(CrawlRun& run) {
    CollectSitemaps(run, false);
    if (listSitemapsDue_) {
        listSitemapsDue_ = false;
        ReadSitemaps(run);
    }
    // The pages visited so far are checked first: a stop then leaves their links known, whatever is queued.
    if (checks_.HasWork()) {
        CheckNext(run);
    } else if (head_ < queue_.size()) {
        Visit(run);
    }
    if (head_ == queue_.size() && !checks_.HasWork()) {
        CollectSitemaps(run, true);
    }
    // Queued as soon as the links run out, so that a run stopped then keeps them in its queue.
    if (head_ == queue_.size() && sitemapNext_ < sitemapPages_.size()) {
        QueueSitemapPages(run);
    }
}

void BrowserRules::Visit(CrawlRun& run) {
    const std::size_t depth = gate_.CountsDepth() ? depths_[head_] : 0;
    const UrlId head = queue_[head_++];
    store_.RemoveQueued(head);
    const bool resource = !resources_.empty() && resources_.erase(head) != 0;
    if (store_.IsListed(head)) {
        return; // listed already, as where an earlier page's redirect landed
    }
    headText_.assign(store_.Text(head));
    if (!run.Admit(headText_)) {
        if (startPending_) {
            NoteStartOutcome(run, nullptr, false, false);
        }
        if (InSitemap(headText_)) {
            run.PageInSitemap(headText_);
        }
        return;
    }
    const FetchedPage page = run.Fetch(headText_);
    const std::optional<std::string> landing = Landing(headText_, page);
    if (sitemapsDue_) {
        sitemapsDue_ = false;
        ReadSitemaps(run);
    }
    // Told before it is known to be a page: a sitemap that lists an address answering 404 or redirecting
    // lists it all the same, and that is the fault to report.
    const bool askedInSitemap = InSitemap(headText_);
    if (askedInSitemap) {
        run.PageInSitemap(headText_);
    }
    const bool isPage = web::IsPageReply(page, run.PageBuffer());
    if (startPending_) {
        NoteStartOutcome(run, &page, isPage, landing.has_value());
    }
    if (!landing || !isPage || resource) {
        return;
    }
    UrlId listed = head;
    if (*landing != headText_) {
        UrlId target;
        const bool known = store_.Find(*landing, target);
        // A target met before was fetched already, or waits to be: either way it is listed once.
        if (known && (store_.IsListed(target) || store_.QueuedCount(target) == 0)) {
            return;
        }
        listed = known ? target : store_.Intern(*landing);
    }
    run.List(listed);
    // A page the fetcher had read on another core comes read; any other is read here, once, for its links
    // and its facts alike.
    const std::shared_ptr<const PageRead> read =
        page.read
            ? page.read
            : std::make_shared<const PageRead>(ReadPageFor(
                  run.PageBuffer(), run.Limits().keyPhrases || run.Limits().duplicates, run.Limits().contentAudit));
    if (!askedInSitemap && *landing != headText_ && InSitemap(*landing)) {
        run.PageInSitemap(*landing);
    }
    run.PageParsed(*landing, read);
    if (run.Limits().controls.checkExternal) {
        checks_.OfferUnfollowed(*read, *landing, page.robotsTag, run.Limits().followNofollow, site_, gate_);
    }
    // The run's budget has the last word over the page's own: what the page holds while its links are queued
    // counts too, so that one page cannot carry the run past it.
    const std::uint64_t held = LinkBytes(*read);
    const auto budget = [&run, held] {
        const std::uint64_t room = run.MemoryRoom();
        return std::min(run.Limits().pageLinkBytes, room > held ? room - held : 0);
    };
    std::uint64_t allowed = budget();
    bool roomBound = allowed < run.Limits().pageLinkBytes;
    std::size_t dropped = !listMode_ && gate_.FollowsLinksAt(depth)
                              ? QueueLinks(*landing, FollowedLinks(*read, page.robotsTag, run.Limits().followNofollow),
                                           allowed, depth + 1)
                              : 0;
    if (run.Limits().contentAudit.hreflang && !page.linkHeader.empty() && !listMode_ && gate_.FollowsLinksAt(depth)) {
        allowed = budget();
        roomBound = roomBound || allowed < run.Limits().pageLinkBytes;
        dropped += QueueLinks(*landing,
                              HeaderAlternateLinks(*read, page.linkHeader, page.robotsTag, run.Limits().followNofollow),
                              allowed, depth + 1);
    }
    if (run.Limits().checkResources) {
        // A search engine fetches what a page needs to render whatever its robots directives say.
        allowed = budget();
        roomBound = roomBound || allowed < run.Limits().pageLinkBytes;
        dropped += QueueLinks(*landing, ResourceLinks(*read), allowed, depth + 1, true);
    }
    if (dropped != 0 && roomBound) {
        run.MemoryFull();
    } else if (dropped != 0) {
        run.LinksDropped(*landing, dropped);
    }
}

std::optional<std::string> BrowserRules::Landing(const std::string& asked, const FetchedPage& page) {
    std::optional<std::string> landing = LandedAt(asked, page.finalUrl);
    if (landing && listMode_) {
        return landing; // the list is the user's choice, wherever its pages lie
    }
    if (!landing || !site_) {
        return std::nullopt;
    }
    if (!siteSettled_) {
        // The site is where the start address lands, as long as that is still the same site.
        siteSettled_ = true;
        const auto landed = SiteScope::Of(*landing);
        if (!landed || !(gate_.Wide() ? gate_.InSite(*site_, *landing) : SameSiteHost(site_->host, landed->host))) {
            site_.reset();
            return std::nullopt;
        }
        site_ = landed;
        sitemapsDue_ = true;
    }
    if (!gate_.InSite(*site_, *landing)) {
        return std::nullopt;
    }
    return landing;
}

std::size_t BrowserRules::QueueLinks(const std::string& pageAddress, const PageLinks& links, std::uint64_t budget,
                                     std::size_t depth, bool resources) {
    const bool resolvedAhead = links.resolvedFor == pageAddress && links.identities.size() == links.links.size();
    const std::string base = links.baseHref && !resolvedAhead ? LinkBaseOf(pageAddress, *links.baseHref) : pageAddress;
    UrlId known;
    std::size_t dropped = 0;
    const BoundedResolver resolver(identities_, base);
    std::optional<std::string> resolvedHere;
    std::string gated;
    for (std::size_t i = 0; i < links.links.size(); ++i) {
        const std::string* identity = resolvedAhead ? links.identities[i] : nullptr;
        if (!resolvedAhead) {
            resolvedHere = resolver.Resolve(links.links[i]);
            identity = resolvedHere ? &*resolvedHere : nullptr;
        }
        if (identity == nullptr || !IsWithinLinkBound(*identity) || IsNeverFetchedKind(*identity) || !site_ ||
            !gate_.InSite(*site_, *identity)) {
            continue;
        }
        if (gate_.Strips()) {
            gated.assign(*identity);
            gate_.Strip(gated);
            identity = &gated;
        }
        if (store_.Find(*identity, known)) {
            // An address a page links to is a page, even if another page only showed it as an image.
            if (!resources && !resources_.empty()) {
                resources_.erase(known);
            }
            continue;
        }
        // Matched once an address is known to be new: a site's pages mostly link to the same few, queued already.
        if (!gate_.Admits(*identity)) {
            continue;
        }
        // As under classic rules: once one link is past the budget, so is every later one, so the
        // links kept are the page's first ones, not a patchwork.
        if (dropped != 0 || identity->size() > budget) {
            ++dropped;
            continue;
        }
        budget -= identity->size();
        Enqueue(*identity, depth);
        if (resources) {
            resources_.insert(queue_.back());
        }
    }
    return dropped;
}

void BrowserRules::ReadSitemaps(CrawlRun& run) {
    if (!run.Limits().sitemaps || !site_) {
        return;
    }
    // A run that lists few pages needs no more of the sitemaps than one whole file besides: it could
    // not crawl the rest, and a huge index would cost it minutes and hundreds of MB.
    SitemapWalkLimits limits;
    limits.maxPages = std::min(limits.maxPages, std::max(run.Limits().pages, limits.perFile.maxUrls));
    // The gate has read robots.txt for the start page already.
    SitemapReading::NamedLines named;
    if (run.ObeysRobots()) {
        named = run.RobotsSitemaps(site_->origin + "/robots.txt");
    }
    sitemapReading_ = std::make_unique<SitemapReading>(
        *site_, std::move(named), limits, run.Limits().sitemapTime, run.StopFlag(),
        [&run](std::function<bool()> giveUp) { return run.FileFetcher(std::move(giveUp)); });
    if (sitemapReading_->Alongside()) {
        return;
    }
    sitemapReading_.reset();
    const auto deadline = std::chrono::steady_clock::now() + run.Limits().sitemapTime;
    TakeSitemaps(run,
                 ReadSiteSitemaps(
                     *site_, [&run](const std::string& url) { return run.FetchFile(url); },
                     [&run, deadline] { return run.Stopping() || std::chrono::steady_clock::now() >= deadline; },
                     limits, [&run](const std::string& robotsUrl) { return run.RobotsSitemaps(robotsUrl); }),
                 false);
}

void BrowserRules::CollectSitemaps(CrawlRun& run, bool wait) {
    if (!sitemapReading_) {
        return;
    }
    constexpr auto kWaitStep = std::chrono::milliseconds(20);
    while (!sitemapReading_->WaitFor(wait ? kWaitStep : std::chrono::milliseconds(0))) {
        if (!wait) {
            return;
        }
        run.Yield();
        if (run.Stopping()) {
            return; // the reading gives up too; End takes what it had
        }
    }
    TakeReading(run);
}

void BrowserRules::TakeReading(CrawlRun& run) {
    const std::unique_ptr<SitemapReading> reading = std::move(sitemapReading_);
    TakeSitemaps(run, reading->Take(), true);
    sitemapsCutShort_ = reading->CutShort();
}

bool BrowserRules::End(CrawlRun& run) {
    if (!sitemapReading_) {
        return false;
    }
    sitemapReading_->Cancel();
    TakeReading(run);
    // Kept in the queue, as they are when the links run out, so that a resumed run crawls them.
    if (head_ == queue_.size()) {
        QueueSitemapPages(run);
    }
    return true;
}

void BrowserRules::TakeSitemaps(CrawlRun& run, SiteSitemaps read, bool late) {
    sitemapPages_ = std::move(read.pages);
    inSitemap_.clear();
    inSitemap_.reserve(sitemapPages_.size());
    sitemapBytes_ = 0;
    for (const std::string& page : sitemapPages_) {
        inSitemap_.insert(page);
        // The text, its string and its lookup entry.
        sitemapBytes_ += page.capacity() + sizeof(std::string) + 4 * sizeof(void*);
    }
    // A list of its own reads the sitemaps only to mark which of its pages they name.
    sitemapNext_ = listMode_ && !run.Limits().controls.listFromSitemaps ? sitemapPages_.size() : 0;
    if (late) {
        UrlId met;
        for (const std::string& page : sitemapPages_) {
            if (store_.Find(page, met) && store_.QueuedCount(met) == 0) {
                run.MetPageInSitemap(page);
            }
        }
    }
    run.SitemapsRead(read.sitemapsRead, sitemapPages_.size(), read.problems);
}

bool BrowserRules::InSitemap(const std::string& url) const {
    return !inSitemap_.empty() && inSitemap_.contains(url);
}

void BrowserRules::QueueSitemapPages(CrawlRun& run) {
    const std::size_t before = queue_.size();
    UrlId known;
    for (; sitemapNext_ < sitemapPages_.size(); ++sitemapNext_) {
        std::string page = sitemapPages_[sitemapNext_];
        if (gate_.Narrows() && !gate_.Admit(page)) {
            continue;
        }
        if (!store_.Find(page, known)) {
            Enqueue(page, gate_.UnknownDepth());
        }
    }
    if (queue_.size() != before) {
        run.QueuedUnlinked();
    }
}

std::size_t BrowserRules::MemoryBytes() const {
    return sitemapBytes_ + resources_.size() * (sizeof(UrlId) + 2 * sizeof(void*)) +
           depths_.capacity() * sizeof(std::uint32_t) + checks_.MemoryBytes();
}

void BrowserRules::NextVisits(const FoundList& /*found*/, std::size_t wanted, std::vector<std::string>& out) const {
    for (std::size_t i = head_; i < queue_.size() && wanted > 0; ++i) {
        if (!store_.IsListed(queue_[i])) {
            out.emplace_back(store_.Text(queue_[i]));
            --wanted;
        }
    }
}

bool BrowserRules::IsNewLink(const FoundList& /*found*/, std::string_view url) const {
    UrlId id;
    return !store_.Find(url, id);
}

std::size_t BrowserRules::QueueOccurrences(std::string_view url) const {
    UrlId id;
    return store_.Find(url, id) ? store_.QueuedCount(id) : 0;
}

} // namespace vortaxel::crawl
