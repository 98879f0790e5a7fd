#include "app/net_page_fetcher.h"

#include "crawl/page/page_address.h"
#include "web/html_type.h"

#include <algorithm>
#include <string_view>
#include <thread>
#include <utility>

namespace vortaxel::app {

namespace {

// Far more than the pages a fetcher holds ahead; only pages dropped unasked ever wait this long.
constexpr std::size_t kReadsKept = 256;

/// Files fetched whole on a thread beside the crawl's, by a fetcher of their own.
class CompanionFiles final : public crawl::PageFetcher {
public:
    CompanionFiles(std::unique_ptr<net::Fetcher> fetcher, std::function<bool()> giveUp) : fetcher_(std::move(fetcher)) {
        fetcher_->SetWaitCallback([fetcher = fetcher_.get(), giveUp = std::move(giveUp)] {
            if (giveUp()) {
                fetcher->Abort();
            }
        });
    }
    crawl::FetchedPage Fetch(const std::string& url) override { return FetchWhole(url); }
    crawl::FetchedPage FetchWhole(const std::string& url) override {
        return crawl::FetchedPage(fetcher_->FetchWhole(url));
    }

private:
    std::unique_ptr<net::Fetcher> fetcher_;
};

} // namespace

NetPageFetcher::NetPageFetcher(net::Fetcher& fetcher, bool readPages) : fetcher_(fetcher) {
    if (!readPages) {
        return;
    }
    // The fetch loop keeps one core busy; the rest read.
    const unsigned cores = std::thread::hardware_concurrency();
    pool_ = std::make_unique<PageReadPool>(cores > 1 ? cores - 1 : 1);
    fetcher_.SetFinishedCallback(
        [this](const std::string& url, const web::FetchResult& result) { Finished(url, result); });
}

NetPageFetcher::~NetPageFetcher() {
    if (pool_) {
        fetcher_.SetFinishedCallback({});
    }
}

void NetPageFetcher::Finished(const std::string& url, const web::FetchResult& result) {
    if (!web::IsPageReply(result, result.body)) {
        return;
    }
    // The address the run will take the page for: where its fetch landed. Should the run see it
    // otherwise, the links resolved here are not used.
    std::string address;
    if (resolveLinks_) {
        address = crawl::LandedAt(url, result.finalUrl).value_or("");
    }
    if (reads_.insert_or_assign(url, pool_->Submit(result.body, std::move(address), analyseText_, readText_, content_))
            .second) {
        readOrder_.push_back(url);
    }
    while (readOrder_.size() > kReadsKept) {
        reads_.erase(readOrder_.front());
        readOrder_.pop_front();
    }
}

std::unique_ptr<crawl::PageFetcher> NetPageFetcher::FileFetcher(std::function<bool()> giveUp) {
    return std::make_unique<CompanionFiles>(fetcher_.Companion(), std::move(giveUp));
}

crawl::FetchedPage NetPageFetcher::Fetch(const std::string& url) {
    crawl::FetchedPage page = crawl::FetchedPage(fetcher_.Fetch(url));
    if (const auto read = reads_.find(url); read != reads_.end()) {
        if (page.ok) {
            page.read = read->second.get();
        }
        reads_.erase(read);
        std::erase(readOrder_, url);
    }
    return page;
}

net::FetchOptions FetchOptionsFor(const RunFetchChoices& choices, net::FetchOptions base) {
    if (choices.rules == crawl::RuleSet::Browser) {
        // One GET per page, cut after the headers when the reply is not a page: a HEAD first would cost
        // every page a second request, and servers answer HEAD less faithfully than GET.
        base.htmlOnly = true;
        // A site that needs its session cookie sends every cookie-less client round a redirect loop.
        base.keepCookies = true;
    }
    base.delay = std::max(base.delay, choices.delay);
    base.politeRetry = base.politeRetry || choices.obeyRobots || choices.delay.count() > 0;
    // Each hop of a redirect is a page that robots.txt may forbid, so the crawl follows them itself.
    base.redirectsOneByOne = base.redirectsOneByOne || choices.obeyRobots;
    return base;
}

net::FetchOptions StatusFetchOptions(net::FetchOptions pages) {
    pages.htmlOnly = true;
    pages.probeFirst = [](std::string_view /*url*/) { return true; };
    pages.probeAnswers = true;
    pages.redirectsOneByOne = true;
    return pages;
}

} // namespace vortaxel::app
