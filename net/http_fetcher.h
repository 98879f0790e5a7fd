#pragma once

#include "crawl/fetch_result.h"
#include "net/curl_handles.h"
#include "net/fetch_options.h"
#include "net/transfer.h"

#include <atomic>
#include <functional>
#include <string>

namespace vortaxel::net {

/// Blocking page fetch over HTTP and HTTPS. Connections are kept alive from one fetch to the next.
/// Use it from one thread; only Abort and ClearAbort may be called from elsewhere.
class HttpFetcher {
public:
    /// Throws std::runtime_error when libcurl cannot be set up.
    explicit HttpFetcher(FetchOptions options = {});
    ~HttpFetcher();
    HttpFetcher(const HttpFetcher&) = delete;
    HttpFetcher& operator=(const HttpFetcher&) = delete;

    /// One GET of url (plus its redirect hops) and no other request. The fragment is not sent;
    /// blanks and other unsafe bytes are escaped on the wire only. Fails, with no body, on a status
    /// of 400 or more, a refused or broken connection, a malformed or non-http(s) address, the time
    /// limit, a body over the size cap, too many redirects, or an abort. A call made from inside the
    /// wait callback while a fetch is running fails at once.
    crawl::FetchResult Fetch(const std::string& url);

    /// Makes the fetch in progress fail promptly and every later one fail at once, until ClearAbort.
    /// Only sets a lock-free flag, so any thread, and a signal handler, may call it.
    void Abort() noexcept { aborted_.store(true); }

    /// Lets fetches run again after Abort.
    void ClearAbort() noexcept { aborted_.store(false); }

    /// Called on the fetching thread every 20 ms or sooner while a request is in flight,
    /// so the caller can keep its window alive. An empty function turns it off.
    void SetWaitCallback(std::function<void()> callback) { waitCallback_ = std::move(callback); }

private:
    crawl::FetchResult Run();

    static_assert(std::atomic<bool>::is_always_lock_free);
    std::atomic<bool> aborted_{false};
    MultiHandle multi_;
    Transfer transfer_;
    std::function<void()> waitCallback_;
    bool busy_ = false;
};

} // namespace vortaxel::net
