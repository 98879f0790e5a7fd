#pragma once

#include <csignal>
#include <functional>
#include <mutex>
#include <thread>

namespace vortaxel::cli {

/// Turns SIGINT into calls of a handler on a thread of its own, so the handler can do real work (a stop
/// request, aborting a fetch) instead of what an async signal handler may do. Built first thing in main,
/// before any other thread, so SIGINT is blocked in every thread and no press is lost: presses that come
/// before there is a run to stop are counted, and the run's start re-applies them.
class InterruptWatcher {
public:
    InterruptWatcher();
    /// SIGINT stays blocked: a press while the program exits must not turn a finished run into a kill.
    ~InterruptWatcher();

    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    /// What each later press does; it gets the number of presses so far (1 for the first Ctrl+C).
    void OnInterrupt(std::function<void(int)> handler);

    /// For a run's start, after the run cleared its stop flag: calls `stop` when a press came before. Runs
    /// exclusive of the handler, so every press is either seen here or handled after this returns.
    void ReapplyStop(const std::function<void()>& stop);

    /// The run has ended and its files are being written: from now on presses are swallowed, however many,
    /// since ending the program now would only cost the user the keyword file. Ctrl+\ still ends it.
    void IgnoreFromNowOn();

private:
    void Watch(const std::stop_token& stop);

    std::mutex mutex_;
    std::function<void(int)> handler_;
    int count_ = 0;
    std::jthread thread_;
};

} // namespace vortaxel::cli
