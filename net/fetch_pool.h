#pragma once

#include "crawl/fetch_result.h"
#include "net/curl_handles.h"
#include "net/fetch_options.h"
#include "net/transfer.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vortaxel::net {

/// Page fetch with up to `width` requests in flight over kept-alive connections: while the caller
/// waits for one page, the pool fetches ahead the pages it is told come next, so a later call for
/// one of them finds it ready. Each page is fetched by the same rules as HttpFetcher.
///
/// Of the width, one transfer is always kept for the page asked for, so at most width - 1 pages
/// are ever fetched ahead; a caller that stops asking leaves at most that many fetched for nothing.
/// Use it from one thread; only Abort and ClearAbort may be called from elsewhere.
class FetchPool {
public:
    /// Fills `out` with up to `wanted` addresses likely to be asked for next, soonest first.
    using AheadList = std::function<void(std::size_t wanted, std::vector<std::string>& out)>;

    /// Throws std::invalid_argument for a width of 0 and std::runtime_error when libcurl cannot be set up.
    explicit FetchPool(std::size_t width, FetchOptions options = {});
    ~FetchPool();
    FetchPool(const FetchPool&) = delete;
    FetchPool& operator=(const FetchPool&) = delete;

    /// Where the pool learns what to fetch ahead; without one it fetches only what it is asked for.
    void SetAheadList(AheadList ahead) { ahead_ = std::move(ahead); }

    /// The page at url, as HttpFetcher::Fetch gives it: taken from a fetch made ahead, waiting for
    /// it if it is still in flight, or fetched now. First starts fetching ahead what the ahead list
    /// names, as far as transfers are free. A page fetched ahead is handed out once, then forgotten.
    crawl::FetchResult Fetch(const std::string& url);

    /// Makes every fetch in flight fail promptly and every later one fail at once, until ClearAbort.
    /// Only sets a lock-free flag, so any thread, and a signal handler, may call it.
    void Abort() noexcept { aborted_.store(true); }
    /// Lets fetches run again after Abort; pages that the abort cut short are fetched afresh.
    void ClearAbort() noexcept { aborted_.store(false); }

    /// Requests started so far, those made ahead included.
    std::size_t RequestsStarted() const { return started_; }

private:
    enum class State { Idle, Running, Done };

    struct Slot {
        std::unique_ptr<Transfer> transfer;
        std::string url;
        State state = State::Idle;
        crawl::FetchResult result;
        // Ended by an abort rather than by the server.
        bool cutShort = false;
    };

    Slot* Holding(const std::string& url);
    Slot* Idle();
    void Start(Slot& slot, const std::string& url);
    void StartAhead(const std::string& asked);
    /// Moves every transfer on; those that ended become Done.
    bool Drive();
    void Finish(Slot& slot, CURLcode code);
    void Detach(Slot& slot);

    static_assert(std::atomic<bool>::is_always_lock_free);
    std::atomic<bool> aborted_{false};
    MultiHandle multi_;
    std::vector<Slot> slots_;
    AheadList ahead_;
    std::vector<std::string> candidates_;
    std::size_t started_ = 0;
};

} // namespace vortaxel::net
