// A delay between two requests to one host is kept as the server sees them: a request on a new
// connection goes out only once its handshake is done, and the gap to the next one counts from then.

#include "net/fetcher.h"
#include "tests/net/net_test_util.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_tls.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <openssl/ssl.h>
#include <string>
#include <thread>
#include <vector>

namespace vortaxel::net {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Identity;
using test::kDay;

constexpr auto kHost = "paced.test";

/// An https server whose first handshake is slow, recording when each request reached it.
class SlowHandshakeSite {
public:
    SlowHandshakeSite(const test::fs::path& cert, const test::fs::path& key, std::chrono::milliseconds handshake)
        : handshake_(handshake), server_(cert.c_str(), key.c_str()) {
        test::Check(server_.is_valid(), "server set-up");
        SSL_CTX_set_client_hello_cb(server_.ssl_context(), &OnHello, this);
        server_.Get(".*", [this](const httplib::Request&, httplib::Response& response) {
            {
                const std::lock_guard lock(mutex_);
                arrivals_.push_back(Clock::now());
            }
            response.set_content("<p>ok</p>", "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        listener_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~SlowHandshakeSite() {
        const auto giveUp = Clock::now() + 5s;
        while (!server_.is_running() && Clock::now() < giveUp) {
            std::this_thread::sleep_for(1ms);
        }
        server_.stop();
        listener_.join();
    }
    SlowHandshakeSite(const SlowHandshakeSite&) = delete;
    SlowHandshakeSite& operator=(const SlowHandshakeSite&) = delete;

    int Port() const { return port_; }
    std::vector<Clock::time_point> Arrivals() const {
        const std::lock_guard lock(mutex_);
        return arrivals_;
    }

private:
    static int OnHello(SSL* /*ssl*/, int* /*alert*/, void* self) {
        auto* site = static_cast<SlowHandshakeSite*>(self);
        if (!site->slowed_.exchange(true)) {
            std::this_thread::sleep_for(site->handshake_);
        }
        return SSL_CLIENT_HELLO_SUCCESS;
    }

    std::chrono::milliseconds handshake_;
    std::atomic<bool> slowed_{false};
    httplib::SSLServer server_;
    int port_ = 0;
    std::thread listener_;
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> arrivals_;
};

TEST(FetchPacing, TheGapCountsFromWhenTheRequestWentOut) {
    constexpr auto kDelay = 400ms;
    constexpr auto kHandshake = 200ms;
    // The site may see a request a little late on a loaded machine; counted from when the first
    // request was started rather than sent, the gap would come out near kDelay - kHandshake.
    constexpr auto kLeastGap = kDelay - 60ms;
    const test::ScratchFolder folder("pacing-tls");
    const Identity authority("Vortaxel Test CA", true, -kDay, kDay);
    authority.Write(folder.Path() / "ca.pem", folder.Path() / "ca.key");
    const Identity server(kHost, false, -kDay, kDay, &authority);
    server.Write(folder.Path() / "server.pem", folder.Path() / "server.key");
    SlowHandshakeSite site(folder.Path() / "server.pem", folder.Path() / "server.key", kHandshake);
    const std::string origin = "https://" + std::string(kHost) + ":" + std::to_string(site.Port());
    FetchOptions options = testing::QuickOptions();
    options.resolve = {std::string(kHost) + ":" + std::to_string(site.Port()) + ":127.0.0.1"};
    options.caFile = (folder.Path() / "ca.pem").string();
    options.delay = kDelay;
    Fetcher fetcher(options);
    for (const char* path : {"/a", "/b", "/c"}) {
        const web::FetchResult page = fetcher.Fetch(origin + path);
        ASSERT_TRUE(page.ok) << page.error;
    }
    const std::vector<Clock::time_point> arrivals = site.Arrivals();
    ASSERT_EQ(arrivals.size(), 3U);
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        EXPECT_GE(arrivals[i] - arrivals[i - 1], kLeastGap) << "request " << i;
    }
}

} // namespace
} // namespace vortaxel::net
