#include "tests/support/loopback_site.h"

#include <stdexcept>

namespace vortaxel::test {

namespace {

// Several helpers fetch with a pool of kept-alive connections; each idle connection holds a worker.
constexpr std::size_t kWorkers = 16;
// An idle kept-alive connection delays shutdown by up to this long, so keep it short.
constexpr time_t kKeepAliveSeconds = 2;
constexpr std::size_t kRequestsPerConnection = 100000;
constexpr auto kStartWait = std::chrono::seconds(5);

} // namespace

LoopbackSite::LoopbackSite() {
    // The server takes ownership of the queue it is handed.
    server_.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    server_.set_keep_alive_timeout(kKeepAliveSeconds);
    server_.set_keep_alive_max_count(kRequestsPerConnection);
    // Headers and body leave in separate writes; with Nagle's algorithm on, the body would wait
    // for the client's delayed acknowledgement, some 40 ms per request.
    server_.set_tcp_nodelay(true);
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        Answer(request, response);
        return httplib::Server::HandlerResponse::Handled;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("loopback site: no port could be bound on 127.0.0.1");
    }
    listener_ = std::thread([this] { server_.listen_after_bind(); });
}

LoopbackSite::~LoopbackSite() {
    {
        std::lock_guard lock(mutex_);
        shuttingDown_ = true;
    }
    stateChanged_.notify_all();
    // stop() is ignored until the listen loop has begun, so give it a bounded moment to begin.
    const auto giveUp = std::chrono::steady_clock::now() + kStartWait;
    while (!server_.is_running() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    server_.stop();
    listener_.join();
}

std::string LoopbackSite::Url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

void LoopbackSite::Serve(const std::string& target, Page page) {
    std::lock_guard lock(mutex_);
    handlers_.erase(target);
    pages_[target] = std::move(page);
}

void LoopbackSite::ServeHtml(const std::string& target, std::string body) {
    Page page;
    page.body = std::move(body);
    Serve(target, std::move(page));
}

void LoopbackSite::Redirect(const std::string& target, std::string location, int status) {
    Page page;
    page.status = status;
    page.redirectTo = std::move(location);
    Serve(target, std::move(page));
}

void LoopbackSite::Handle(const std::string& target, Handler handler) {
    std::lock_guard lock(mutex_);
    pages_.erase(target);
    handlers_[target] = std::move(handler);
}

std::vector<RecordedRequest> LoopbackSite::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> LoopbackSite::Targets() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> targets;
    targets.reserve(requests_.size());
    for (const auto& request : requests_) {
        targets.push_back(request.target);
    }
    return targets;
}

void LoopbackSite::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void LoopbackSite::Hold(const std::string& target, std::chrono::milliseconds limit) {
    std::lock_guard lock(mutex_);
    held_[target] = limit;
}

void LoopbackSite::Release(const std::string& target) {
    {
        std::lock_guard lock(mutex_);
        held_.erase(target);
    }
    stateChanged_.notify_all();
}

bool LoopbackSite::WaitWhileHeld(std::unique_lock<std::mutex>& lock, const std::string& target) {
    const auto entry = held_.find(target);
    if (entry == held_.end()) {
        return true;
    }
    // Copied: a release erases the entry while this waits.
    const std::chrono::milliseconds limit = entry->second;
    stateChanged_.wait_for(lock, limit, [&] { return shuttingDown_ || !held_.contains(target); });
    return !shuttingDown_;
}

bool LoopbackSite::WaitForShutdown(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return stateChanged_.wait_for(lock, timeout, [this] { return shuttingDown_; });
}

void LoopbackSite::Answer(const httplib::Request& request, httplib::Response& response) {
    Handler handler;
    Page page;
    bool known = true;
    {
        std::unique_lock lock(mutex_);
        requests_.push_back({request.method, request.target, request.headers, request.remote_port});
        if (!WaitWhileHeld(lock, request.target)) {
            response.status = 503;
            return;
        }
        if (auto found = handlers_.find(request.target); found != handlers_.end()) {
            handler = found->second;
        } else if (auto entry = pages_.find(request.target); entry != pages_.end()) {
            page = entry->second;
        } else {
            known = false;
        }
    }
    if (handler) {
        handler(request, response);
        return;
    }
    if (!known) {
        response.status = 404;
        response.set_content("<html><body>Not found</body></html>", "text/html");
        return;
    }
    if (page.delay.count() > 0 && WaitForShutdown(page.delay)) {
        response.status = 503;
        return;
    }
    response.status = page.status;
    for (const auto& [name, value] : page.headers) {
        response.set_header(name, value);
    }
    if (!page.redirectTo.empty()) {
        if (page.status < 300 || page.status > 399) {
            response.status = 302;
        }
        response.set_header("Location", page.redirectTo);
    }
    response.set_content(page.body, page.contentType);
}

} // namespace vortaxel::test
