#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <httplib.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vortaxel::test {

/// What the site answers for one request target.
struct Page {
    int status = 200;
    std::string body;
    std::string contentType = "text/html";
    /// Extra response headers, sent as given.
    std::vector<std::pair<std::string, std::string>> headers;
    /// Time to wait before answering. Cut short when the site shuts down.
    std::chrono::milliseconds delay{0};
    /// When not empty, the answer carries this Location; a status outside 3xx becomes 302.
    std::string redirectTo;

    // Chainable setters, since aggregate initialisation with designators warns about the members left out.
    Page& WithStatus(int value) { return status = value, *this; }
    Page& WithBody(std::string value) { return body = std::move(value), *this; }
    Page& WithContentType(std::string value) { return contentType = std::move(value), *this; }
    Page& WithHeader(std::string name, std::string value) {
        headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
    Page& WithDelay(std::chrono::milliseconds value) { return delay = value, *this; }
};

/// One request as the site received it.
struct RecordedRequest {
    std::string method;
    /// The request target exactly as it came over the wire (percent escapes and query kept).
    std::string target;
    httplib::Headers headers;
    /// The client's source port, which tells connections apart.
    int remotePort = -1;
};

/// An HTTP server on 127.0.0.1 and a port the system picks, living in-process for one test.
/// Pages are looked up by the raw request target; anything unknown answers 404.
/// Text bodies may go out compressed when the client accepts it, as a real server would.
/// The destructor stops the server, cutting short pending delays, and joins its thread.
class LoopbackSite {
public:
    /// A handler for behaviour a Page cannot describe. It runs on a server worker thread.
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    /// Binds and starts serving before returning. Throws std::runtime_error when no port can be bound.
    LoopbackSite();
    ~LoopbackSite();

    LoopbackSite(const LoopbackSite&) = delete;
    LoopbackSite& operator=(const LoopbackSite&) = delete;

    /// The port the site listens on.
    int Port() const { return port_; }

    /// "http://127.0.0.1:PORT" followed by target, which should start with "/".
    std::string Url(std::string_view target = "/") const;

    /// Answers requests for target with page. Replaces any earlier entry for target.
    void Serve(const std::string& target, Page page);

    /// Shorthand for a 200 text/html page.
    void ServeHtml(const std::string& target, std::string body);

    /// Answers target with a redirect to location (absolute URL or path).
    void Redirect(const std::string& target, std::string location, int status = 302);

    /// Runs handler for requests to target, in place of any Page.
    void Handle(const std::string& target, Handler handler);

    /// Every request received so far, in arrival order. Safe to call while serving.
    std::vector<RecordedRequest> Requests() const;

    /// The targets of Requests(), in arrival order.
    std::vector<std::string> Targets() const;

    /// Forgets the requests recorded so far.
    void ClearRequests();

    /// Keeps every answer for target waiting, though its request is recorded at once, until
    /// Release(target), shutdown, or `limit` has passed: a test acts while the client is sure to be
    /// waiting, and a test that never releases still ends.
    void Hold(const std::string& target, std::chrono::milliseconds limit = std::chrono::seconds(30));

    /// Lets the answers held for target go, and those asked for later.
    void Release(const std::string& target);

    /// Waits up to timeout for the site to shut down and returns true if it is shutting down.
    /// Long-running handlers call it in their loops so that they end with the test.
    bool WaitForShutdown(std::chrono::milliseconds timeout) const;

private:
    /// Waits, with `lock` on mutex_, while target is held; false when the site shuts down meanwhile.
    bool WaitWhileHeld(std::unique_lock<std::mutex>& lock, const std::string& target);
    void Answer(const httplib::Request& request, httplib::Response& response);

    httplib::Server server_;
    int port_ = 0;
    std::thread listener_;

    mutable std::mutex mutex_;
    // Signalled on shutdown and on each release.
    mutable std::condition_variable stateChanged_;
    bool shuttingDown_ = false;
    std::map<std::string, std::chrono::milliseconds> held_;
    std::map<std::string, Page> pages_;
    std::map<std::string, Handler> handlers_;
    std::vector<RecordedRequest> requests_;
};

} // namespace vortaxel::test
