#include "net/fetch_pool.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace vortaxel::net {

namespace {

constexpr int kPollMilliseconds = 20;

} // namespace

FetchPool::FetchPool(std::size_t width, FetchOptions options) {
    if (width == 0) {
        throw std::invalid_argument("a fetch pool needs at least one transfer");
    }
    // libcurl keeps four idle connections per transfer currently added; with few in flight between
    // turns it would close some and open them again. Each transfer keeps one.
    curl_multi_setopt(multi_.get(), CURLMOPT_MAXCONNECTS, static_cast<long>(width));
    slots_.resize(width);
    for (Slot& slot : slots_) {
        slot.transfer = std::make_unique<Transfer>(options, aborted_);
    }
}

FetchPool::~FetchPool() {
    for (Slot& slot : slots_) {
        if (slot.state == State::Running) {
            Detach(slot);
        }
    }
}

crawl::FetchResult FetchPool::Fetch(const std::string& url) {
    if (aborted_.load()) {
        return crawl::FetchResult::Failure("fetch aborted");
    }
    Slot* slot = Holding(url);
    if (slot != nullptr && slot->state == State::Done && slot->cutShort) {
        // Cut short by an abort that has since been lifted: the page was never really fetched.
        slot->state = State::Idle;
        slot = nullptr;
    }
    if (slot == nullptr) {
        // At most width - 1 transfers ever work ahead, so one is free here.
        slot = Idle();
        Start(*slot, url);
    }
    StartAhead(url);
    // Sends what was just started and collects what has arrived, also when the page asked for is already
    // here: otherwise the requests ahead would leave only at the next wait, in bursts.
    Drive();
    while (slot->state == State::Running) {
        if (aborted_.load()) {
            Detach(*slot);
            Finish(*slot, CURLE_ABORTED_BY_CALLBACK);
            break;
        }
        if (!Drive()) {
            Detach(*slot);
            slot->result = crawl::FetchResult::Failure("the request could not be driven");
            slot->state = State::Done;
            break;
        }
        if (slot->state == State::Running) {
            curl_multi_poll(multi_.get(), nullptr, 0, kPollMilliseconds, nullptr);
        }
    }
    slot->state = State::Idle;
    slot->url.clear();
    return std::exchange(slot->result, {});
}

FetchPool::Slot* FetchPool::Holding(const std::string& url) {
    const auto found = std::find_if(slots_.begin(), slots_.end(),
                                    [&](const Slot& slot) { return slot.state != State::Idle && slot.url == url; });
    return found == slots_.end() ? nullptr : &*found;
}

FetchPool::Slot* FetchPool::Idle() {
    const auto found =
        std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.state == State::Idle; });
    return found == slots_.end() ? nullptr : &*found;
}

void FetchPool::Start(Slot& slot, const std::string& url) {
    slot.url = url;
    slot.state = State::Done;
    slot.cutShort = false;
    if (auto refusal = slot.transfer->Prepare(url)) {
        slot.result = std::move(*refusal);
        return;
    }
    if (curl_multi_add_handle(multi_.get(), slot.transfer->Handle()) != CURLM_OK) {
        slot.result = crawl::FetchResult::Failure("the request could not be started");
        return;
    }
    slot.state = State::Running;
    ++started_;
}

void FetchPool::StartAhead(const std::string& asked) {
    const auto busy = static_cast<std::size_t>(
        std::count_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.state != State::Idle; }));
    // The asked-for page holds one transfer now, and the others may all work ahead.
    if (!ahead_ || busy >= slots_.size()) {
        return;
    }
    candidates_.clear();
    ahead_(slots_.size() - 1, candidates_);
    for (const std::string& url : candidates_) {
        if (url == asked || Holding(url) != nullptr) {
            continue;
        }
        Slot* idle = Idle();
        if (idle == nullptr) {
            return;
        }
        Start(*idle, url);
        if (idle->state == State::Done && !idle->result) {
            // Refused before any request: cheap to refuse again when asked, so it holds no transfer.
            idle->state = State::Idle;
        }
    }
}

bool FetchPool::Drive() {
    int running = 0;
    if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
        return false;
    }
    int pending = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &pending)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        CURL* easy = message->easy_handle;
        const CURLcode code = message->data.result;
        const auto slot = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) {
            return s.state == State::Running && s.transfer->Handle() == easy;
        });
        if (slot == slots_.end()) {
            continue;
        }
        Detach(*slot);
        if (!slot->transfer->RetryOnFreshConnection(code) && !slot->transfer->ContinueAfterProbe(code)) {
            Finish(*slot, code);
        } else if (curl_multi_add_handle(multi_.get(), easy) != CURLM_OK) {
            slot->result = crawl::FetchResult::Failure("the request could not be started");
            slot->state = State::Done;
        }
    }
    return true;
}

void FetchPool::Finish(Slot& slot, CURLcode code) {
    slot.cutShort = code == CURLE_ABORTED_BY_CALLBACK && aborted_.load();
    slot.result = slot.transfer->Finish(code);
    slot.state = State::Done;
}

void FetchPool::Detach(Slot& slot) {
    curl_multi_remove_handle(multi_.get(), slot.transfer->Handle());
}

} // namespace vortaxel::net
