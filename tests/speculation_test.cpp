// The workers of a run: made once, shared out between the searches and the
// bisections within the run's budget, and the computations run ahead on them.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Speculation.h"

using namespace pelorin;

namespace {

TEST(WorkerPool, LeasesNoMoreThanItsCapacityAndReusesItsWorkers) {
    WorkerPool pool(3);
    const std::vector<int> first = pool.Lease(2);
    const std::vector<int> second = pool.Lease(2);  // one left
    EXPECT_EQ(first.size(), 2u);
    EXPECT_EQ(second.size(), 1u);
    EXPECT_TRUE(pool.Lease(1).empty());
    EXPECT_EQ(pool.Made(), 3);
    pool.Release(first);
    const std::vector<int> again = pool.Lease(3);
    EXPECT_EQ(again, first);  // the idle ones, not new threads
    EXPECT_EQ(pool.Made(), 3);
}

TEST(WorkerPool, RunsAJobOnAnotherThreadAndWaitsForIt) {
    WorkerPool pool(1);
    const std::vector<int> workers = pool.Lease(1);
    ASSERT_EQ(workers.size(), 1u);
    std::thread::id ranOn;
    std::atomic<int> runs{0};
    for (int round = 0; round < 3; ++round) {
        pool.Start(workers[0], [&] {
            ranOn = std::this_thread::get_id();
            ++runs;
        });
        pool.Wait(workers[0]);
        EXPECT_NE(ranOn, std::this_thread::get_id());
    }
    EXPECT_EQ(runs, 3);
    pool.Release(workers);
}

// A case copy is all a computation run ahead needs here: the key is its result.
RunAhead::Compute KeyTimesTwo(double key) {
    return [key](DrainageCase&, const StopToken&) { return 2 * key; };
}

TEST(RunAhead, NestedRunsShareTheRunsWorkersAndRunOnTheCallerBeyondThem) {
    WorkerPool pool(2);
    const RunContext run{StopToken(), 3, &pool};
    DrainageCase c;
    {
        RunAhead outer(run, 2);  // takes both workers
        RunAhead inner(run, 1);  // none left: computes on the caller
        outer.Start(0, c, 1.0, nullptr, KeyTimesTwo(1.0));
        outer.Start(1, c, 2.0, nullptr, KeyTimesTwo(2.0));
        inner.Start(0, c, 3.0, nullptr, KeyTimesTwo(3.0));
        ASSERT_NE(inner.Take(3.0), nullptr);
        EXPECT_EQ(inner.Take(3.0), nullptr);  // taken once
        const AheadRun* second = outer.Take(2.0);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->head, 4.0);
        EXPECT_EQ(outer.Take(5.0), nullptr);  // never started there
    }
    RunAhead later(run, 2);  // the same two workers again
    later.Start(0, c, 7.0, nullptr, KeyTimesTwo(7.0));
    EXPECT_EQ(later.Take(7.0)->head, 14.0);
    EXPECT_EQ(pool.Made(), 2);
}

TEST(RunAhead, AFaultIsRethrownWhenTakenAndAFailedPreparationStartsNothing) {
    const RunContext run{StopToken(), 2, nullptr};  // no pool of the run: one of its own
    RunAhead ahead(run, 1);
    DrainageCase c;
    ahead.Start(0, c, 1.0, nullptr, [](DrainageCase&, const StopToken&) -> double {
        throw RunError(Fault::DivisionByZero);
    });
    EXPECT_THROW(ahead.Take(1.0), RunError);
    ahead.Start(
        0, c, 2.0, [](DrainageCase&) { throw RunError(Fault::Overflow); }, KeyTimesTwo(2.0));
    EXPECT_EQ(ahead.Take(2.0), nullptr);
}

TEST(RunAhead, ADroppedComputationIsAbandonedThroughItsStopToken) {
    const RunContext run{StopToken(), 2, nullptr};
    RunAhead ahead(run, 1);
    DrainageCase c;
    std::atomic<bool> started{false};
    std::atomic<bool> sawStop{false};
    ahead.Start(0, c, 1.0, nullptr, [&](DrainageCase&, const StopToken& stop) {
        started = true;
        while (!stop.Requested()) std::this_thread::yield();
        sawStop = true;
        return 0.0;
    });
    while (!started) std::this_thread::yield();
    ahead.DropAll();
    EXPECT_EQ(ahead.Take(1.0), nullptr);
    ahead.Start(0, c, 2.0, nullptr, KeyTimesTwo(2.0));  // waits for the abandoned one
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(ahead.Take(2.0)->head, 4.0);
}

}  // namespace
