// A search that closes in on its answer without meeting the tolerance ends on
// the nearer end of its bracket when that end's head is within 0.001 m, with
// the case as that trial left it and a message saying how near it came; a
// search stuck at an end of its bracket, or farther off, still fails.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bisection.h"
#include "DrainageCase.h"
#include "Engines.h"
#include "InputChecks.h"
#include "NumberFormat.h"
#include "OuterSearch.h"
#include "RunError.h"
#include "RunSink.h"
#include "SearchAhead.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// ---------------------------------------------------------------------------
// The search itself, with a stand-in trial whose head jumps at x = 0.3 from
// target − below to target + above: no trial can meet the tolerance.

struct JumpCase {
    const char* name;
    double below;  // how far the heads left of the jump lie under the target
    double above;  // how far those right of it lie over it
    bool settles;
    bool onLowEnd;
};

const JumpCase kJumps[] = {
    {"low end nearer", 0.0004, 0.0007, true, true},
    {"high end nearer", 0.0009, 0.0002, true, false},
    {"a tie takes the low end", 0.0005, 0.0005, true, true},
    {"nearer end too far off", 0.0015, 0.0011, false, false},
    {"just inside the accuracy", 0.00099, 0.0012, true, true},
};

constexpr double kTarget = 1.0;
constexpr double kJumpAt = 0.3;

OuterTrial JumpTrial(const JumpCase& jump) {
    return {[](DrainageCase& c, double x) { c.HalfSpacing = x; },
            [jump](DrainageCase& c, const RunContext&) {
                // Something of the case only this trial leaves behind.
                c.MarchStoppedAt = static_cast<std::int64_t>(c.HalfSpacing * 1e9);
                c.MarchHead = c.HalfSpacing < kJumpAt ? kTarget - jump.below : kTarget + jump.above;
                return c.MarchHead;
            },
            [](const DrainageCase&, double head) { return head; },
            [](double head) { return head < kTarget; }};
}

TEST(ClosedInSearch, EndsOnTheNearerEndWithinTheAccuracy) {
    for (const JumpCase& jump : kJumps) {
        SCOPED_TRACE(jump.name);
        DrainageCase c;
        c.TargetHead = kTarget;
        c.Tolerance = 0.0001;
        c.HalfSpacing = 0.01;
        SearchBracket bracket{0.01, 1.0};
        RecordingSink sink;
        std::vector<double> deviations;
        SearchAhead trials(c, JumpTrial(jump));
        const OuterSearchSteps steps{[&](double d) { deviations.push_back(d); },
                                     [] { return RunError(Fault::SearchFailed, "no answer"); }};
        if (!jump.settles) {
            try {
                RunOuterSearch(c, trials, bracket, c.HalfSpacing, sink, steps);
                ADD_FAILURE() << "the search should have failed";
            } catch (const RunError& error) {
                EXPECT_STREQ(error.what(), "no answer");
            }
            EXPECT_TRUE(sink.messages.empty());
            continue;
        }
        const double head = RunOuterSearch(c, trials, bracket, c.HalfSpacing, sink, steps);
        const double endTrial = jump.onLowEnd ? bracket.low : bracket.high;
        const double deviation = jump.onLowEnd ? jump.below : jump.above;
        EXPECT_LT(bracket.low, kJumpAt);
        EXPECT_GE(bracket.high, kJumpAt);
        EXPECT_EQ(c.HalfSpacing, endTrial);
        EXPECT_EQ(c.MarchStoppedAt, static_cast<std::int64_t>(endTrial * 1e9))
            << "the case as that trial left it";
        EXPECT_DOUBLE_EQ(head, jump.onLowEnd ? kTarget - jump.below : kTarget + jump.above);
        EXPECT_EQ(sink.messages, " The midway head came within " + FormatFixed(deviation, 0, 5) +
                                     " m of the required one; the result has that accuracy.\n");
        EXPECT_GT(deviations.size(), 40u) << "a bisection down to the last bit";
    }
}

// Stuck at an end of its starting bracket the search fails even when the head
// there is near the target: the answer lies outside the bracket.
TEST(ClosedInSearch, AStallAtAnEndOfTheBracketStillFails) {
    for (const bool answerAbove : {true, false}) {
        DrainageCase c;
        c.TargetHead = kTarget;
        c.Tolerance = 0.0001;
        c.HalfSpacing = 0.5;
        SearchBracket bracket{0.01, 1.0};
        RecordingSink sink;
        // A head the tolerance never accepts, 0.0002 m off, on one side only.
        const OuterTrial trial{[](DrainageCase& t, double x) { t.HalfSpacing = x; },
                               [](DrainageCase&, const RunContext&) { return kTarget + 0.0002; },
                               [](const DrainageCase&, double) { return 0.0; },
                               [answerAbove](double) { return answerAbove; }};
        SearchAhead trials(c, trial);
        EXPECT_THROW(RunOuterSearch(c, trials, bracket, c.HalfSpacing, sink,
                                    {{}, [] { return RunError(Fault::SearchFailed, "stuck"); }}),
                     RunError);
        EXPECT_NE(StallOf(bracket), SearchStall::ClosedIn);
        EXPECT_TRUE(sink.messages.empty());
    }
}

// ---------------------------------------------------------------------------
// The energy-balance engines on cases whose march heads step over the target.

struct EngineCase {
    const char* name;
    const char* aim;
    CalcAim calcAim;
    EngineReport (*engine)(DrainageCase&, RunSink&, int threads);
    const char* values;  // the numbers of the input file, as written there
    const char* resultLabel;
    bool printsSearchHead;  // the report's energy head is the search's own
};

const EngineCase kEngineCases[] = {
    // The midway heads the discharge bisection can end on lie 0.00012 m apart.
    {"discharge", "Dis", CalcAim::Discharge, EneDisc,
     "1.05 2.5 5.0 1.8 1.9 0.3 0.5 0.4 0.6 0.3 1.5 0.8 33",
     " The discharge (energy, m/day) is: ", true},
    // Those of the conductivity bisection 0.00019 m apart.
    {"conductivity", "Con", CalcAim::Conductivity, EneCond,
     "0.005 4.0 1.5 1.6 0 0 1.35 10 0 0 0 0 0",
     " The average hydraulic conductivity (Energy, m/d) is: ", false},
    // A short spacing, searched with the step 0.0001 m.
    {"spacing", "Spa", CalcAim::Spacing, EneSpac,
     "0.00611 2.17441 5.06037 1.61426 1.64449 0.26316 0.00000 4.57043 1.02999 1.20618 0.73765 "
     "0.09543 1.41548",
     " The drain spacing (energy, m) is: ", true},
};

struct EngineRun {
    std::string report;
    RecordingSink sink;
    DrainageCase c;
};

void WriteEngineCase(const EngineCase& ec, const TempDir& dir) {
    WriteFile(dir.File("case.inp"),
              std::string("A closed-in search\r\n\r\nFile Name: case.inp\r\n") + ec.aim +
                  " Ene\r\n" + ec.values + "\r\n");
}

void RunEngineCase(const EngineCase& ec, int threads, const TempDir& dir, EngineRun& run) {
    WriteEngineCase(ec, dir);
    const InputReadResult read = ReadInputFile(dir.File("case.inp"));
    ASSERT_EQ(read.Status, FileStatus::Ok);
    run.c = DrainageCase{};
    run.c.InputFileName = dir.File("case.inp");
    const std::vector<std::string> errors = test::LoadAndCheck(ec.calcAim, read.Case.Values, run.c);
    ASSERT_TRUE(errors.empty()) << test::Lines(errors);
    run.report = ec.engine(run.c, run.sink, threads).Text;
}

TEST(ClosedInSearch, EnergyEnginesGiveTheirAnswerAndSayHowNearItIs) {
    for (const EngineCase& ec : kEngineCases) {
        SCOPED_TRACE(ec.name);
        TempDir dir;
        EngineRun run;
        RunEngineCase(ec, 1, dir, run);
        ASSERT_FALSE(::testing::Test::HasFatalFailure());
        const std::string prefix = " The midway head came within ";
        ASSERT_TRUE(run.sink.messages.find(prefix) != std::string::npos) << run.sink.messages;
        const std::size_t at = run.sink.messages.find(prefix) + prefix.size();
        const double stated = std::stod(run.sink.messages.substr(at));
        EXPECT_GE(stated, run.c.Tolerance) << "the tolerance itself was not met";
        EXPECT_LT(stated, 0.001);
        EXPECT_NE(test::ValueAfter(run.report, ec.resultLabel), "");
        // Where the energy head of the report is the search's own, it lies
        // within the stated distance of Dw − Dm (printed to 0.001 m).
        const double energyHead =
            std::stod(test::ValueAfter(run.report, " Midway hydr. head (energy, m) is: "));
        if (ec.printsSearchHead) {
            EXPECT_NEAR(energyHead, run.c.TargetHead, stated + 0.0005);
        }
        EXPECT_FALSE(std::filesystem::exists(dir.File("case.out.part")));
    }
}

// The nearer end is chosen from what the search made, not from how its trials
// were shared out: the same report and messages with 1, 2 and 3 threads.
TEST(ClosedInSearch, SameResultOnAnyNumberOfThreads) {
    for (const EngineCase& ec : kEngineCases) {
        SCOPED_TRACE(ec.name);
        TempDir dir;
        EngineRun one;
        RunEngineCase(ec, 1, dir, one);
        for (int threads : {2, 3}) {
            EngineRun more;
            RunEngineCase(ec, threads, dir, more);
            EXPECT_EQ(more.report, one.report) << threads << " threads";
            EXPECT_EQ(more.sink.messages, one.sink.messages) << threads << " threads";
            EXPECT_EQ(more.sink.lines, one.sink.lines) << threads << " threads";
        }
    }
}

// Through the command-line runner: the report is written, the message goes to
// standard error and the exit status is 0.
TEST(ClosedInSearch, CommandLineRunGivesTheReport) {
    TempDir dir;
    const EngineCase& ec = kEngineCases[0];
    WriteEngineCase(ec, dir);
    WriteFile(dir.File("case.out"), "previous report\r\n");
    const test::CliResult result = test::RunCli({"run", "case.inp"}, dir.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "case.out\n");
    EXPECT_NE(result.err.find(" The midway head came within "), std::string::npos) << result.err;
    EXPECT_NE(test::ValueAfter(ReadFile(dir.File("case.out")), ec.resultLabel), "");
}

}  // namespace
}  // namespace pelorin
