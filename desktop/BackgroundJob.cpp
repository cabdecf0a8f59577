#include "BackgroundJob.h"

#include <QMetaObject>

#include <memory>
#include <utility>

namespace pelorin {

BackgroundJob::~BackgroundJob() { Wait(); }

bool BackgroundJob::Start(std::function<void()> work,
                          std::function<void(std::exception_ptr)> ended) {
    if (running_) return false;
    {
        const std::lock_guard lock(mutex_);
        abandoned_ = false;
    }
    running_ = true;
    ended_ = std::move(ended);
    const int generation = ++generation_;
    thread_ = std::thread([this, work = std::move(work), generation] {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Posted last, so it runs after every call the work posted.
        QMetaObject::invokeMethod(
            this, [this, generation, failure] { Finish(generation, failure); },
            Qt::QueuedConnection);
    });
    return true;
}

void BackgroundJob::Finish(int generation, std::exception_ptr failure) {
    if (generation != generation_) return;
    if (thread_.joinable()) thread_.join();
    running_ = false;
    const std::function<void(std::exception_ptr)> ended = std::move(ended_);
    ended_ = nullptr;
    if (ended) ended(failure);
}

void BackgroundJob::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(
        this,
        [this, generation = generation_.load(), call = std::move(call)] {
            if (generation == generation_) call();
        },
        Qt::QueuedConnection);
}

void BackgroundJob::PostAndWait(std::function<void()> call) {
    // The flag lives as long as the posted call, which may run after the work
    // has stopped waiting for it.
    auto answered = std::make_shared<bool>(false);
    std::unique_lock lock(mutex_);
    if (abandoned_) return;
    Post([this, call = std::move(call), answered] {
        call();
        {
            const std::lock_guard answeredLock(mutex_);
            *answered = true;
        }
        answered_.notify_all();
    });
    answered_.wait(lock, [&] { return *answered || abandoned_; });
}

void BackgroundJob::Wait() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    answered_.notify_all();
    thread_.join();
    running_ = false;
}

}  // namespace pelorin
