#include "hostile_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vortaxel::test {

namespace {

constexpr int kPollMs = 10;
constexpr std::size_t kMaxRequestHead = std::size_t{64} * 1024;
constexpr auto kRequestHeadTime = std::chrono::seconds(5);

/// Reads up to the blank line that ends the request head; empty when none arrives in time.
std::string ReadRequestHead(int fd, const std::atomic<bool>& stopping) {
    std::string head;
    const auto deadline = std::chrono::steady_clock::now() + kRequestHeadTime;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead && !stopping.load() &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) {
            continue;
        }
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return head;
}

std::string TargetOf(const std::string& head) {
    const std::size_t first = head.find(' ');
    const std::size_t second = first == std::string::npos ? first : head.find(' ', first + 1);
    return second == std::string::npos ? std::string() : head.substr(first + 1, second - first - 1);
}

} // namespace

HostileStream::HostileStream(int fd, const std::atomic<bool>& stopping, std::size_t byteCap,
                             std::chrono::milliseconds timeCap)
    : fd_(fd), stopping_(stopping), bytesLeft_(byteCap), deadline_(std::chrono::steady_clock::now() + timeCap) {}

bool HostileStream::Alive() const {
    return fd_ >= 0 && !stopping_.load() && bytesLeft_ > 0 && std::chrono::steady_clock::now() < deadline_;
}

bool HostileStream::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (!Alive()) {
            return false;
        }
        pollfd p{fd_, POLLOUT, 0};
        if (poll(&p, 1, kPollMs) <= 0) {
            continue;
        }
        if ((p.revents & (POLLERR | POLLHUP)) != 0) {
            return false;
        }
        const std::size_t chunk = std::min(bytes.size(), bytesLeft_);
        const ssize_t sent = send(fd_, bytes.data(), chunk, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
        bytesLeft_ -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool HostileStream::Pause(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
        if (!Alive()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return Alive();
}

bool HostileStream::AwaitMore(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (Alive() && std::chrono::steady_clock::now() < until) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) {
            continue;
        }
        char buffer[4096];
        return recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) > 0;
    }
    return false;
}

void HostileStream::Reset() {
    const linger abortive{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    shutdown(fd_, SHUT_RD);
    bytesLeft_ = 0;
}

HostileServer::HostileServer(std::size_t byteCap, std::chrono::milliseconds timeCap)
    : byteCap_(byteCap), timeCap_(timeCap) {}

HostileServer::~HostileServer() {
    Stop();
}

void HostileServer::On(std::string prefix, Behaviour behaviour) {
    behaviours_[std::move(prefix)] = std::move(behaviour);
}

void HostileServer::Start() {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 64) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("the hostile server could not listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

void HostileServer::Stop() {
    if (stopping_.exchange(true)) {
        return;
    }
    if (acceptor_.joinable()) {
        acceptor_.join();
    }
    std::vector<std::thread> workers;
    {
        const std::lock_guard lock(mutex_);
        for (const int fd : openFds_) {
            shutdown(fd, SHUT_RDWR);
        }
        workers.swap(workers_);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    if (listenFd_ >= 0) {
        close(listenFd_);
        listenFd_ = -1;
    }
}

std::string HostileServer::Url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

std::vector<std::string> HostileServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void HostileServer::AcceptLoop() {
    while (!stopping_.load()) {
        pollfd p{listenFd_, POLLIN, 0};
        if (poll(&p, 1, kPollMs) <= 0) {
            continue;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        connections_.fetch_add(1);
        if (active_.load() >= kMaxConnections) {
            close(fd);
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        active_.fetch_add(1);
        const std::lock_guard lock(mutex_);
        openFds_.push_back(fd);
        workers_.emplace_back([this, fd] { Serve(fd); });
    }
}

void HostileServer::Serve(int fd) {
    HostileStream stream(fd, stopping_, byteCap_, timeCap_);
    stream.head = ReadRequestHead(fd, stopping_);
    stream.target = TargetOf(stream.head);
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(stream.head);
    }
    const auto match = std::find_if(behaviours_.begin(), behaviours_.end(),
                                    [&](const auto& entry) { return stream.target.starts_with(entry.first); });
    if (!stream.head.empty()) {
        if (match != behaviours_.end()) {
            match->second(stream);
        } else {
            stream.Send("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        }
    }
    {
        const std::lock_guard lock(mutex_);
        std::erase(openFds_, fd);
    }
    close(fd);
    active_.fetch_sub(1);
}

} // namespace vortaxel::test
