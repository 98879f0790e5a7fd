#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class QObject;

namespace vortaxel::ui {

/// Long reads of a crawl, run one after another on a thread of their own so that the window goes on
/// answering; each job's outcome is handed back on the thread of the object that asked for it.
class BackgroundJobs {
public:
    /// `interrupt` cuts a job in progress short when the jobs go (the store's connection is told to stop).
    explicit BackgroundJobs(std::function<void()> interrupt = {});
    /// Drops the jobs not begun, cuts the one in progress short and waits for it.
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    /// Runs `work` after the jobs before it, then `done` with what it returned on `context`'s thread.
    /// `context` must outlive the jobs.
    void Run(QObject* context, std::function<std::string()> work, std::function<void(const std::string&)> done);
    /// Jobs asked for whose outcome has not been handed back yet.
    int Pending() const { return pending_; }

private:
    struct Job {
        QObject* context = nullptr;
        std::function<std::string()> work;
        std::function<void(const std::string&)> done;
    };
    void Work();

    std::function<void()> interrupt_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool working_ = false;
    bool closing_ = false;
    // Counted on the asking thread only.
    int pending_ = 0;
    std::thread thread_;
};

} // namespace vortaxel::ui
