#include "reference_crawl.h"

#include "crawl/link_extraction.h"
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

void ReferenceCrawl::cmdstart_Click() {
    std::string url = host_.UrlText();
    if (url.empty() || url == "http://") {
        host_.ShowMessage("Please enter a Starting URL", "Oops");
        host_.FocusUrlField();
        return;
    }
    if (url.back() != '/') {
        host_.SetUrlText(url + "/");
    }
    stopRequested_ = false;
    host_.SetAnimationVisible(true);
    host_.SetStartButtonVisible(false);
    list1.clear();
    list2.clear();
    selected.clear();
    list1.push_back(host_.UrlText());
    ProcessLinks();
}

void ReferenceCrawl::ProcessLinks() {
    while (!list1.empty() && !stopRequested_) {
        host_.Yield();
        const std::string head = list1.front();
        if (!IsNewLink(head)) {
            list1.erase(list1.begin());
            continue;
        }
        list2.push_back(head);
        selected.push_back(false);
        if (host_.SelectAllValue() == CheckValue::Ticked) {
            std::fill(selected.begin(), selected.end(), true);
        }
        host_.SetCounterCaption("Retrieving URLs: " + std::to_string(list2.size()));
        const FetchedPage page = host_.Fetch(head);
        ListSink sink(list1);
        ExtractHrefLinks(page.body, sink, host_.UrlText());
        ExtractWindowOpenLinks(page.body, sink, host_.UrlText());
        list1.erase(list1.begin());
        FilterQueue();
    }
    host_.SetAnimationVisible(false);
    host_.SetStartButtonVisible(true);
}

bool ReferenceCrawl::IsNewLink(const std::string& url) const {
    const auto count = std::count(list1.begin(), list1.end(), url) + std::count(list2.begin(), list2.end(), url);
    return count <= 1;
}

void ReferenceCrawl::FilterQueue() {
    const std::string startUrl = host_.UrlText();
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
