#include "tests/net/net_test_util.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vortaxel::net::testing {

FetchOptions QuickOptions(std::size_t maxBodyBytes) {
    FetchOptions options;
    options.timeout = std::chrono::seconds(3);
    options.maxBodyBytes = maxBodyBytes;
    return options;
}

void FetchInOrder(Fetcher& fetcher, const std::vector<std::string>& urls,
                  const std::function<void(std::size_t, const web::FetchResult&)>& each) {
    std::size_t next = 0;
    fetcher.SetAheadList([&](std::size_t wanted, std::vector<std::string>& out) {
        for (std::size_t i = next + 1; i < urls.size() && out.size() < wanted; ++i) {
            out.push_back(urls[i]);
        }
    });
    for (; next < urls.size(); ++next) {
        each(next, fetcher.Fetch(urls[next]));
    }
    // The list read this call's own state.
    fetcher.SetAheadList({});
}

namespace {

constexpr int kRawWaitMilliseconds = 5000;

// A TCP socket bound to 127.0.0.1 on a port the system picks; returns the port.
int BindLoopback(int socket) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (socket < 0 || ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (socket >= 0) {
            ::close(socket);
        }
        throw std::runtime_error("could not bind a loopback port");
    }
    return ntohs(address.sin_port);
}

bool WaitReadable(int socket) {
    pollfd wanted{socket, POLLIN, 0};
    return ::poll(&wanted, 1, kRawWaitMilliseconds) == 1;
}

} // namespace

RefusingPort::RefusingPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0)), port_(BindLoopback(socket_)) {}

RefusingPort::~RefusingPort() {
    ::close(socket_);
}

RawReplyServer::RawReplyServer(std::string reply)
    : reply_(std::move(reply)), socket_(::socket(AF_INET, SOCK_STREAM, 0)), port_(BindLoopback(socket_)) {
    if (::listen(socket_, 1) != 0) {
        ::close(socket_);
        throw std::runtime_error("could not listen on a loopback port");
    }
    thread_ = std::thread([this] { AnswerOnce(); });
}

RawReplyServer::~RawReplyServer() {
    thread_.join();
    ::close(socket_);
}

void RawReplyServer::AnswerOnce() {
    if (!WaitReadable(socket_)) {
        return;
    }
    const int connection = ::accept(socket_, nullptr, nullptr);
    if (connection < 0) {
        return;
    }
    // Read the request head so that closing afterwards is not taken for a reset.
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 && WaitReadable(connection)) {
        const auto got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(got));
    }
    ::send(connection, reply_.data(), reply_.size(), MSG_NOSIGNAL);
    ::close(connection);
}

} // namespace vortaxel::net::testing
