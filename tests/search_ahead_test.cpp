// An outer bisection run through SearchAhead makes the same trials, gets the
// same heads and faults and leaves the same case with any number of threads,
// whichever trials were run ahead on other threads.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Bisection.h"
#include "DrainageCase.h"
#include "RunError.h"
#include "SearchAhead.h"

namespace pelorin {
namespace {

// A stand-in for a march: the "head" of trial x is x³, written where a march
// leaves it. Trials in `noStep` take no step and keep the head of the march
// before them; a trial in `faulty` faults.
struct Stand {
    explicit Stand(double target = 2.0, std::set<double> noStep = {}, std::set<double> faulty = {})
        : target(target), noStep(std::move(noStep)), faulty(std::move(faulty)) {}

    double target;  // the answer is the cube root of 2
    std::set<double> noStep;
    std::set<double> faulty;
    std::thread::id searchThread = std::this_thread::get_id();
    // What the search's own evaluations saw, and whether any ran elsewhere.
    std::mutex mutex;
    bool ranElsewhere = false;
    std::vector<int> threadsSeen;

    OuterTrial Trial() {
        return {[](DrainageCase& c, double x) { c.HalfSpacing = x; },
                [this](DrainageCase& c, const RunContext& run) {
                    Note(run);
                    const double x = c.HalfSpacing;
                    if (faulty.count(x) != 0) throw RunError(Fault::Overflow);
                    if (noStep.count(x) != 0) {
                        c.LastStep = c.FirstStep - 1;
                        return c.MarchHead;
                    }
                    c.LastStep = 1000000;
                    c.MarchHead = x * x * x;
                    return c.MarchHead;
                },
                [](const DrainageCase&, double head) { return head; },
                [this](double head) { return head < target; }};
    }

    void Note(const RunContext& run) {
        std::lock_guard lock(mutex);
        if (std::this_thread::get_id() != searchThread) ranElsewhere = true;
        threadsSeen.push_back(run.threads);
    }
};

// Marches long enough to be run ahead: a step of 0.00001 m, so that even the
// trials near the answer (1.26 m) take 126 000 steps.
DrainageCase LongTrialCase() {
    DrainageCase c;
    c.p = 0.00001;
    c.FirstStep = 2;
    c.HalfSpacing = 10;
    c.MarchHead = -7;  // the head a march that takes no step keeps
    return c;
}

struct Trace {
    std::vector<double> trials;
    std::vector<double> heads;
    std::string fault;
    double marchHead = 0;
    bool ranElsewhere = false;
    std::vector<int> threadsSeen;
};

// The bisection of the engines over [0, 10] from the low end, tolerance 1e-9.
Trace Search(Stand& stand, int threads) {
    DrainageCase c = LongTrialCase();
    Trace trace;
    {
        SearchBracket bracket{0, 10};
        double x = 0;
        SearchAhead trials(c, stand.Trial(), RunContext{StopToken(), threads});
        try {
            for (;;) {
                trace.trials.push_back(x);
                const double head = trials.Run(x, bracket);
                trace.heads.push_back(head);
                if (std::abs(head - stand.target) < 1e-9) break;
                if (!NarrowSearch(bracket, x, head < stand.target)) break;
            }
        } catch (const RunError& error) {
            trace.fault = error.what();
        }
        trace.marchHead = c.MarchHead;
    }
    trace.ranElsewhere = stand.ranElsewhere;
    trace.threadsSeen = stand.threadsSeen;
    return trace;
}

struct AheadRow {
    const char* name;
    std::set<double> noStep;
    std::set<double> faulty;
    bool faults;
};

TEST(SearchAhead, TrialsHeadsAndFaultsAreTheSameWithOneTwoAndThreeThreads) {
    const AheadRow rows[] = {
        {"plain", {}, {}, false},
        // 7.5 is the other outcome of the trial 5: run ahead with three
        // threads, never made by the search.
        {"a fault at a trial the search does not make", {}, {7.5}, false},
        {"a fault at a trial it makes", {}, {1.25}, true},
        // 1.5625 keeps the head of 1.875 on one thread; run ahead it would
        // keep the older head of its copy, so it must be made again here.
        {"a trial that takes no step", {1.5625, 1.2890625}, {}, false},
    };
    for (const AheadRow& row : rows) {
        SCOPED_TRACE(row.name);
        Stand single{2.0, row.noStep, row.faulty};
        const Trace one = Search(single, 1);
        EXPECT_EQ(!one.fault.empty(), row.faults) << one.fault;
        EXPECT_FALSE(one.ranElsewhere);
        for (int threads : {2, 3}) {
            SCOPED_TRACE(threads);
            Stand stand{2.0, row.noStep, row.faulty};
            const Trace many = Search(stand, threads);
            EXPECT_EQ(many.trials, one.trials);
            EXPECT_EQ(many.heads, one.heads);
            EXPECT_EQ(many.fault, one.fault);
            EXPECT_EQ(many.marchHead, one.marchHead);
            EXPECT_TRUE(many.ranElsewhere) << "no trial was run ahead";
        }
    }
}

// The threads left over from the trials run ahead go to each trial's own bisection.
TEST(SearchAhead, SharesTheThreadsBetweenTheTrialsAndTheirBisections) {
    const std::pair<int, int> rows[] = {{1, 1}, {2, 1}, {3, 1}, {6, 2}, {9, 3}};
    for (const auto& [threads, perTrial] : rows) {
        SCOPED_TRACE(threads);
        Stand stand;
        const Trace trace = Search(stand, threads);
        ASSERT_FALSE(trace.threadsSeen.empty());
        for (int seen : trace.threadsSeen) EXPECT_EQ(seen, perTrial);
    }
}

// Short marches stay on the search's thread.
TEST(SearchAhead, ShortTrialsAreNotRunAhead) {
    Stand stand(0.5);
    DrainageCase c = LongTrialCase();
    c.p = 0.0001;  // 10 000 steps at the most
    SearchBracket bracket{0, 1};
    double x = 1.0;
    SearchAhead trials(c, stand.Trial(), RunContext{StopToken(), 3});
    for (int i = 0; i < 10; ++i) {
        const double head = trials.Run(x, bracket);
        NarrowSearch(bracket, x, head < stand.target);
    }
    EXPECT_FALSE(stand.ranElsewhere);
}

}  // namespace
}  // namespace pelorin
