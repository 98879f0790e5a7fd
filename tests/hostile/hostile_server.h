#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vortaxel::test {

/// One accepted connection, handed to a behaviour after the request head has been read. Every write and
/// pause ends early once the server stops or the stream's byte or time cap is reached, so no behaviour,
/// however endless it means to be, outlives its test.
class HostileStream {
public:
    HostileStream(int fd, const std::atomic<bool>& stopping, std::size_t byteCap, std::chrono::milliseconds timeCap);

    /// The request target ("/path?query") and the whole request head as received.
    std::string target;
    std::string head;

    /// False once the peer went away, the server is stopping, or a cap was reached.
    bool Send(std::string_view bytes);
    /// Sleeps up to `duration`; false when cut short by a stop or the time cap.
    bool Pause(std::chrono::milliseconds duration);
    /// Waits up to `duration` for the client to send more on this connection, and reads what came, so that
    /// an ordinary close follows instead of the reset that unread bytes would cause. False when none came.
    bool AwaitMore(std::chrono::milliseconds duration);
    /// Closes with a TCP reset instead of an orderly end.
    void Reset();
    bool Alive() const;

private:
    int fd_;
    const std::atomic<bool>& stopping_;
    std::size_t bytesLeft_;
    std::chrono::steady_clock::time_point deadline_;
};

/// A deliberately misbehaving HTTP server on 127.0.0.1 and a port the system picks. Each path prefix is
/// served by one behaviour; a request for an unknown path gets a 404. Connections are served each on
/// its own thread, at most `kMaxConnections` at a time; Stop (or the destructor) ends them all.
class HostileServer {
public:
    using Behaviour = std::function<void(HostileStream&)>;

    static constexpr std::size_t kMaxConnections = 64;

    explicit HostileServer(std::size_t byteCap = std::size_t{1} << 30,
                           std::chrono::milliseconds timeCap = std::chrono::seconds(20));
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    /// Serves every target that begins with `prefix`; the longest matching prefix wins.
    void On(std::string prefix, Behaviour behaviour);
    void Start();
    void Stop();

    int Port() const { return port_; }
    /// "http://127.0.0.1:PORT" followed by `target`.
    std::string Url(std::string_view target) const;

    /// How many connections were accepted, and the request heads seen, in order.
    std::size_t Connections() const { return connections_.load(); }
    std::vector<std::string> Requests() const;

private:
    void AcceptLoop();
    void Serve(int fd);

    std::size_t byteCap_;
    std::chrono::milliseconds timeCap_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> connections_{0};
    std::atomic<std::size_t> active_{0};
    std::map<std::string, Behaviour, std::greater<>> behaviours_;
    std::thread acceptor_;
    mutable std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::vector<int> openFds_;
    std::vector<std::string> requests_;
};

} // namespace vortaxel::test
