#pragma once

// Running ahead: a search (over a spacing, a discharge or a conductivity) and
// the midway-head bisection both run, on other threads, the computation they
// are likely to need next, each on its own copy of the case, and keep it only
// when they do need it. The workers belong to the run: made when a run first
// runs ahead and kept until it ends, shared out between the searches and the
// bisections within the run's thread budget.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "DrainageCase.h"
#include "RunContext.h"

namespace pelorin {

class RunSink;

// Marches shorter than this stay on one thread: a round of running ahead costs a
// copy of the case and two thread hand-overs (some tens of microseconds), about
// the time of 5000 steps; below it the saving is too small to measure.
inline constexpr std::int64_t kSpeculationMinSteps = 20000;

// Whether `marches` marches over L with the step of the case are long enough
// to be worth running on another thread.
bool LongEnoughToShare(const DrainageCase& c, double L, int marches = 1);

// Whether the marches of a bisection with `threads` threads are long enough
// to be worth a second thread.
inline bool WorthSpeculating(const DrainageCase& c, double L, int threads) {
    return threads >= 2 && LongEnoughToShare(c, L);
}

// The worker threads of one run. A worker is made the first time it is leased
// and sleeps between jobs; the pool never holds more than its capacity, and
// destroying it ends them all. When the system refuses more threads (a process
// limit), the pool stays at the workers it has.
class WorkerPool {
  public:
    explicit WorkerPool(int capacity) : capacity_(capacity) {}
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    // Up to `count` idle workers, leased to the caller until Release.
    std::vector<int> Lease(int count);
    // Gives leased workers back; their jobs must have ended (Wait).
    void Release(const std::vector<int>& workers);
    void Start(int worker, std::function<void()> job);
    void Wait(int worker);
    // How many worker threads the pool has made so far.
    int Made();

  private:
    struct Worker {
        std::thread thread;
        std::function<void()> job;
        bool busy = false;
        bool leased = false;
    };
    void Work(Worker& worker);

    int capacity_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Worker> workers_;  // a deque: a worker stays where it is as the pool grows
    bool closing_ = false;
};

// What an engine's run gives its searches and bisections: the stop token of its
// sink, its thread budget and a pool of the threads beyond the calling one.
class EngineRun {
  public:
    EngineRun(RunSink& sink, int threads);
    const RunContext& Context() const { return context_; }

  private:
    WorkerPool pool_;
    RunContext context_;
};

// A computation run ahead on a copy of the case at a trial value `key`.
struct AheadRun {
    DrainageCase c;
    double key = 0;
    double head = 0;
    std::exception_ptr fault;
    bool pending = false;  // started and not yet taken or dropped
    std::atomic<bool> abandon{false};
};

// A few slots of computations run ahead, each on a worker leased from the
// run's pool (or from a pool of its own when the run has none). A slot without
// a worker runs its computation on the caller at once: slower, the same
// results. An abandoned computation ends at its next look at the stop token;
// destroying the slots waits for every computation still running.
class RunAhead {
  public:
    using Prepare = std::function<void(DrainageCase&)>;
    using Compute = std::function<double(DrainageCase&, const StopToken&)>;

    RunAhead(const RunContext& run, int slots);
    RunAhead(const RunAhead&) = delete;
    RunAhead& operator=(const RunAhead&) = delete;
    ~RunAhead();

    int Slots() const { return static_cast<int>(runs_.size()); }
    // Runs `compute` in `slot` on a copy of `c` that `prepare` has set to `key`,
    // once the slot's previous computation has ended. When `prepare` fails the
    // slot stays empty: the search meets that fault itself if it makes the trial.
    void Start(int slot, const DrainageCase& c, double key, const Prepare& prepare,
               Compute compute);
    // The computation started at `key`, waited for, with its fault rethrown;
    // nullptr when none was started there. It is no longer pending.
    AheadRun* Take(double key);
    // Abandons every pending computation.
    void DropAll();

  private:
    void Wait(int slot);

    StopToken stop_;
    std::unique_ptr<WorkerPool> ownPool_;
    WorkerPool* pool_;
    std::vector<int> workers_;
    std::vector<std::unique_ptr<AheadRun>> runs_;
};

}  // namespace pelorin
