#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "DrainageCase.h"
#include "GuardedArithmetic.h"
#include "RunError.h"

namespace pelorin {

// Marches shorter than this stay on one thread: a round of speculation costs a
// copy of the case and two thread hand-overs (some tens of microseconds), about
// the time of 5000 steps; below it the saving is too small to measure.
inline constexpr std::int64_t kSpeculationMinSteps = 20000;

// Whether `marches` marches over L with the step of the case are long enough
// to be worth running on another thread.
inline bool LongEnoughToShare(const DrainageCase& c, double L, int marches = 1) {
    try {
        const std::int64_t last = RoundStep(Guarded(L) / c.p);
        return (last - c.FirstStep + 1) * marches >= kSpeculationMinSteps;
    } catch (const RunError&) {
        return false;  // the march meets the same fault on one thread
    }
}

// Whether the marches of a bisection with `threads` threads are long enough
// to be worth a second thread.
inline bool WorthSpeculating(const DrainageCase& c, double L, int threads) {
    return threads >= 2 && LongEnoughToShare(c, L);
}

// A few worker threads owned by one search; each worker runs one job at a time
// and sleeps between jobs. Destroying the crew waits for the running jobs.
// When the system refuses more threads (a process limit), the workers without
// a thread run their jobs on the caller, at once: slower, the same results.
class SpeculationCrew {
  public:
    explicit SpeculationCrew(int workers) : jobs_(workers), busy_(workers, false) {
        try {
            for (int w = 0; w < workers; ++w) threads_.emplace_back([this, w] { Work(w); });
        } catch (const std::system_error&) {
            // Fewer threads than workers: see Start.
        }
    }
    SpeculationCrew(const SpeculationCrew&) = delete;
    SpeculationCrew& operator=(const SpeculationCrew&) = delete;
    ~SpeculationCrew() {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

    void Start(int worker, std::function<void()> job) {
        if (worker >= static_cast<int>(threads_.size())) {
            job();
            return;
        }
        std::lock_guard lock(mutex_);
        jobs_[worker] = std::move(job);
        busy_[worker] = true;
        wake_.notify_all();
    }

    void Wait(int worker) {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return !busy_[worker]; });
    }

  private:
    void Work(int worker) {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return busy_[worker] || closing_; });
            if (!busy_[worker]) return;
            std::function<void()> job = std::move(jobs_[worker]);
            lock.unlock();
            job();
            lock.lock();
            busy_[worker] = false;
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::function<void()>> jobs_;
    std::vector<bool> busy_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace pelorin
