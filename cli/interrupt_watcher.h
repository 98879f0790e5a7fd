#pragma once

#include <csignal>
#include <functional>
#include <thread>

namespace vortaxel::cli {

/// Turns SIGINT into calls of `onInterrupt` on a thread of its own, so the handler can do real work (a
/// stop request, aborting a fetch) instead of what an async signal handler may do. The caller blocks
/// SIGINT in every thread by constructing this before it starts any other thread.
class InterruptWatcher {
public:
    /// `onInterrupt` gets the number of interrupts so far (1 for the first Ctrl+C).
    explicit InterruptWatcher(std::function<void(int)> onInterrupt);
    ~InterruptWatcher();

    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

private:
    void Watch(std::stop_token stop);

    std::function<void(int)> onInterrupt_;
    sigset_t previousMask_{};
    std::jthread thread_;
};

} // namespace vortaxel::cli
