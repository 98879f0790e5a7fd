#include "crawl/list/external_checks.h"

#include "crawl/browser/audit_links.h"
#include "crawl/link_bounds.h"
#include "web/address_login.h"

namespace vortaxel::crawl {

namespace {

// Each text is held twice (the set, the queue) with its string and its table entry.
constexpr std::size_t kEntryBytes = 2 * sizeof(std::string) + 4 * sizeof(void*);

} // namespace

void ExternalChecks::OfferUnfollowed(const PageRead& read, const std::string& pageAddress,
                                     std::string_view robotsHeader, bool followNofollow,
                                     const std::optional<SiteScope>& site, const CrawlGate& gate) {
    const bool pageNofollow =
        !followNofollow && (RobotsSayNofollow(read.facts.metaRobots) || RobotsSayNofollow(robotsHeader));
    const bool resolvedAhead = read.resolvedFor == pageAddress;
    const std::string base = resolvedAhead ? std::string() : LinkBase(pageAddress, read.facts);
    const BoundedResolver resolver(identities_, base);
    std::optional<std::string> resolvedHere;
    for (const PageLink& link : read.links) {
        if (!IsFollowedLinkKind(link)) {
            continue;
        }
        const bool nofollow = pageNofollow || (!followNofollow && RelSaysNofollow(link.rel));
        const std::optional<std::string>* identity = &link.identity;
        if (!resolvedAhead) {
            resolvedHere = resolver.Resolve(link.target);
            identity = &resolvedHere;
        }
        if (!*identity || !IsWithinLinkBound(**identity)) {
            continue;
        }
        // Another host of a wider scope is one of the crawl's own pages, fetched in its turn, not checked.
        if (nofollow || !site || !gate.InSite(*site, **identity)) {
            Offer(**identity);
        }
    }
}

void ExternalChecks::Offer(const std::string& target) {
    if (offered_.insert(target).second) {
        waiting_.push_back(target);
        bytes_ += 2 * target.capacity() + kEntryBytes;
    }
}

std::string ExternalChecks::Take() {
    std::string target = std::move(waiting_.front());
    waiting_.pop_front();
    return target;
}

std::optional<FetchedPage> ExternalChecks::KnownSilent(std::string_view target) const {
    if (silent_.empty()) {
        return std::nullopt;
    }
    const auto found = silent_.find(web::OriginOf(target));
    if (found == silent_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void ExternalChecks::Answered(std::string_view target, const FetchedPage& page) {
    // No status at all: the host did not answer (no connection, a time-out), which its other targets would
    // meet again, each costing as long.
    if (page.ok || page.status != 0) {
        return;
    }
    silent_.emplace(web::OriginOf(target), FetchedPage::Failure(page.error));
}

} // namespace vortaxel::crawl
