#include "crawl_harness.h"

#include "crawl/crawl_engine.h"
#include "crawl/headless_crawl_host.h"
#include "net/fetcher.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <sys/resource.h>
#include <thread>

namespace vortaxel::test {

namespace {

/// The window reduced to what a headless run needs; it notes the page buffer after each fetch at the
/// engine's next read of the URL field, which comes right after the buffer has been filled.
class RecordingHost final : public crawl::HeadlessCrawlHost {
public:
    RecordingHost(std::string url, net::Fetcher& fetcher, CrawlOutcome& outcome, std::size_t maxPages)
        : HeadlessCrawlHost(std::move(url)), fetcher_(fetcher), outcome_(outcome), maxPages_(maxPages) {}

    void Attach(crawl::CrawlEngine& engine) { engine_ = &engine; }

    std::string UrlText() override {
        NoteBuffer();
        return HeadlessCrawlHost::UrlText();
    }
    void SetCounterCaption(const std::string& caption) override {
        outcome_.counter = caption;
        if (maxPages_ != 0 && engine_->List2().Count() >= maxPages_) {
            engine_->cmdstop_Click();
        }
    }
    void Yield() override { NoteBuffer(); }
    crawl::FetchResult Fetch(const std::string& url) override {
        net::FetchResult page = fetcher_.Fetch(url);
        crawl::FetchResult result{page.ok, std::move(page.body), std::move(page.error)};
        outcome_.fetched.push_back(url);
        outcome_.fetchOk.push_back(result.ok);
        outcome_.fetchErrors.push_back(result.error);
        bufferPending_ = true;
        return result;
    }

private:
    void NoteBuffer() {
        if (bufferPending_) {
            outcome_.bufferAfterFetch.push_back(engine_->PageBuffer().size());
            bufferPending_ = false;
        }
    }

    net::Fetcher& fetcher_;
    CrawlOutcome& outcome_;
    std::size_t maxPages_;
    crawl::CrawlEngine* engine_ = nullptr;
    bool bufferPending_ = false;
};

/// The process's peak resident memory so far, in bytes.
std::size_t PeakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

} // namespace

std::optional<std::size_t> CrawlOutcome::IndexOf(const std::string& url) const {
    const auto at = std::find(fetched.begin(), fetched.end(), url);
    if (at == fetched.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - fetched.begin());
}

std::optional<std::size_t> CrawlOutcome::BufferAfter(const std::string& url) const {
    // A fetch's buffer is noted at the engine's next turn, which the run's last fetch may not get.
    const auto index = IndexOf(url);
    if (!index || *index >= bufferAfterFetch.size()) {
        return std::nullopt;
    }
    return bufferAfterFetch[*index];
}

std::optional<bool> CrawlOutcome::FetchOk(const std::string& url) const {
    const auto index = IndexOf(url);
    return index ? std::optional<bool>(fetchOk[*index]) : std::nullopt;
}

std::optional<std::string> CrawlOutcome::FetchError(const std::string& url) const {
    const auto index = IndexOf(url);
    return index ? std::optional<std::string>(fetchErrors[*index]) : std::nullopt;
}

CrawlOutcome RunCrawl(const std::string& startUrl, const CrawlLimits& limits) {
    CrawlOutcome outcome;
    net::FetchOptions options;
    options.timeout = limits.fetchTimeout;
    net::Fetcher fetcher(options);
    RecordingHost host(startUrl, fetcher, outcome, limits.maxPages);
    crawl::CrawlEngine engine(host);
    host.Attach(engine);

    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    // A hang must fail the test, not stall the suite: the watchdog stops the run and gives up the fetch.
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, limits.watchdog, [&] { return done; })) {
            outcome.timedOut = true;
            engine.cmdstop_Click();
            fetcher.Abort();
        }
    });

    const std::size_t peakBefore = PeakResidentBytes();
    const auto began = std::chrono::steady_clock::now();
    int enter = 13;
    engine.txturl_KeyPress(enter);
    outcome.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
    outcome.peakGrowthBytes = PeakResidentBytes() - peakBefore;
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_one();
    watchdog.join();

    for (std::size_t i = 0; i < engine.List2().Count(); ++i) {
        outcome.found.emplace_back(engine.List2().Text(i));
    }
    for (std::size_t i = 0; i < engine.QueueCount(); ++i) {
        outcome.queue.emplace_back(engine.QueueText(i));
    }
    return outcome;
}

} // namespace vortaxel::test
