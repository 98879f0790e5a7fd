#pragma once

#include "net/curl_handles.h"
#include "net/fetch_options.h"
#include "net/redirect_hops.h"
#include "web/fetch_result.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vortaxel::net {

struct SlistFree {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistFree>;

/// One easy handle set up for page fetches, with the buffers its callbacks fill.
/// Several can share one multi handle; each runs one request at a time.
/// Stays where it was built, since libcurl keeps its address for the callbacks.
class Transfer {
public:
    /// GetWhole is a GET whose body is read whatever its type, for files that are no pages.
    enum class Method { Get, Head, GetWhole };

    /// abortFlag is read by the transfer while it runs; it must outlive the Transfer.
    Transfer(const FetchOptions& options, const std::atomic<bool>& abortFlag);
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() = default;

    /// Readies the handle for url. Returns a failure when url must not be fetched at all, else nothing.
    std::optional<web::FetchResult> Prepare(const std::string& url, Method method = Method::Get);

    /// A request that died on a connection kept from an earlier fetch, before any byte of a reply came
    /// back, met the server closing that idle connection: a race every keep-alive client runs into.
    /// libcurl sends such a request again by itself, but its count of resends is never cleared between
    /// requests, only when it gives up after five, so every sixth such race on one handle would cost
    /// the crawl a page. Readies the handle to send the request once more on a new connection and
    /// returns true; the caller starts it again. False for any other ending, and for a request already
    /// sent again once.
    bool RetryOnFreshConnection(CURLcode code);

    /// Turns libcurl's verdict on the finished request into the page or the reason it failed.
    web::FetchResult Finish(CURLcode code);

    /// The last Finish was for a request that an abort ended, not the server.
    bool CutShort() const { return cutShort_; }

    /// The wait the last reply asked for in a valid Retry-After header, capped; nothing when it had none.
    std::optional<std::chrono::seconds> RetryAfter() const { return retryAfter_; }

    CURL* Handle() const { return easy_.get(); }

    /// When the current request last went out on its connection (after any connect and handshake),
    /// once, then nothing until it goes out again: the instant a server sees it start.
    std::optional<std::chrono::steady_clock::time_point> TakeSent() { return std::exchange(sentAt_, std::nullopt); }

    /// Asked before each piece of body is kept, with its size: false pauses the transfer, which then
    /// reads nothing more from the server until Resume. Lets a caller bound what transfers hold.
    void SetBodyGate(std::function<bool(std::size_t more)> gate) { bodyGate_ = std::move(gate); }
    /// The body bytes read so far for the current request.
    std::size_t BodyBytes() const { return body_.size(); }
    bool Paused() const { return paused_; }
    /// The current request was paused at some point.
    bool WasPaused() const { return wasPaused_; }
    /// Reads on after a pause; the piece held back is offered to the gate again.
    void Resume();

private:
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    /// Takes one header line of the current reply; false when the transfer must stop here.
    bool NoteHeader(std::string_view line);
    /// Records a Content-Length header line of the current response; false when it disagrees with an earlier one.
    bool NoteContentLength(std::string_view line);
    /// At the end of a reply's headers: true when its body is not wanted.
    bool BodyUnwanted() const;
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int OnRequestReady(void* self, char*, char*, int, int);

    EasyHandle easy_;
    std::function<bool(std::size_t)> bodyGate_;
    bool paused_ = false;
    bool wasPaused_ = false;
    Slist resolve_;
    /// The most body bytes the current request may read.
    std::size_t BodyLimit() const { return method_ == Method::GetWhole ? wholeBodyBytes_ : maxBodyBytes_; }

    std::size_t maxBodyBytes_;
    std::size_t wholeBodyBytes_;
    bool redirectsOneByOne_;
    std::chrono::milliseconds timeout_;
    std::chrono::seconds maxRetryAfter_;
    bool htmlOnly_;
    std::optional<web::OriginLogin> login_;
    /// The request under way carries login_.
    bool loggedIn_ = false;
    std::optional<HttpLogin> httpLogin_;
    /// The request under way offers httpLogin_.
    bool offersLogin_ = false;
    /// A 401 answered the request under way: the first one may be the site naming its login scheme,
    /// which libcurl answers by asking again, so its headers do not end the transfer.
    int unauthorizedAnswers_ = 0;
    /// libcurl asked again after that 401, which it counts as a redirect though it is none.
    bool awaitingLoginRetry_ = false;
    long loginRetries_ = 0;
    /// The user's headers: those that go to every origin, and all of them with the cookies for the start
    /// origin; none set leaves libcurl's own request as it always was.
    Slist headersElsewhere_;
    Slist headersAtStart_;
    bool sendsHeaders_ = false;
    std::string startOrigin_;
    const std::atomic<bool>& abortFlag_;
    Method method_ = Method::Get;
    std::string body_;
    std::size_t headerBytes_ = 0;
    bool bodyTooLarge_ = false;
    // A file fetched whole reached its limit: the part read is kept.
    bool bodyCut_ = false;
    bool headersEnded_ = false;
    // Ends the resending here rather than trusting libcurl's count of new connections to.
    bool retried_ = false;
    bool abortSeen_ = false;
    bool cutShort_ = false;
    // The body was left unread on purpose: an error status, or not HTML when only HTML is wanted.
    bool stoppedAtHeaders_ = false;
    /// What the current reply's status line and headers said.
    long status_ = 0;
    std::string reason_;
    std::string contentType_;
    std::optional<std::chrono::seconds> retryAfter_;
    /// The first Content-Length of the current response, and whether another one disagreed with it.
    std::string declaredLength_;
    bool lengthsConflict_ = false;
    std::optional<std::chrono::steady_clock::time_point> sentAt_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    std::string asked_;
    RedirectHops hops_;
};

} // namespace vortaxel::net
