#include "cli/interrupt_watcher.h"

#include <array>
#include <csignal>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace vortaxel::cli {
namespace {

/// SIGINT, and the two signals that end the program, taken over only to clean up before it ends by them.
sigset_t InterruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&set, signal);
    }
    return set;
}

// A short wait keeps shutdown prompt where no wake-up descriptor could be made.
constexpr int kPollMilliseconds = 50;

} // namespace

InterruptWatcher::InterruptWatcher() {
    const sigset_t set = InterruptSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    thread_ = std::jthread([this](const std::stop_token& stop) { Watch(stop); });
}

InterruptWatcher::~InterruptWatcher() {
    thread_.request_stop();
    // Every run ends here: the watcher is woken at once rather than at its next look.
    if (wake_ >= 0) {
        eventfd_write(wake_, 1);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    for (const int fd : {fd_, wake_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void InterruptWatcher::OnInterrupt(std::function<void(int)> handler) {
    const std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

int InterruptWatcher::Presses() {
    const std::lock_guard lock(mutex_);
    TakePending();
    return count_;
}

void InterruptWatcher::OnEnd(std::function<void()> cleanUp) {
    const std::lock_guard lock(mutex_);
    cleanUp_ = std::move(cleanUp);
}

void InterruptWatcher::IgnoreFromNowOn() {
    OnInterrupt(nullptr);
}

void InterruptWatcher::TakePending() {
    signalfd_siginfo info{};
    while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        Handle(static_cast<int>(info.ssi_signo));
    }
}

void InterruptWatcher::Handle(int signal) {
    if (signal != SIGINT) {
        EndBy(signal);
    }
    ++count_;
    if (handler_) {
        handler_(count_);
    }
}

void InterruptWatcher::EndBy(int signal) {
    if (cleanUp_) {
        cleanUp_();
    }
    // The program ends by the signal as it would have without the watcher, so whoever sent it sees it so.
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    // Reached only if the signal is somehow held back: end as the default action would.
    _exit(128 + signal);
}

void InterruptWatcher::Watch(const std::stop_token& stop) {
    if (fd_ < 0) {
        // Without a descriptor to wait on, presses are taken here alone, as they arrive.
        const sigset_t set = InterruptSet();
        const timespec interval{0, kPollMilliseconds * 1'000'000L};
        while (!stop.stop_requested()) {
            if (const int signal = sigtimedwait(&set, nullptr, &interval); signal > 0) {
                const std::lock_guard lock(mutex_);
                Handle(signal);
            }
        }
        return;
    }
    std::array<pollfd, 2> ready{pollfd{fd_, POLLIN, 0}, pollfd{wake_, POLLIN, 0}};
    const nfds_t watched = wake_ >= 0 ? 2 : 1;
    while (!stop.stop_requested()) {
        // Waiting does not take the press: only TakePending does, under the lock.
        if (poll(ready.data(), watched, wake_ >= 0 ? -1 : kPollMilliseconds) > 0 && (ready[0].revents & POLLIN) != 0) {
            const std::lock_guard lock(mutex_);
            TakePending();
        }
    }
}

} // namespace vortaxel::cli
