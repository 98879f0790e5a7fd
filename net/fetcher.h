#pragma once

#include "net/cookie_share.h"
#include "net/curl_handles.h"
#include "net/fetch_options.h"
#include "net/finished_pages.h"
#include "net/host_pacing.h"
#include "net/transfer.h"
#include "web/fetch_result.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortaxel::net {

/// Blocking page fetch over HTTP and HTTPS with up to `width` requests in flight on kept-alive
/// connections. With a width of 1 it fetches exactly the page asked for. With more, while the caller
/// waits for one page it fetches ahead the pages the ahead list says come next; a page fetched ahead
/// moves to a store of finished pages, bounded in bytes, so its transfer can start the next one, and a
/// later call for it returns at once. A page is handed out once, and is never requested again while
/// it is in flight or in the store.
///
/// Of the width, one transfer is always kept for the page asked for, so at most width - 1 transfers
/// ever work ahead; a caller that stops asking leaves at most those and the stored pages fetched for
/// nothing. Use it from one thread; only Abort and ClearAbort may be called from elsewhere.
class Fetcher {
public:
    /// What one transfer working ahead may hold whatever the budget, so that small pages go ahead
    /// even with no room in the store: all of them together hold at most width times this past it.
    static constexpr std::size_t kAheadAllowanceBytes = std::size_t{64} * 1024;
    /// How far down the ahead list the fetcher looks past the pages in flight, per transfer. The pages
    /// the caller asks for soonest being held already means it reads them slower than the wire brings
    /// them: fetching further ahead would not speed it up, and a list as long as the store, read anew
    /// at every page, would cost time in proportion to everything held.
    static constexpr std::size_t kLookAheadPerTransfer = 2;

    /// Fills `out` with up to `wanted` addresses likely to be asked for next, soonest first.
    using AheadList = std::function<void(std::size_t wanted, std::vector<std::string>& out)>;

    /// Throws std::invalid_argument for a width of 0 and std::runtime_error when libcurl cannot be set up.
    explicit Fetcher(FetchOptions options = {}, std::size_t width = 1);
    ~Fetcher();
    Fetcher(const Fetcher&) = delete;
    /// A fetcher of one transfer with the same options, for another thread: files it fetches (sitemaps)
    /// go alongside this one's pages, and its requests keep the delays this one keeps, Crawl-delays
    /// set later included. Its connections and cookies are its own.
    std::unique_ptr<Fetcher> Companion() const;
    Fetcher& operator=(const Fetcher&) = delete;

    /// The page at url: one GET (plus its redirect hops), or a HEAD first when the options ask for it,
    /// or a fetch made ahead. The fragment is not sent; blanks and other unsafe bytes are escaped on the
    /// wire only, and an international host name is sent in its ASCII form. Fails, with no body, on a
    /// status of 400 or more, a refused or broken connection, a malformed or non-http(s) address, the
    /// time limit, a body over the size cap, too many redirects, or an abort. A call made from inside
    /// the wait callback or the ahead list while a fetch is running fails at once.
    web::FetchResult Fetch(const std::string& url);
    /// Like Fetch, for a file that is no page (robots.txt): one GET whose body is read whatever its
    /// type, with no HEAD first.
    web::FetchResult FetchWhole(const std::string& url);

    /// From now on, at least `delay` between the starts of two requests to url's host, when that is
    /// more than the options' delay (a host's Crawl-delay).
    void SetHostDelay(std::string_view url, std::chrono::milliseconds delay) { pacing_->SetHostDelay(url, delay); }

    /// Where the fetcher learns what to fetch ahead; without one it fetches only what it is asked for.
    /// Called on the fetching thread, from inside Fetch.
    void SetAheadList(AheadList ahead) { ahead_ = std::move(ahead); }

    /// Called on the fetching thread, from inside Fetch, with every page as its fetch ends, before it is
    /// handed out or stored: a caller may start work on it while other fetches go on.
    void SetFinishedCallback(std::function<void(const std::string& url, const web::FetchResult& result)> callback) {
        finished_ = std::move(callback);
    }

    /// Called on the fetching thread every 20 ms or sooner while Fetch waits, so the caller can keep its
    /// window alive. An empty function turns it off. What it throws leaves Fetch, and the fetcher usable.
    void SetWaitCallback(std::function<void()> callback) { waitCallback_ = std::move(callback); }

    /// Makes every fetch in flight fail promptly and every later one fail at once, until ClearAbort.
    /// Only sets a lock-free flag, so any thread, and a signal handler, may call it.
    void Abort() noexcept { aborted_.store(true); }
    /// True while Fetch waits out a pause before sending the request for the page asked for (a delay, a
    /// Crawl-delay, a Retry-After): no page is in hand, so an Abort then loses nothing that was under way.
    /// It holds through the wait callback. Lock-free, for any thread.
    bool IsOnlyWaiting() const noexcept { return onlyWaiting_.load(); }
    /// True while Fetch fetches a file that is no page (FetchWhole: robots.txt, a sitemap), which an
    /// Abort cuts short without losing a page. Lock-free, for any thread.
    bool IsFetchingFile() const noexcept { return fetchingFile_.load(); }
    /// Lets fetches run again after Abort; pages that the abort cut short are fetched afresh.
    void ClearAbort() noexcept { aborted_.store(false); }

    /// Drops every page fetched ahead, finished or not, for a crawl that starts over elsewhere.
    void DropAhead();

    /// Requests started so far: HEAD probes, polite retries and those made ahead included, the resend of a
    /// request that met a closing kept-alive connection not.
    std::size_t RequestsStarted() const { return started_; }
    /// Pages waiting in the store of finished pages, and their bytes as the budget counts them.
    std::size_t StoredPages() const { return store_.Pages(); }
    std::size_t StoredBytes() const { return store_.Bytes(); }
    /// The most bytes that pages fetched ahead, finished or in flight, held at once: bounded by the
    /// store's budget and each transfer's allowance, since a transfer working ahead stops reading
    /// while those are spent.
    std::size_t PeakAheadBytes() const { return peakAheadBytes_; }

private:
    Fetcher(FetchOptions options, std::size_t width, std::shared_ptr<HostPacing> pacing);

    enum class State { Idle, Waiting, Running, Done };

    struct Slot {
        std::unique_ptr<Transfer> transfer;
        std::string url;
        State state = State::Idle;
        /// When a Waiting slot may send its request.
        std::chrono::steady_clock::time_point due;
        /// The request in flight is the HEAD before the GET.
        bool probing = false;
        /// The body is wanted whatever its type.
        bool whole = false;
        bool politelyRetried = false;
        /// The pacing let the request go and has not yet heard it went out.
        bool unsent = false;
        /// Time spent on earlier requests for this page.
        std::chrono::milliseconds spent{0};
        web::FetchResult result;
    };

    web::FetchResult TakeFromStore(web::FetchResult page, const std::string& url);
    web::FetchResult Wait(Slot& slot, const std::string& url);
    Slot* Holding(const std::string& url);
    Slot* Idle();
    web::FetchResult FetchAs(const std::string& url, bool whole);
    void Start(Slot& slot, const std::string& url, bool whole);
    /// Readies the slot's next request and sends it, or has it wait until `earliest` and the host's pace.
    void Launch(Slot& slot, std::chrono::steady_clock::time_point earliest);
    void Send(Slot& slot);
    /// Tells the pacing when the slot's request went out, if it did since last asked; with `ending`, the
    /// request is over, and one that never went out is told too.
    void NoteSent(Slot& slot, bool ending);
    void StartAhead(const std::string& asked);
    /// Sends what is due, moves every transfer on and settles those that ended; false when libcurl fails.
    bool Drive();
    void Settle(Slot& slot, CURLcode code);
    /// Moves finished pages fetched ahead into the store as far as it has room.
    void StoreFinished();
    void Release(Slot& slot);
    int PollMilliseconds() const;
    /// Bytes held for pages fetched ahead: the store and every transfer but the asked one.
    std::size_t AheadBytes() const;
    /// Whether the slot's transfer may keep `more` body bytes now.
    bool MayHold(const Slot& slot, std::size_t more);
    /// Lets paused transfers read on: the asked one always, the others while the budget has room.
    void ResumePaused();

    static_assert(std::atomic<bool>::is_always_lock_free);
    std::atomic<bool> aborted_{false};
    std::atomic<bool> onlyWaiting_{false};
    std::atomic<bool> fetchingFile_{false};
    FetchOptions options_;
    /// Before the transfers, so that it outlives their handles.
    std::unique_ptr<CookieShare> cookies_;
    MultiHandle multi_;
    std::vector<Slot> slots_;
    FinishedPages store_;
    /// Shared with the companions, so that their requests keep the same pace.
    std::shared_ptr<HostPacing> pacing_;
    AheadList ahead_;
    std::function<void()> waitCallback_;
    std::function<void(const std::string&, const web::FetchResult&)> finished_;
    std::vector<std::string> candidates_;
    std::vector<Slot*> dueSlots_;
    /// The slot of the page the running Fetch waits for.
    const Slot* asked_ = nullptr;
    bool busy_ = false;
    /// A transfer became free while Fetch waited, so more can be fetched ahead.
    bool slotFreed_ = false;
    std::size_t started_ = 0;
    std::size_t peakAheadBytes_ = 0;
};

} // namespace vortaxel::net
