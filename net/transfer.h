#pragma once

#include "crawl/fetch_result.h"
#include "net/curl_handles.h"
#include "net/fetch_options.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vortaxel::net {

/// One easy handle set up for page fetches, with the buffers its callbacks fill.
/// Several can share one multi handle; each runs one request at a time.
/// Stays where it was built, since libcurl keeps its address for the callbacks.
class Transfer {
public:
    /// abortFlag is read by the transfer while it runs; it must outlive the Transfer.
    Transfer(const FetchOptions& options, const std::atomic<bool>& abortFlag);
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    /// Readies the handle for url. Returns a failure when url must not be fetched at all, else nothing.
    std::optional<crawl::FetchResult> Prepare(const std::string& url);

    /// A request that died on a connection kept from an earlier fetch, before any byte of a reply came
    /// back, met the server closing that idle connection: a race every keep-alive client runs into.
    /// libcurl sends such a request again by itself, but its count of resends is never cleared between
    /// requests, only when it gives up after five, so every sixth such race on one handle would cost
    /// the crawl a page. Readies the handle to send the request once more on a new connection and
    /// returns true; the caller starts it again. False for any other ending, and for a request already
    /// sent again once.
    bool RetryOnFreshConnection(CURLcode code);

    /// After a HEAD that answered 2xx HTML, readies the GET and returns true; the caller starts it again.
    bool ContinueAfterProbe(CURLcode code);

    /// Turns libcurl's verdict on the finished request into the page or the reason it failed.
    crawl::FetchResult Finish(CURLcode code);

    CURL* Handle() const { return easy_.get(); }

private:
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    /// Records a Content-Length header line of the current response; false when it disagrees with an earlier one.
    bool NoteContentLength(std::string_view line);
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    bool IsHtmlReply() const;
    crawl::FetchResult Verdict(CURLcode code);

    EasyHandle easy_;
    bool htmlOnly_;
    std::function<bool(std::string_view)> probeFirst_;
    bool probing_ = false;
    bool bodySkipped_ = false;
    long replyStatus_ = 0;
    std::string replyType_;
    std::size_t maxBodyBytes_;
    const std::atomic<bool>& abortFlag_;
    std::string body_;
    std::size_t headerBytes_ = 0;
    bool bodyTooLarge_ = false;
    bool headersEnded_ = false;
    // Ends the resending here rather than trusting libcurl's count of new connections to.
    bool retried_ = false;
    /// The first Content-Length of the current response, and whether another one disagreed with it.
    std::string declaredLength_;
    bool lengthsConflict_ = false;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

} // namespace vortaxel::net
