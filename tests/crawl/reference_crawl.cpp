#include "reference_crawl.h"

#include "crawl/classic/link_extraction.h"
#include "crawl/queue_filter.h"

#include <algorithm>

namespace vortaxel::crawl::testing {

namespace {
struct ListSink : LinkSink {
    explicit ListSink(std::vector<std::string>& list) : list(list) {}
    void Append(std::string_view link) override { list.emplace_back(link); }
    std::vector<std::string>& list;
};
} // namespace

void ReferenceCrawl::Run() {
    stopRequested_ = false;
    listener_.RunStarted();
    list1.clear();
    list2.clear();
    list1.push_back(startText_);
    while (!list1.empty() && !stopRequested_) {
        listener_.Yield();
        const std::string head = list1.front();
        if (!IsNewLink(head)) {
            list1.erase(list1.begin());
            continue;
        }
        list2.push_back(head);
        listener_.PageFound(list2.size() - 1, head);
        const FetchedPage page = fetcher_.Fetch(head);
        ListSink sink(list1);
        ExtractHrefLinks(page.body, sink, startText_);
        ExtractWindowOpenLinks(page.body, sink, startText_);
        list1.erase(list1.begin());
        FilterQueue();
    }
    listener_.RunEnded();
}

bool ReferenceCrawl::IsNewLink(const std::string& url) const {
    const auto count = std::count(list1.begin(), list1.end(), url) + std::count(list2.begin(), list2.end(), url);
    return count <= 1;
}

void ReferenceCrawl::FilterQueue() {
    const std::string startUrl = startText_;
    std::size_t i = 0;
    while (i < list1.size()) {
        if (IsFilteredOut(list1[i], startUrl)) {
            list1.erase(list1.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

} // namespace vortaxel::crawl::testing
