#include "crawl/classic/classic_rules.h"

#include "crawl/classic/link_extraction.h"

#include <algorithm>
#include <unordered_map>

namespace vortaxel::crawl {

namespace {
// Queue entries looked at per page wanted; repeats and found pages in between are skipped.
constexpr std::size_t kScanPerPage = 32;
} // namespace

void ClassicRules::Begin(CrawlRun& run) {
    list1_.PushBack(store_.Intern(run.StartText()));
}

// The kept queue has passed the filter against the same start text, so the next pass keeps it whole.
void ClassicRules::Resume(CrawlRun& run, ResumeSource& from) {
    from.ForEachFound([&](std::string_view url) { run.ListKept(store_.Intern(url)); });
    from.ForEachQueued([&](std::string_view url) { list1_.PushBack(store_.Intern(url)); });
}

void ClassicRules::Turn(CrawlRun& run) {
    const UrlId head = list1_.Head();
    // The head's own duplicate test, on its id: IsNewLink's answer without a lookup.
    if (list1_.Occurrences(head) + (run.Found().Contains(head) ? 1 : 0) > 1) {
        list1_.PopHead();
        return;
    }
    headText_.assign(store_.Text(head));
    // Classic rules list a page before fetching it, so robots.txt is asked before either.
    if (!run.Admit(headText_)) {
        list1_.PopHead();
        return;
    }
    run.List(head);
    run.Fetch(headText_);
    // The start text is taken afresh at each use; a copy keeps it fixed while one extractor runs.
    list1_.BeginPage(run.Limits().pageLinkBytes);
    base_ = run.StartText();
    ExtractHrefLinks(run.PageBuffer(), list1_, base_);
    base_ = run.StartText();
    ExtractWindowOpenLinks(run.PageBuffer(), list1_, base_);
    const std::size_t dropped = list1_.EndPage();
    list1_.PopHead();
    list1_.Filter(run.StartText());
    if (dropped != 0) {
        run.LinksDropped(headText_, dropped);
    }
}

bool ClassicRules::IsNewLink(const FoundList& found, std::string_view url) const {
    // By text, since links of the turn in progress are not yet in the store.
    return list1_.Occurrences(url) + (found.Contains(url) ? 1 : 0) <= 1;
}

// The head is the page in progress. Behind it, an entry is visited once it reaches the head when it
// is not yet found and is the last copy of its URL in the queue (earlier copies are dropped as
// repeats). A link queued later can postpone such a visit but never cancel it. Only a bounded
// stretch of the queue is looked at, so the cost does not grow with the queue.
void ClassicRules::NextVisits(const FoundList& found, std::size_t wanted, std::vector<std::string>& out) const {
    const std::size_t end = std::min(list1_.Count(), 1 + wanted * kScanPerPage);
    // For URLs queued more than once: how many of their copies lie further on.
    std::unordered_map<std::string_view, std::size_t> copiesLeft;
    for (std::size_t i = 1; i < end && wanted > 0; ++i) {
        const std::string_view url = list1_.Text(i);
        if (found.Contains(url)) {
            continue;
        }
        const std::size_t copies = list1_.Occurrences(url);
        if (copies > 1) {
            auto& left = copiesLeft.try_emplace(url, copies).first->second;
            if (--left != 0) {
                continue;
            }
        }
        out.emplace_back(url);
        --wanted;
    }
}

} // namespace vortaxel::crawl
