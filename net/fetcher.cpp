#include "net/fetcher.h"

#include "net/reply_rules.h"
#include "web/html_type.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace vortaxel::net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kLongestPoll = std::chrono::milliseconds(20);

// Marks the fetcher busy for one Fetch, however it ends.
class BusyMark {
public:
    explicit BusyMark(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyMark() { busy_ = false; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;
    BusyMark(BusyMark&&) = delete;
    BusyMark& operator=(BusyMark&&) = delete;

private:
    bool& busy_;
};

bool AsksToComeBack(long status) {
    return status == 429 || status == 503;
}

} // namespace

Fetcher::Fetcher(FetchOptions options, std::size_t width) : Fetcher(std::move(options), width, nullptr) {}

Fetcher::Fetcher(FetchOptions options, std::size_t width, std::shared_ptr<HostPacing> pacing)
    : options_(std::move(options)), store_(options_.storeBytes),
      pacing_(pacing ? std::move(pacing) : std::make_shared<HostPacing>(options_.delay)) {
    if (width == 0) {
        throw std::invalid_argument("a fetcher needs at least one transfer");
    }
    // libcurl keeps four idle connections per transfer currently added; with few in flight between
    // turns it would close some and open them again. Each transfer keeps one.
    curl_multi_setopt(multi_.get(), CURLMOPT_MAXCONNECTS, static_cast<long>(width));
    if (options_.keepCookies) {
        cookies_ = std::make_unique<CookieShare>();
    }
    slots_.resize(width);
    for (Slot& slot : slots_) {
        slot.transfer = std::make_unique<Transfer>(options_, aborted_);
        // The slots never move: the vector is sized once.
        slot.transfer->SetBodyGate([this, &slot](std::size_t more) { return MayHold(slot, more); });
        if (cookies_) {
            cookies_->Attach(slot.transfer->Handle());
        }
    }
}

Fetcher::~Fetcher() {
    for (Slot& slot : slots_) {
        Release(slot);
    }
}

std::unique_ptr<Fetcher> Fetcher::Companion() const {
    return std::unique_ptr<Fetcher>(new Fetcher(options_, 1, pacing_));
}

web::FetchResult Fetcher::Fetch(const std::string& url) {
    return FetchAs(url, false);
}

web::FetchResult Fetcher::FetchWhole(const std::string& url) {
    return FetchAs(url, true);
}

web::FetchResult Fetcher::FetchAs(const std::string& url, bool whole) {
    if (busy_) {
        return web::FetchResult::Failure("another fetch is still running");
    }
    if (aborted_.load()) {
        return web::FetchResult::Failure("fetch aborted");
    }
    const BusyMark mark(busy_);
    // Lowered however the fetch ends, a throwing wait callback included.
    struct FileMark {
        explicit FileMark(std::atomic<bool>& flag, bool whole) : flag_(flag) { flag_.store(whole); }
        ~FileMark() { flag_.store(false); }
        FileMark(const FileMark&) = delete;
        FileMark& operator=(const FileMark&) = delete;
        std::atomic<bool>& flag_;
    } file(fetchingFile_, whole);
    if (std::optional<web::FetchResult> page = store_.Take(url)) {
        return TakeFromStore(std::move(*page), url);
    }
    Slot* slot = Holding(url);
    if (slot == nullptr) {
        // At most width - 1 transfers ever work ahead, so one is free here.
        slot = Idle();
        Start(*slot, url, whole);
    }
    return Wait(*slot, url);
}

web::FetchResult Fetcher::TakeFromStore(web::FetchResult page, const std::string& url) {
    // The room just made may take a page that waited in its transfer, which then fetches the next one.
    StoreFinished();
    StartAhead(url);
    Drive();
    return page;
}

web::FetchResult Fetcher::Wait(Slot& slot, const std::string& url) {
    // Frees the page's transfer however the wait ends, a throwing wait callback included.
    struct Asked {
        Fetcher& fetcher;
        Slot& slot;
        Asked(Fetcher& f, Slot& s) : fetcher(f), slot(s) { fetcher.asked_ = &slot; }
        ~Asked() {
            fetcher.onlyWaiting_.store(false);
            fetcher.asked_ = nullptr;
            fetcher.Release(slot);
        }
        Asked(const Asked&) = delete;
        Asked& operator=(const Asked&) = delete;
        Asked(Asked&&) = delete;
        Asked& operator=(Asked&&) = delete;
    } const asked(*this, slot);

    // Sends what was just started and collects what has arrived, also when the page asked for is already
    // here: otherwise the requests ahead would leave only at the next wait, in bursts.
    StartAhead(url);
    bool driven = Drive();
    while (driven && slot.state != State::Done) {
        if (aborted_.load()) {
            Release(slot);
            slot.result = web::FetchResult::Failure("fetch aborted");
            slot.state = State::Done;
            break;
        }
        onlyWaiting_.store(slot.state == State::Waiting);
        curl_multi_poll(multi_.get(), nullptr, 0, PollMilliseconds(), nullptr);
        if (waitCallback_) {
            waitCallback_();
        }
        driven = Drive();
        if (slotFreed_) {
            StartAhead(url);
        }
    }
    if (!driven && slot.state != State::Done) {
        return web::FetchResult::Failure("the request could not be driven");
    }
    return std::exchange(slot.result, {});
}

void Fetcher::DropAhead() {
    for (Slot& slot : slots_) {
        if (&slot != asked_) {
            Release(slot);
        }
    }
    store_.Clear();
}

Fetcher::Slot* Fetcher::Holding(const std::string& url) {
    const auto found =
        std::ranges::find_if(slots_, [&](const Slot& slot) { return slot.state != State::Idle && slot.url == url; });
    return found == slots_.end() ? nullptr : &*found;
}

Fetcher::Slot* Fetcher::Idle() {
    const auto found = std::ranges::find_if(slots_, [](const Slot& slot) { return slot.state == State::Idle; });
    return found == slots_.end() ? nullptr : &*found;
}

void Fetcher::Start(Slot& slot, const std::string& url, bool whole) {
    slot.url = url;
    slot.whole = whole;
    slot.probing = !whole && options_.htmlOnly && options_.probeFirst && options_.probeFirst(url);
    slot.politelyRetried = false;
    slot.spent = std::chrono::milliseconds(0);
    Launch(slot, Clock::now());
}

void Fetcher::Launch(Slot& slot, Clock::time_point earliest) {
    if (auto refusal = slot.transfer->Prepare(slot.url, slot.whole     ? Transfer::Method::GetWhole
                                                        : slot.probing ? Transfer::Method::Head
                                                                       : Transfer::Method::Get)) {
        slot.result = std::move(*refusal);
        slot.result.elapsed = slot.spent;
        slot.state = State::Done;
        return;
    }
    slot.due = pacing_->Reserve(slot.url, earliest);
    slot.state = State::Waiting;
    // One that waited longer goes first; Drive sends them in that order.
    const bool othersDue = std::ranges::any_of(slots_, [&](const Slot& other) {
        return &other != &slot && other.state == State::Waiting && other.due <= slot.due;
    });
    if (slot.due <= Clock::now() && !othersDue) {
        Send(slot);
    }
}

void Fetcher::Send(Slot& slot) {
    // The gap is counted from when the request before really left, which may be later than planned.
    if (const auto later = pacing_->Start(slot.url, Clock::now())) {
        slot.due = *later;
        return;
    }
    if (curl_multi_add_handle(multi_.get(), slot.transfer->Handle()) != CURLM_OK) {
        slot.result = web::FetchResult::Failure("the request could not be started");
        slot.state = State::Done;
        return;
    }
    slot.state = State::Running;
    pacing_->Leaving(slot.url);
    slot.unsent = true;
    ++started_;
}

void Fetcher::NoteSent(Slot& slot, bool ending) {
    if (const auto sent = slot.transfer->TakeSent()) {
        pacing_->Sent(slot.url, *sent, std::exchange(slot.unsent, false));
    } else if (ending && std::exchange(slot.unsent, false)) {
        pacing_->NeverSent(slot.url);
    }
}

void Fetcher::StartAhead(const std::string& asked) {
    slotFreed_ = false;
    if (!ahead_) {
        return;
    }
    const auto busyAhead = static_cast<std::size_t>(std::ranges::count_if(
        slots_, [this](const Slot& slot) { return slot.state != State::Idle && &slot != asked_; }));
    // One transfer always stays for the page asked for; and while what is held ahead has spent the
    // budget, a new transfer ahead would only wait.
    if (busyAhead + 1 >= slots_.size() || AheadBytes() > options_.storeBytes) {
        return;
    }
    std::size_t free = slots_.size() - 1 - busyAhead;
    candidates_.clear();
    // What is held already comes first in the list, and is passed over.
    const std::size_t held = std::min(store_.Pages(), kLookAheadPerTransfer * slots_.size());
    ahead_(busyAhead + held + free, candidates_);
    for (const std::string& url : candidates_) {
        if (free == 0) {
            return;
        }
        if (url == asked || Holding(url) != nullptr || store_.Holds(url)) {
            continue;
        }
        Slot& idle = *Idle();
        Start(idle, url, false);
        if (idle.state == State::Done) {
            // Refused before any request: cheap to refuse again when asked, so it holds no transfer.
            Release(idle);
        } else {
            --free;
        }
    }
}

bool Fetcher::Drive() {
    const auto now = Clock::now();
    dueSlots_.clear();
    for (Slot& slot : slots_) {
        if (slot.state == State::Waiting && slot.due <= now) {
            dueSlots_.push_back(&slot);
        }
    }
    std::ranges::stable_sort(dueSlots_, {}, &Slot::due);
    for (Slot* slot : dueSlots_) {
        Send(*slot);
    }
    int running = 0;
    if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
        return false;
    }
    for (Slot& slot : slots_) {
        if (slot.state == State::Running) {
            NoteSent(slot, false);
        }
    }
    int pending = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &pending)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        CURL* easy = message->easy_handle;
        const CURLcode code = message->data.result;
        const auto slot = std::ranges::find_if(
            slots_, [&](const Slot& s) { return s.state == State::Running && s.transfer->Handle() == easy; });
        if (slot == slots_.end()) {
            continue;
        }
        curl_multi_remove_handle(multi_.get(), easy);
        NoteSent(*slot, true);
        slot->state = State::Waiting;
        if (!slot->transfer->RetryOnFreshConnection(code)) {
            Settle(*slot, code);
        } else if (curl_multi_add_handle(multi_.get(), easy) == CURLM_OK) {
            slot->state = State::Running;
        } else {
            slot->result = web::FetchResult::Failure("the request could not be started");
            slot->state = State::Done;
        }
    }
    StoreFinished();
    ResumePaused();
    return true;
}

std::size_t Fetcher::AheadBytes() const {
    std::size_t bytes = store_.Bytes();
    for (const Slot& slot : slots_) {
        if (&slot != asked_ && slot.state != State::Idle) {
            bytes += slot.transfer->BodyBytes() + slot.result.body.size();
        }
    }
    return bytes;
}

bool Fetcher::MayHold(const Slot& slot, std::size_t more) {
    if (&slot == asked_) {
        return true;
    }
    const std::size_t held = AheadBytes() + more;
    const std::size_t own = slot.transfer->BodyBytes() + more;
    if (held > options_.storeBytes && own > kAheadAllowanceBytes) {
        return false;
    }
    peakAheadBytes_ = std::max(peakAheadBytes_, held);
    return true;
}

void Fetcher::ResumePaused() {
    for (Slot& slot : slots_) {
        if (slot.state == State::Running && slot.transfer->Paused() &&
            (&slot == asked_ || AheadBytes() < options_.storeBytes)) {
            slot.transfer->Resume();
        }
    }
}

void Fetcher::Settle(Slot& slot, CURLcode code) {
    web::FetchResult result = slot.transfer->Finish(code);
    result.elapsed += slot.spent;
    const bool asked = &slot == asked_;
    // A page that failed after waiting for room ahead (its time ran out, or the server gave up on a
    // reader that paused) may have failed for the fetcher's own reasons: fetched afresh if asked for,
    // forgotten if not.
    const bool starved = slot.transfer->WasPaused() && !result.ok;
    if (starved || (slot.transfer->CutShort() && (!asked || !aborted_.load()))) {
        // Never really fetched: a page ahead is forgotten, one asked for after the abort was lifted goes again.
        if (asked) {
            Launch(slot, Clock::now());
        } else {
            Release(slot);
            slotFreed_ = true;
        }
        return;
    }
    if (slot.probing && (result.status == 405 || result.status == 501 ||
                         (!options_.probeAnswers && result.ok && web::IsHtmlType(result.contentType)))) {
        slot.probing = false;
        slot.spent = result.elapsed;
        Launch(slot, Clock::now());
        return;
    }
    if (options_.politeRetry && !slot.politelyRetried && AsksToComeBack(result.status)) {
        if (const auto wait = slot.transfer->RetryAfter()) {
            slot.politelyRetried = true;
            slot.spent = result.elapsed;
            Launch(slot, Clock::now() + *wait);
            return;
        }
    }
    slot.result = std::move(result);
    slot.state = State::Done;
    if (finished_) {
        finished_(slot.url, slot.result);
    }
}

void Fetcher::StoreFinished() {
    for (Slot& slot : slots_) {
        if (slot.state == State::Done && &slot != asked_ && store_.Put(slot.url, slot.result)) {
            Release(slot);
            slotFreed_ = true;
        }
    }
}

void Fetcher::Release(Slot& slot) {
    if (slot.state == State::Running) {
        curl_multi_remove_handle(multi_.get(), slot.transfer->Handle());
        NoteSent(slot, true);
    }
    slot.state = State::Idle;
    slot.url.clear();
    slot.result = {};
}

int Fetcher::PollMilliseconds() const {
    auto wait = kLongestPoll;
    const auto now = Clock::now();
    for (const Slot& slot : slots_) {
        if (slot.state == State::Waiting) {
            wait = std::min(wait,
                            std::chrono::ceil<std::chrono::milliseconds>(std::max(slot.due - now, Clock::duration{})));
        }
    }
    return static_cast<int>(wait.count());
}

} // namespace vortaxel::net
