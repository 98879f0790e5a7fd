#include "background_jobs.h"

#include <QMetaObject>
#include <QObject>

namespace vortaxel::ui {

BackgroundJobs::BackgroundJobs(std::function<void()> interrupt) : interrupt_(std::move(interrupt)) {}

BackgroundJobs::~BackgroundJobs() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        jobs_.clear();
        if (working_ && interrupt_) {
            interrupt_();
        }
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void BackgroundJobs::Run(QObject* context, std::function<std::string()> work,
                         std::function<void(const std::string&)> done) {
    ++pending_;
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({context, std::move(work), std::move(done)});
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Work(); });
    }
    wake_.notify_one();
}

void BackgroundJobs::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return closing_ || !jobs_.empty(); });
            if (closing_) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
            working_ = true;
        }
        std::string outcome = job.work();
        {
            std::lock_guard lock(mutex_);
            working_ = false;
            if (closing_) {
                return;
            }
        }
        if (job.context != nullptr) {
            // Queued to the asker's thread; dropped by Qt if the asker goes before it is delivered.
            QMetaObject::invokeMethod(
                job.context,
                [this, done = std::move(job.done), outcome = std::move(outcome)] {
                    --pending_;
                    done(outcome);
                },
                Qt::QueuedConnection);
        }
    }
}

} // namespace vortaxel::ui
