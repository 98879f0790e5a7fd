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

InterruptWatcher::InterruptWatcher(std::function<void(int)> onInterrupt) : onInterrupt_(std::move(onInterrupt)) {
    const sigset_t set = InterruptSet();
    pthread_sigmask(SIG_BLOCK, &set, &previousMask_);
    thread_ = std::jthread([this](std::stop_token stop) { Watch(stop); });
}

InterruptWatcher::~InterruptWatcher() {
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void InterruptWatcher::Watch(std::stop_token stop) {
    const sigset_t set = InterruptSet();
    // A short wait keeps shutdown prompt without needing a signal to wake the thread.
    const timespec interval{0, 50'000'000};
    int count = 0;
    while (!stop.stop_requested()) {
        if (sigtimedwait(&set, nullptr, &interval) == SIGINT) {
            onInterrupt_(++count);
        }
    }
}

} // namespace vortaxel::cli
