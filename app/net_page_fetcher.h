#pragma once

#include "app/page_read_pool.h"
#include "crawl/fetched_page.h"
#include "crawl/page_fetcher.h"
#include "crawl/rule_set.h"
#include "net/fetch_options.h"
#include "net/fetcher.h"
#include "web/fetch_result.h"

#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vortaxel::app {

/// What a run asks of its fetches, whichever front end starts it.
struct RunFetchChoices {
    crawl::RuleSet rules = crawl::RuleSet::Classic;
    /// Least time between the starts of two requests to the same host.
    std::chrono::milliseconds delay{0};
    bool obeyRobots = false;
};

/// The fetch options a run with `choices` needs on top of `base`. Browser rules read pages only: every
/// address is asked for once, with GET, and a reply that is no HTML page (or not a success) stops after
/// its headers, so a broken link or a file costs no download. Whoever asks for one kind of politeness gets the other: a
/// host that says "come back later" is waited for only then, so the default run stays one request per
/// page.
net::FetchOptions FetchOptionsFor(const RunFetchChoices& choices, net::FetchOptions base);

/// The fetch options for addresses asked for their status alone, from a run's `pages` options: HEAD, or a GET
/// cut after its headers where HEAD is refused, and a redirect's reply is the status, its target not asked.
net::FetchOptions StatusFetchOptions(net::FetchOptions pages);

/// Pages for the engine from the net fetch loop. With `readPages`, every page is read as HTML on a
/// thread of its own as soon as its fetch ends, while the fetch loop goes on, and handed out already
/// read: for browser rules, whose reading takes more time than a page's transfer.
class NetPageFetcher final : public crawl::PageFetcher {
public:
    explicit NetPageFetcher(net::Fetcher& fetcher, bool readPages = false);
    ~NetPageFetcher() override;
    NetPageFetcher(const NetPageFetcher&) = delete;
    NetPageFetcher& operator=(const NetPageFetcher&) = delete;
    NetPageFetcher(NetPageFetcher&&) = delete;
    NetPageFetcher& operator=(NetPageFetcher&&) = delete;

    /// With `resolve`, the thread that reads a page also resolves all its links against the page's address
    /// (crawl::ResolveLinksAhead): for a crawl being kept, whose writer takes every link resolved. A plain
    /// run resolves only the links it follows, as it queues them, and leaves the readers to reading.
    void ResolveLinksAhead(bool resolve) { resolveLinks_ = resolve; }
    /// With `analyse`, the thread that reads a page also reads its text and works out its phrase
    /// candidates (crawl::PageRead::terms): for a run that keeps key phrases.
    void AnalyseText(bool analyse) { analyseText_ = analyse; }
    /// With `read`, the page's visible text is read (crawl::PageRead::text) for the duplicate checks.
    void ReadText(bool read) { readText_ = read; }
    /// With `content`, the thread that reads a page also reads it for what that asks (structured data,
    /// custom extractors); none for a run that asks for none of it.
    void AuditContent(std::shared_ptr<const crawl::ContentAuditChoices> content) { content_ = std::move(content); }

    crawl::FetchedPage Fetch(const std::string& url) override;
    crawl::FetchedPage FetchWhole(const std::string& url) override {
        return crawl::FetchedPage(fetcher_.FetchWhole(url));
    }
    /// Through the status fetcher when there is one (see SetStatusFetcher), else as a page.
    crawl::FetchedPage FetchStatus(const std::string& url) override {
        return status_ != nullptr ? crawl::FetchedPage(status_->Fetch(url)) : Fetch(url);
    }
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay) override {
        fetcher_.SetHostDelay(url, delay);
        if (status_ != nullptr) {
            status_->SetHostDelay(url, delay);
        }
    }
    /// A companion of the net fetcher (net::Fetcher::Companion), aborted once `giveUp` says so.
    std::unique_ptr<crawl::PageFetcher> FileFetcher(std::function<bool()> giveUp) override;
    /// Asks `status` (made with StatusFetchOptions, outliving this) for the addresses wanted for their status
    /// alone; nullptr for none.
    void SetStatusFetcher(net::Fetcher* status) { status_ = status; }

private:
    void Finished(const std::string& url, const web::FetchResult& result);

    net::Fetcher& fetcher_;
    net::Fetcher* status_ = nullptr;
    bool resolveLinks_ = false;
    bool analyseText_ = false;
    bool readText_ = false;
    std::shared_ptr<const crawl::ContentAuditChoices> content_;
    std::unique_ptr<PageReadPool> pool_;
    /// Reads of pages fetched and not yet handed out; the oldest are forgotten past a bound, as pages
    /// fetched ahead may be dropped unasked.
    std::map<std::string, std::shared_future<PageReadPool::Read>> reads_;
    std::deque<std::string> readOrder_;
};

} // namespace vortaxel::app
