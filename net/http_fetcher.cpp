#include "net/http_fetcher.h"

#include <utility>

namespace vortaxel::net {

namespace {

constexpr int kPollMilliseconds = 20;

// Detaches the transfer from the multi handle however the wait ends, the wait callback throwing included.
class Attachment {
public:
    Attachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
        ok_ = curl_multi_add_handle(multi, easy) == CURLM_OK;
    }
    ~Attachment() {
        if (ok_) {
            curl_multi_remove_handle(multi_, easy_);
        }
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    bool Ok() const { return ok_; }

    /// Starts the finished transfer again from its beginning.
    bool Restart() {
        curl_multi_remove_handle(multi_, easy_);
        ok_ = curl_multi_add_handle(multi_, easy_) == CURLM_OK;
        return ok_;
    }

private:
    CURLM* multi_;
    CURL* easy_;
    bool ok_ = false;
};

class BusyMark {
public:
    explicit BusyMark(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyMark() { busy_ = false; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    bool& busy_;
};

} // namespace

HttpFetcher::HttpFetcher(FetchOptions options) : transfer_(options, aborted_) {}

HttpFetcher::~HttpFetcher() = default;

crawl::FetchResult HttpFetcher::Fetch(const std::string& url) {
    if (busy_) {
        return crawl::FetchResult::Failure("another fetch is still running");
    }
    if (aborted_.load()) {
        return crawl::FetchResult::Failure("fetch aborted");
    }
    if (auto refusal = transfer_.Prepare(url)) {
        return std::move(*refusal);
    }
    BusyMark mark(busy_);
    return Run();
}

crawl::FetchResult HttpFetcher::Run() {
    Attachment attachment(multi_.get(), transfer_.Handle());
    if (!attachment.Ok()) {
        return crawl::FetchResult::Failure("the request could not be started");
    }
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
            return crawl::FetchResult::Failure("the request could not be driven");
        }
        int pending = 0;
        if (CURLMsg* message = curl_multi_info_read(multi_.get(), &pending)) {
            if (message->msg == CURLMSG_DONE) {
                const CURLcode code = message->data.result;
                if (!transfer_.RetryOnFreshConnection(code) && !transfer_.ContinueAfterProbe(code)) {
                    return transfer_.Finish(code);
                }
                if (!attachment.Restart()) {
                    return crawl::FetchResult::Failure("the request could not be started");
                }
                continue;
            }
        }
        if (aborted_.load()) {
            return transfer_.Finish(CURLE_ABORTED_BY_CALLBACK);
        }
        if (running == 0) {
            return crawl::FetchResult::Failure("the request ended without an outcome");
        }
        curl_multi_poll(multi_.get(), nullptr, 0, kPollMilliseconds, nullptr);
        if (waitCallback_) {
            waitCallback_();
        }
    }
}

} // namespace vortaxel::net
