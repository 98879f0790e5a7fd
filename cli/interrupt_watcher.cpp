#include "cli/interrupt_watcher.h"

#include <ctime>
#include <pthread.h>

namespace vortaxel::cli {
namespace {

sigset_t InterruptSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

InterruptWatcher::InterruptWatcher() {
    const sigset_t set = InterruptSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    thread_ = std::jthread([this](const std::stop_token& stop) { Watch(stop); });
}

InterruptWatcher::~InterruptWatcher() {
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void InterruptWatcher::OnInterrupt(std::function<void(int)> handler) {
    const std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void InterruptWatcher::ReapplyStop(const std::function<void()>& stop) {
    const std::lock_guard lock(mutex_);
    if (count_ > 0) {
        stop();
    }
}

void InterruptWatcher::IgnoreFromNowOn() {
    OnInterrupt(nullptr);
}

void InterruptWatcher::Watch(const std::stop_token& stop) {
    const sigset_t set = InterruptSet();
    // A short wait keeps shutdown prompt without needing a signal to wake the thread.
    const timespec interval{0, 50'000'000};
    while (!stop.stop_requested()) {
        if (sigtimedwait(&set, nullptr, &interval) != SIGINT) {
            continue;
        }
        const std::lock_guard lock(mutex_);
        ++count_;
        if (handler_) {
            handler_(count_);
        }
    }
}

} // namespace vortaxel::cli
