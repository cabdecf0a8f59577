// A search gives the same trials, progress calls, faults and case with any
// number of threads and at any lane level: the marches run ahead on other
// threads or in other vector lanes are only kept when the one-thread, one-lane
// search makes them too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "LaneLevel.h"
#include "ProfileRoutine.h"
#include "RunError.h"
#include "StandardCase.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = test::fs;

std::vector<fs::path> ExampleInputs() {
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(test::SourceDir() / "Data"))
        if (entry.path().extension() == ".inp") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// The lane levels the processor has; PELORIN_TEST_LANE_LEVELS ("scalar avx2")
// keeps only those it names, for the slower sanitizer suites.
std::vector<LaneLevel> TestedLaneLevels() {
    const char* named = std::getenv("PELORIN_TEST_LANE_LEVELS");
    std::vector<LaneLevel> levels;
    for (LaneLevel level : AvailableLaneLevels()) {
        const std::string name(NameOf(level));
        if (named == nullptr ||
            (" " + std::string(named) + " ").find(" " + name + " ") != std::string::npos)
            levels.push_back(level);
    }
    return levels;
}

// The report and the messages of one input file run with `threads` threads
// at a lane level.
struct CliRun {
    int exitCode;
    std::string report;
    std::string err;
};

CliRun RunWithThreads(const fs::path& input, int threads, LaneLevel level) {
    test::TempDir dir;
    const std::string name = input.filename().string();
    fs::copy_file(input, dir.Path() / name);
    const test::CliResult result =
        test::RunProgram(PELORIN_CLI, {"run", "--threads", std::to_string(threads), name},
                         dir.Path(), {"PELORIN_SIMD=" + std::string(NameOf(level))});
    const fs::path report = test::ReportPathOf(dir.Path() / name);
    return {result.exitCode, fs::exists(report) ? test::ReadFile(report) : "", result.err};
}

// Two threads run the guessed next trial ahead, three both possible ones;
// every lane level the processor has, each with 1, 2 and 3 threads, against
// one thread on one lane.
void ExpectSameRuns(const fs::path& input) {
    SCOPED_TRACE(input.filename().string());
    const CliRun one = RunWithThreads(input, 1, LaneLevel::Scalar);
    EXPECT_FALSE(one.report.empty());
    for (LaneLevel level : TestedLaneLevels()) {
        SCOPED_TRACE(NameOf(level));
        for (int threads : {1, 2, 3}) {
            if (level == LaneLevel::Scalar && threads == 1) continue;
            SCOPED_TRACE(threads);
            const CliRun many = RunWithThreads(input, threads, level);
            EXPECT_EQ(one.exitCode, many.exitCode);
            EXPECT_TRUE(one.report == many.report) << "the reports differ";
            EXPECT_EQ(one.err, many.err);
        }
    }
}

TEST(Threads, EveryExampleGivesTheSameReportWithOneTwoAndThreeThreadsAtEveryLaneLevel) {
    const std::vector<fs::path> inputs = ExampleInputs();
    ASSERT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) ExpectSameRuns(input);
}

// Cases whose marches are long enough for the searches to run trials or
// marches ahead, for every aim and method.
TEST(Threads, LongMarchesGiveTheSameReportWithOneTwoAndThreeThreadsAtEveryLaneLevel) {
    test::TempDir dir;
    const std::vector<double> layered = {0.007, 2.0, 4.0, 1.2, 1.3, 0.5,
                                         0,     0.6, 0.8, 0.4, 2.0, 1.0};
    const auto with = [](std::vector<double> values, double last) {
        values.push_back(last);
        return values;
    };
    std::vector<double> discharge = with(layered, 60);
    discharge[0] = 0.7;  // Dm
    const std::vector<double> conductivity = {0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 60, 0, 0, 0, 0, 0};
    const struct {
        const char* name;
        const char* aim;
        const char* method;
        std::vector<double> values;
    } cases[] = {
        {"depth.inp", "Hyd", "Ene", with(layered, 60)},
        {"spacing-energy.inp", "Spa", "Ene", with(layered, 0.9)},
        {"spacing-darcy.inp", "Spa", "Dar", with(layered, 1.05)},
        {"discharge-energy.inp", "Dis", "Ene", discharge},
        {"discharge-darcy.inp", "Dis", "Dar", discharge},
        {"conductivity-energy.inp", "Con", "Ene", conductivity},
        {"conductivity-darcy.inp", "Con", "Dar", conductivity},
    };
    for (const auto& k : cases)
        ExpectSameRuns(test::WriteCase(dir.Path() / k.name, k.aim, k.method, k.values));
}

// 250 000 steps a march.
DrainageCase LongCase() { return test::StandardCase(25.0, 0.0001); }

// No flow capacity anywhere: the first step divides by zero.
DrainageCase ZeroTransmissivityCase() {
    DrainageCase c = LongCase();
    c.Ka = c.Kb1 = c.Kv1 = c.Kb2 = c.Kv2 = 0;
    c.Keq1 = c.Keq2 = 0;
    c.E = 0;
    c.EntranceHead = 0;
    return c;
}

// What a bisection leaves and what it tells on the way.
struct SolveTrace {
    DrainageCase c;
    std::vector<double> changes;
    std::optional<double> head;
    std::string fault;
};

SolveTrace Solve(DrainageCase c, int threads, int stopAfter, double expected = 0.0) {
    SolveTrace trace{c, {}, std::nullopt, ""};
    const BisectionProgress progress = [&](double change) {
        trace.changes.push_back(change);
        if (static_cast<int>(trace.changes.size()) == stopAfter) throw RunError(Fault::Cancelled);
    };
    try {
        trace.head = SolveEnergyMidHead(trace.c, trace.c.HalfSpacing, 500, 1000, progress,
                                        RunContext{StopToken(), threads}, expected);
    } catch (const RunError& error) {
        trace.fault = error.what();
    }
    return trace;
}

void ExpectSameTrace(const SolveTrace& a, const SolveTrace& b) {
    EXPECT_EQ(a.changes, b.changes);
    EXPECT_EQ(a.head, b.head);
    EXPECT_EQ(a.fault, b.fault);
    EXPECT_EQ(a.c.EnergyMidHead, b.c.EnergyMidHead);
    EXPECT_EQ(a.c.EnergyMidLow, b.c.EnergyMidLow);
    EXPECT_EQ(a.c.EnergyMidHigh, b.c.EnergyMidHigh);
    EXPECT_EQ(a.c.EnergyMidPrev, b.c.EnergyMidPrev);
    EXPECT_EQ(a.c.LastStep, b.c.LastStep);
    EXPECT_EQ(a.c.MarchHead, b.c.MarchHead);
    EXPECT_EQ(a.c.MarchGradient, b.c.MarchGradient);
    EXPECT_EQ(a.c.MarchStoppedAt, b.c.MarchStoppedAt);
}

struct SolveRow {
    const char* name;
    DrainageCase (*make)();
    int stopAfter;  // the progress call that asks to stop; 0 never
    bool faults;
};

// The answer a bisection is told to expect steers only which marches run
// ahead: right, a hair off (the guesses from it fail deep in the tree) or far
// off, the bisection is the same.
TEST(Threads, MidHeadBisectionIsTheSameWithOneTwoAndThreeThreadsAtEveryLaneLevel) {
    const SolveRow rows[] = {
        {"to the end", LongCase, 0, false},
        {"stop request at the 3rd call", LongCase, 3, true},
        {"stop request at the 14th call", LongCase, 14, true},
        {"stop request at the 15th call", LongCase, 15, true},
        {"zero transmissivity", ZeroTransmissivityCase, 0, true},
    };
    for (const SolveRow& row : rows) {
        SCOPED_TRACE(row.name);
        SetLaneLevel(LaneLevel::Scalar);
        const SolveTrace one = Solve(row.make(), 1, row.stopAfter);
        EXPECT_EQ(!one.fault.empty(), row.faults) << one.fault;
        if (row.stopAfter > 0) {
            EXPECT_EQ(static_cast<int>(one.changes.size()), row.stopAfter);
        }
        if (!row.faults) {
            EXPECT_GT(one.changes.size(), 10u);
        }
        const double answer = one.c.EnergyMidHead;
        for (LaneLevel level : TestedLaneLevels()) {
            SCOPED_TRACE(NameOf(level));
            SetLaneLevel(level);
            for (int threads : {1, 2, 3}) {
                for (double expected : {0.0, answer, answer + 0.00003, 900.0}) {
                    SCOPED_TRACE(testing::Message()
                                 << threads << " threads, expected " << expected);
                    ExpectSameTrace(one, Solve(row.make(), threads, row.stopAfter, expected));
                }
            }
        }
    }
    SetLaneLevel(ChooseLaneLevel("").level);
}

TEST(Threads, ALaneLevelTheProcessorLacksIsRefusedNamingThoseItHas) {
    test::TempDir dir;
    const test::CliResult result =
        test::RunProgram(PELORIN_CLI, {"--version"}, dir.Path(), {"PELORIN_SIMD=avx1024"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "pelorin-cli: " + ChooseLaneLevel("avx1024").refusal + "\n");
    EXPECT_NE(result.err.find("the levels it has are scalar, sse2"), std::string::npos);
}

}  // namespace
}  // namespace pelorin
