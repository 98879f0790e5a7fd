#pragma once

#include "net/fetch_options.h"
#include "net/fetcher.h"
#include "tests/support/gzip.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vortaxel::net::testing {

/// Limits short enough for tests, otherwise the program's own.
FetchOptions QuickOptions(std::size_t maxBodyBytes = std::size_t{32} * 1024 * 1024);

using ::vortaxel::test::Gzip;

/// Fetches `urls` in their order, as a crawl visits its queue: the addresses after the one in hand are
/// what `fetcher` may fetch ahead. `each` gets every reply with its address's index.
void FetchInOrder(Fetcher& fetcher, const std::vector<std::string>& urls,
                  const std::function<void(std::size_t, const web::FetchResult&)>& each);

/// A 127.0.0.1 port that is bound but never listens, so connecting to it is refused for as long as this lives.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int Port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = 0;
};

/// Answers the first connection on 127.0.0.1 with fixed bytes, whatever was asked, then closes it.
/// For replies no well-behaved server library would send. Gives up after a few seconds.
class RawReplyServer {
public:
    explicit RawReplyServer(std::string reply);
    ~RawReplyServer();
    RawReplyServer(const RawReplyServer&) = delete;
    RawReplyServer& operator=(const RawReplyServer&) = delete;

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    void AnswerOnce();

    std::string reply_;
    int socket_ = -1;
    int port_ = 0;
    std::thread thread_;
};

} // namespace vortaxel::net::testing
