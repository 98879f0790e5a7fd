#include "crawl_engine.h"

#include "link_extraction.h"

#include <exception>

namespace vortaxel::crawl {

namespace {

constexpr int kEnterKey = 13;

/// Raises a flag for a scope and puts back its old value when the scope ends, also when a
/// host call throws through it.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

CrawlEngine::CrawlEngine(CrawlHost& host) : host_(host) {}

void CrawlEngine::cmdstart_Click() {
    if (running_) {
        // Nesting a second loop inside this one's yield would leave the outer loop reading
        // lists the inner run emptied; stop this run and start afresh once it has closed.
        restartRequested_.store(true, std::memory_order_relaxed);
        stopRequested_.store(true, std::memory_order_relaxed);
        return;
    }
    do {
        restartRequested_.store(false, std::memory_order_relaxed);
        StartRun();
    } while (restartRequested_.load(std::memory_order_relaxed));
}

void CrawlEngine::ShowRefusal() {
    host_.ShowMessage("Please enter a Starting URL", "Oops");
    host_.FocusUrlField();
}

void CrawlEngine::StartRun() {
    std::string url = host_.UrlText();
    if (url.empty() || url == "http://") {
        ShowRefusal();
        return;
    }
    FlagScope running(running_);
    if (url.back() != '/') {
        url += '/';
        host_.SetUrlText(url);
    }
    stopRequested_.store(false, std::memory_order_relaxed);
    host_.SetAnimationVisible(true);
    host_.SetStartButtonVisible(false);
    // Emptying the store first spares the lists releasing their entries one by one.
    store_.Clear();
    list1_.Clear();
    list2_.Clear();
    list1_.PushBack(store_.Intern(host_.UrlText()));
    ProcessLinks();
}

void CrawlEngine::txturl_KeyPress(int& keyAscii) {
    if (keyAscii == kEnterKey) {
        cmdstart_Click();
    }
}

void CrawlEngine::cmdstop_Click() {
    restartRequested_.store(false, std::memory_order_relaxed);
    stopRequested_.store(true, std::memory_order_relaxed);
}

void CrawlEngine::chkSelect_Click() {
    if (host_.SelectAllValue() == CheckValue::Ticked) {
        list2_.SelectAll();
    }
}

// Entered only from a start that got past its refusals; a start during the run only asks for a
// restart, so the loop never nests inside its own yield.
void CrawlEngine::ProcessLinks() {
    while (list1_.Count() != 0 && !StopRequested()) {
        host_.Yield();
        if (list1_.Count() == 0) {
            break;
        }
        const UrlId head = list1_.Head();
        if (!IsNewId(head)) {
            list1_.PopHead();
            continue;
        }
        VisitHead(head);
    }
    host_.SetAnimationVisible(false);
    host_.SetStartButtonVisible(true);
}

void CrawlEngine::VisitHead(UrlId head) {
    list2_.Append(head);
    chkSelect_Click();
    host_.SetCounterCaption("Retrieving URLs: " + std::to_string(list2_.Count()));
    headText_.assign(store_.Text(head));
    FetchPage(headText_);
    const std::string hrefBase = host_.UrlText();
    ExtractHrefLinks(pageBuffer_, list1_, hrefBase);
    const std::string windowOpenBase = host_.UrlText();
    ExtractWindowOpenLinks(pageBuffer_, list1_, windowOpenBase);
    list1_.PopHead();
    FilterQueue();
}

void CrawlEngine::FetchPage(const std::string& url) {
    pageBuffer_.clear();
    try {
        FetchResult result = host_.Fetch(url);
        if (result) {
            pageBuffer_ = std::move(result.body);
        }
    } catch (const std::exception&) {
        // A fetch that fails in any way is a page without links, and the buffer is still empty; the
        // run goes on.
    }
}

bool CrawlEngine::IsNewLink(std::string_view url) const {
    // By text, since links of the turn in progress are not yet in the store.
    return list1_.Occurrences(url) + (list2_.Contains(url) ? 1 : 0) <= 1;
}

/// The loop's own duplicate test, on the head's id: the same answer as IsNewLink without a lookup.
bool CrawlEngine::IsNewId(UrlId id) const {
    return list1_.Occurrences(id) + (list2_.Contains(id) ? 1 : 0) <= 1;
}

void CrawlEngine::FilterQueue() {
    list1_.Filter(host_.UrlText());
}

} // namespace vortaxel::crawl
