#pragma once

#include "crawl/fetched_page.h"
#include "crawl/page/page_address.h"
#include "crawl/page/page_reader.h"
#include "crawl/scope/crawl_gate.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vortaxel::crawl {

/// The targets of links a crawl does not follow (another site's, or marked nofollow), each to be asked once
/// for its status after the crawl's own pages, and the hosts that did not answer, which are not asked again.
class ExternalChecks {
public:
    /// Offers the targets of `read`'s links that a crawl of `site` does not follow: links of the kinds it
    /// follows that lead out of the crawl's scope (`gate`'s hosts when wider, else `site`), or that the page
    /// or the link marks nofollow unless `followNofollow`. `pageAddress` is where the page landed;
    /// `robotsHeader` its X-Robots-Tag.
    void OfferUnfollowed(const PageRead& read, const std::string& pageAddress, std::string_view robotsHeader,
                         bool followNofollow, const std::optional<SiteScope>& site, const CrawlGate& gate);
    /// Queues `target` unless it was offered before.
    void Offer(const std::string& target);

    bool HasWork() const { return !waiting_.empty(); }
    /// The next target, taken off the queue.
    std::string Take();

    /// What an earlier check of the target's origin that got no answer came to, so that an origin that does
    /// not answer costs one time-out a run; nothing when it answered or was not asked yet.
    std::optional<FetchedPage> KnownSilent(std::string_view target) const;
    /// Notes how the check of `target` ended.
    void Answered(std::string_view target, const FetchedPage& page);

    std::size_t MemoryBytes() const { return bytes_; }

private:
    PageIdentityCache identities_;
    std::unordered_set<std::string> offered_;
    std::deque<std::string> waiting_;
    std::unordered_map<std::string, FetchedPage> silent_;
    std::size_t bytes_ = 0;
};

} // namespace vortaxel::crawl
