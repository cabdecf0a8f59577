#include "Speculation.h"

#include <system_error>

#include "GuardedArithmetic.h"
#include "RunError.h"
#include "RunSink.h"

namespace pelorin {

bool LongEnoughToShare(const DrainageCase& c, double L, int marches) {
    try {
        const std::int64_t last = RoundStep(Guarded(L) / c.p);
        return (last - c.FirstStep + 1) * marches >= kSpeculationMinSteps;
    } catch (const RunError&) {
        return false;  // the march meets the same fault on one thread
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (Worker& worker : workers_) worker.thread.join();
}

std::vector<int> WorkerPool::Lease(int count) {
    std::lock_guard lock(mutex_);
    std::vector<int> leased;
    for (int w = 0;
         w < static_cast<int>(workers_.size()) && static_cast<int>(leased.size()) < count; ++w) {
        if (workers_[w].leased) continue;
        workers_[w].leased = true;
        leased.push_back(w);
    }
    while (static_cast<int>(leased.size()) < count &&
           static_cast<int>(workers_.size()) < capacity_) {
        Worker& worker = workers_.emplace_back();
        try {
            worker.thread = std::thread([this, &worker] { Work(worker); });
        } catch (const std::system_error&) {
            workers_.pop_back();
            capacity_ = static_cast<int>(workers_.size());
            break;
        }
        worker.leased = true;
        leased.push_back(static_cast<int>(workers_.size()) - 1);
    }
    return leased;
}

void WorkerPool::Release(const std::vector<int>& workers) {
    std::lock_guard lock(mutex_);
    for (int w : workers) workers_[w].leased = false;
}

void WorkerPool::Start(int worker, std::function<void()> job) {
    std::lock_guard lock(mutex_);
    workers_[worker].job = std::move(job);
    workers_[worker].busy = true;
    wake_.notify_all();
}

void WorkerPool::Wait(int worker) {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return !workers_[worker].busy; });
}

int WorkerPool::Made() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(workers_.size());
}

void WorkerPool::Work(Worker& worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return worker.busy || closing_; });
        if (!worker.busy) return;
        std::function<void()> job = std::move(worker.job);
        lock.unlock();
        job();
        lock.lock();
        worker.busy = false;
        done_.notify_all();
    }
}

EngineRun::EngineRun(RunSink& sink, int threads)
    : pool_(threads - 1), context_{StopToken(sink), threads, &pool_} {}

RunAhead::RunAhead(const RunContext& run, int slots) : stop_(run.stop), pool_(run.workers) {
    if (!pool_) {
        ownPool_ = std::make_unique<WorkerPool>(slots);
        pool_ = ownPool_.get();
    }
    workers_ = pool_->Lease(slots);
    for (int s = 0; s < slots; ++s) runs_.push_back(std::make_unique<AheadRun>());
}

RunAhead::~RunAhead() {
    DropAll();
    for (int slot = 0; slot < Slots(); ++slot) Wait(slot);
    pool_->Release(workers_);
}

void RunAhead::Wait(int slot) {
    if (slot < static_cast<int>(workers_.size())) pool_->Wait(workers_[slot]);
}

void RunAhead::Start(int slot, const DrainageCase& c, double key, const Prepare& prepare,
                     Compute compute) {
    Wait(slot);
    AheadRun& run = *runs_[slot];
    run.c = c;
    run.pending = false;
    try {
        if (prepare) prepare(run.c);
    } catch (...) {
        return;
    }
    run.key = key;
    run.fault = nullptr;
    run.abandon = false;
    run.pending = true;
    auto job = [&run, compute = std::move(compute), stop = StopToken(stop_, run.abandon)] {
        try {
            run.head = compute(run.c, stop);
        } catch (...) {
            run.fault = std::current_exception();
        }
    };
    if (slot < static_cast<int>(workers_.size())) {
        pool_->Start(workers_[slot], std::move(job));
    } else {
        job();
    }
}

AheadRun* RunAhead::Take(double key) {
    for (int slot = 0; slot < Slots(); ++slot) {
        AheadRun& run = *runs_[slot];
        if (!run.pending || run.key != key) continue;
        Wait(slot);
        run.pending = false;
        if (run.fault) std::rethrow_exception(run.fault);
        return &run;
    }
    return nullptr;
}

void RunAhead::DropAll() {
    for (auto& run : runs_) {
        if (!run->pending) continue;
        run->abandon = true;
        run->pending = false;
    }
}

}  // namespace pelorin
