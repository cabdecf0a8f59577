// A stop request reaches every engine wherever its run stands: the searches
// look at it before every trial, the midway-head bisections after every march,
// and the marches and the profile every 100 000 steps, so that no more than
// that many steps are marched between a request and the end of the run.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "CaseFiles.h"
#include "DrainageCase.h"
#include "Engines.h"
#include "InputChecks.h"
#include "ProfileRoutine.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "RunSink.h"
#include "StandardCase.h"
#include "StopToken.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Counts its polls and answers yes from poll `stopAtPoll` on (never when 0).
// Given the case the run works on (one thread), it also notes the assumed
// midway heads the polls come at: a bisection that looks between its marches
// is seen at each of them.
class CountingSink : public RecordingSink {
  public:
    CountingSink() = default;
    explicit CountingSink(const DrainageCase& c) : case_(&c) {}

    bool StopRequested() override {
        ++polls;
        if (case_ != nullptr) assumedHeads.insert(case_->EnergyMidHead);
        return stopAtPoll > 0 && polls >= stopAtPoll;
    }
    std::int64_t polls = 0;
    std::int64_t stopAtPoll = 0;
    std::set<double> assumedHeads;

  private:
    const DrainageCase* case_ = nullptr;
};

// The polls a loop over the steps from..to makes: one at each multiple of
// 100 000 that it passes, before the step there.
std::int64_t ExpectedPolls(std::int64_t from, std::int64_t to) {
    std::int64_t polls = 0;
    for (std::int64_t k = kStepsBetweenStopChecks; k <= to; k += kStepsBetweenStopChecks)
        if (k > from) ++polls;
    return polls;
}

// A case whose energy march runs to its end: no recharge, and the assumed
// midway head at the entrance head, so every step keeps the head.
DrainageCase FlatCase(double halfSpacing) {
    DrainageCase c = test::StandardCase(halfSpacing, 0.00001);
    c.R = 0;
    c.E = 0;
    c.EntranceHead = 0.5;
    return c;
}

// Marches of every length look at the token at each multiple of 100 000 steps
// and nowhere else, so at most 100 000 steps lie between two looks; a request
// seen at look k ends the march there.
TEST(StopChecks, MarchesLookEvery100000Steps) {
    for (const double L : {0.5, 0.99999, 1.00001, 3.7, 12.0}) {
        SCOPED_TRACE(L);
        DrainageCase c = FlatCase(L);
        const std::int64_t last = static_cast<std::int64_t>(std::nearbyint(L / c.p));
        const std::int64_t expected = ExpectedPolls(c.FirstStep, last);
        CountingSink darcy;
        MarchDarcy(c, L, StopToken(darcy));
        EXPECT_EQ(darcy.polls, expected);
        CountingSink energy;
        MarchEnergy(c, L, 0.5, StopToken(energy));
        EXPECT_EQ(c.MarchStoppedAt, last) << "the flat march runs to its end";
        EXPECT_EQ(energy.polls, expected);
        if (expected < 2) continue;
        CountingSink stopping;
        stopping.stopAtPoll = expected - 1;
        c.MarchHead = -1;
        EXPECT_THROW(MarchDarcy(c, L, StopToken(stopping)), RunError);
        EXPECT_EQ(stopping.polls, expected - 1);
        EXPECT_EQ(c.MarchHead, -1) << "a cancelled march leaves the case as it was";
    }
}

// The profile, up to 1e8 steps: both tables and the guarded rerun that finds
// a fault look every 100 000 steps.
TEST(StopChecks, ProfileLooksEvery100000Steps) {
    for (const double L : {5.0, 1000.0}) {
        SCOPED_TRACE(L);
        DrainageCase c = test::StandardCase(L, 0.00001);
        c.EnergyMidHead = 0.5;
        const std::int64_t last = static_cast<std::int64_t>(std::nearbyint(L / 0.00001));
        const std::int64_t expected = ExpectedPolls(c.FirstStep, last);
        CountingSink stopping;
        stopping.stopAtPoll = expected / 2;
        ReportWriter report;
        try {
            WriteProfile(c, report, StopToken(stopping));
            ADD_FAILURE() << "the profile should have been cancelled";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Kind(), Fault::Cancelled);
        }
        EXPECT_EQ(stopping.polls, expected / 2);
        EXPECT_TRUE(report.Contents().empty()) << "no row is written before the loop ends";
    }
    DrainageCase c = test::StandardCase(5.0, 0.00001);
    c.EnergyMidHead = 0.5;
    CountingSink counting;
    ReportWriter report;
    WriteProfile(c, report, StopToken(counting));
    EXPECT_EQ(counting.polls, ExpectedPolls(c.FirstStep, 500000));
}

// The bisection looks after every march that does not end it, before its
// progress call, and its marches look every 100 000 steps.
TEST(StopChecks, BisectionLooksBetweenMarches) {
    DrainageCase c = test::StandardCase(0.5, 0.00001);  // 50 000 steps a march
    CountingSink sink;
    int progressCalls = 0;
    SolveEnergyMidHead(
        c, c.HalfSpacing, 500, 1000,
        [&](double) {
            ++progressCalls;
            EXPECT_EQ(sink.polls, progressCalls) << "the look comes first";
        },
        RunContext{StopToken(sink), 1});
    EXPECT_EQ(progressCalls, 23);
    EXPECT_EQ(sink.polls, 23);
}

// Work run ahead stops when the search abandons it, and with the run.
TEST(StopChecks, TokenOfWorkRunAhead) {
    CountingSink sink;
    const StopToken run(sink);
    std::atomic<bool> abandoned{false};
    const StopToken ahead(run, abandoned);
    EXPECT_FALSE(ahead.Requested());
    abandoned = true;
    EXPECT_TRUE(ahead.Requested());
    abandoned = false;
    sink.stopAtPoll = 1;
    EXPECT_TRUE(ahead.Requested());
    EXPECT_FALSE(StopToken().Requested());
}

// ---------------------------------------------------------------------------
// Every engine, cancelled at polls spread over its whole run: searches,
// bisections and profile alike.

struct EngineCase {
    const char* name;
    CalcAim aim;
    const char* aimCode;
    const char* method;
    EngineReport (*engine)(DrainageCase&, RunSink&, int threads);
    std::vector<double> values;
};

const std::vector<double> kLayered = {0.007, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0};

std::vector<double> With(std::vector<double> values, double last, double first = -1) {
    values.push_back(last);
    if (first >= 0) values[0] = first;
    return values;
}

const std::vector<double> kConductivity = {0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 60, 0, 0, 0, 0, 0};

const EngineCase kEngines[] = {
    {"DarSpac", CalcAim::Spacing, "Spa", "Dar", DarSpac, With(kLayered, 0.7)},
    {"EneSpac", CalcAim::Spacing, "Spa", "Ene", EneSpac, With(kLayered, 0.7)},
    {"DarDisc", CalcAim::Discharge, "Dis", "Dar", DarDisc, With(kLayered, 60, 0.7)},
    {"EneDisc", CalcAim::Discharge, "Dis", "Ene", EneDisc, With(kLayered, 60, 0.7)},
    {"HydrHead", CalcAim::WaterTableDepth, "Hyd", "Ene", HydrHead, With(kLayered, 60)},
    {"DarCond", CalcAim::Conductivity, "Con", "Dar", DarCond, kConductivity},
    {"EneCond", CalcAim::Conductivity, "Con", "Ene", EneCond, kConductivity},
};

DrainageCase Loaded(const EngineCase& ec, const TempDir& dir) {
    DrainageCase c;
    c.InputFileName = dir.File("case.inp");
    c.Method = MethodFromCode(ec.method);
    EXPECT_TRUE(test::LoadAndCheck(ec.aim, ec.values, c).empty());
    return c;
}

TEST(StopChecks, EveryEngineStopsAtTheLookWhereTheRequestIsSeen) {
    for (const EngineCase& ec : kEngines) {
        SCOPED_TRACE(ec.name);
        TempDir dir;
        DrainageCase full = Loaded(ec, dir);
        CountingSink whole(full);
        ec.engine(full, whole, 1);
        ASSERT_GT(whole.polls, 20) << "a run long enough to be cancelled in each of its parts";
        EXPECT_GE(whole.assumedHeads.size(), 23u) << "every march of a bisection but its last";
        for (const std::int64_t at :
             {std::int64_t{1}, whole.polls / 3, 2 * whole.polls / 3, whole.polls}) {
            SCOPED_TRACE(at);
            DrainageCase c = Loaded(ec, dir);
            WriteFile(dir.File("case.out"), "previous report\r\n");
            CountingSink sink;
            sink.stopAtPoll = at;
            try {
                ec.engine(c, sink, 1);
                ADD_FAILURE() << "the run should have been cancelled";
            } catch (const RunError& error) {
                EXPECT_EQ(error.Kind(), Fault::Cancelled);
            }
            EXPECT_EQ(sink.polls, at) << "no further look, no further work";
            EXPECT_EQ(ReadFile(dir.File("case.out")), "previous report\r\n");
            EXPECT_FALSE(std::filesystem::exists(dir.File("case.out.part")));
        }
    }
}

// The user asks for the stop while a message of the run waits for an answer,
// after the last march: the run still ends cancelled, before its report is in
// place. The water table of this case rises above the soil surface, which the
// water-table-depth engine says after its profile.
class StopAtMessageSink : public RecordingSink {
  public:
    void ShowMessage(const std::string& message) override {
        RecordingSink::ShowMessage(message);
        stopped = true;
    }
    bool StopRequested() override { return stopped; }
    bool stopped = false;
};

TEST(StopChecks, AStopAskedWhileTheLastMessageWaitsKeepsThePreviousReport) {
    TempDir dir;
    const std::string input =
        test::WriteCase(dir.Path() / "wet.inp", "Hyd", "Ene",
                        {0.02, 1.5, 1.5, 1.0, 1.1, 0, 0, 0.1, 0.1, 0.1, 0, 0, 20});
    WriteFile(dir.File("wet.out"), "previous report\r\n");
    StopAtMessageSink sink;
    FileRunOptions options;
    options.ErrorListFile = dir.File("Error.lst");
    const FileRun run = RunInputFile(input, sink, options);
    EXPECT_TRUE(run.Outcome.Cancelled());
    EXPECT_EQ(run.Outcome.Report, "");
    EXPECT_EQ(sink.messages, " Watertable above soil surface, adjust the data.\n");
    EXPECT_EQ(ReadFile(dir.File("wet.out")), "previous report\r\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_FALSE(entry.path().extension() == ".part") << entry.path() << " was left";
}

}  // namespace
}  // namespace pelorin
