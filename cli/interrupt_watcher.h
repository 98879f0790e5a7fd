#pragma once

#include <functional>
#include <mutex>
#include <thread>

namespace vortaxel::cli {

/// Turns SIGINT into calls of a handler, so the handler can do real work (a stop request, aborting a
/// fetch) instead of what an async signal handler may do. Built first thing in main, before any other
/// thread, so SIGINT is blocked in every thread and no press is lost.
///
/// A press is taken from the kernel only under the watcher's lock, by its own thread or by `Presses`. So a
/// press sent before a call of `Presses` is always counted by it, however late the watcher's thread gets to
/// run: the run asks at its start and before each turn, and a press that came earlier stops it there.
class InterruptWatcher {
public:
    InterruptWatcher();
    /// SIGINT stays blocked: a press while the program exits must not turn a finished run into a kill.
    ~InterruptWatcher();

    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;
    InterruptWatcher(InterruptWatcher&&) = delete;
    InterruptWatcher& operator=(InterruptWatcher&&) = delete;

    /// What each later press does; it gets the number of presses so far (1 for the first Ctrl+C).
    void OnInterrupt(std::function<void(int)> handler);

    /// What a SIGTERM or SIGHUP does first (such as removing a temporary file); the program then ends by the
    /// signal as it would have without the watcher. Called on the thread that takes the signal.
    void OnEnd(std::function<void()> cleanUp);

    /// The presses so far, those the kernel still holds included (each handled before this returns).
    int Presses();

    /// The run has ended and its files are being written: from now on presses are swallowed, however many,
    /// since ending the program now would only cost the user the keyword file. Ctrl+\ still ends it.
    void IgnoreFromNowOn();

private:
    void Watch(const std::stop_token& stop);
    /// Takes every press the kernel holds and handles it; the caller holds the lock.
    void TakePending();
    /// Counts one press and hands it to the handler, or ends the program by any other signal; the caller
    /// holds the lock.
    void Handle(int signal);
    /// Cleans up and ends the program by `signal`.
    [[noreturn]] void EndBy(int signal);

    std::mutex mutex_;
    std::function<void(int)> handler_;
    std::function<void()> cleanUp_;
    int count_ = 0;
    /// A signalfd for SIGINT, non-blocking: -1 when none could be made, and then only the thread takes presses.
    int fd_ = -1;
    /// An eventfd written once on the way out, so that the thread ends without waiting out a poll.
    int wake_ = -1;
    std::jthread thread_;
};

} // namespace vortaxel::cli
