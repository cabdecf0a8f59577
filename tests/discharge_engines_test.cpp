// The discharge engines: the Darcy discharge against the closed form, the
// energy search ending on the required depth, the progress lines by spacing
// class, the result block, and the orderly end of searches that cannot end.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "Bisection.h"
#include "Engines.h"
#include "InputChecks.h"
#include "NumberFormat.h"
#include "RunError.h"
#include "RunSink.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ExpectResultLabels;
using test::ReadFile;
using test::ResultBlock;
using test::TempDir;
using test::WriteCase;
using test::WriteFile;

// Discharge inputs in file order.
struct DischargeInput {
    double Dm, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S;
    std::vector<double> Values() const {
        return {Dm, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S};
    }
};

using Engine = EngineReport (*)(DrainageCase&, RunSink&, int threads);

DrainageCase LoadDischargeCase(const TempDir& dir, const std::string& name,
                               const DischargeInput& in) {
    DrainageCase c;
    c.InputFileName = dir.File(name);
    const std::vector<std::string> errors = test::LoadAndCheck(CalcAim::Discharge, in.Values(), c);
    EXPECT_TRUE(errors.empty()) << test::Lines(errors);
    return c;
}

// Counts the polls for a stop request and can ask for a stop at one of them.
class PollingSink : public RecordingSink {
  public:
    bool StopRequested() override {
        ++polls;
        return stopAtPoll > 0 && polls >= stopAtPoll;
    }
    int polls = 0;
    int stopAtPoll = 0;
};

// The discharge that R·S² = 8·KD·(H − h0) + 4·Ka·(H² − h0²) gives for the
// head H, with h0 = R·S·E and KD = Kb1·Thick1 + Kb2·Thick2: the positive root
// of 4·Ka·(S·E)²·R² + (S² + 8·KD·S·E)·R − (8·KD·H + 4·Ka·H²) = 0.
double ClosedFormDischarge(const DrainageCase& c) {
    const double H = c.TargetHead;
    const double KD = c.Kb1 * c.Thick1 + c.Kb2 * c.Thick2;
    const double a = 4 * c.Ka * (c.S * c.E) * (c.S * c.E);
    const double b = c.S * c.S + 8 * KD * c.S * c.E;
    const double rhs = 8 * KD * H + 4 * c.Ka * H * H;
    return 2 * rhs / (b + std::sqrt(b * b + 4 * a * rhs));
}

// With the drain bottom at or below D2 the transmissivity is Ka·h + KD at
// every distance. The search ends within 0.0001 m of the head (below 0.02 %
// of these heads) and its step of 0.001 m misses only the first step at the
// pipe (a head of R·L·0.001/KD, some 0.01 %), so 0.2 % is ample.
TEST(DarDiscTest, DischargeAgreesWithClosedFormWhenFlowZoneDoesNotMatter) {
    const struct {
        const char* name;
        DischargeInput in;
    } cases[] = {
        {"two layers, drain at D2", {1.0, 2.0, 4.0, 1.8, 4.0, 0, 0, 0.3, 0.5, 0.5, 1.2, 1.2, 30}},
        {"one layer, ditch below it, entrance resistance",
         {0.6, 3.0, 3.0, 1.2, 3.1, 0.8, 1.0, 0.8, 1.5, 0.2, 0, 0, 50}},
        {"thin layers, the soil above drain level carries most",
         {1.3, 2.0, 2.4, 1.9, 2.5, 0.2, 0, 2.0, 0.1, 0.1, 3.0, 0.5, 16}},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        TempDir dir;
        DrainageCase c = LoadDischargeCase(dir, "case.inp", tc.in);
        RecordingSink sink;
        DarDisc(c, sink);
        const double expected = ClosedFormDischarge(c);
        EXPECT_NEAR(c.R, expected, 0.002 * expected);
    }
}

// The energy search ends on its own march head, so the energy depth that it
// reports lies within the tolerance of Dm; the depth printed is that head's.
TEST(EneDiscTest, EnergyMidwayDepthMeetsTheRequiredDepth) {
    const DischargeInput cases[] = {
        {0.8, 3.0, 6.0, 1.5, 2.1, 0.8, 1.2, 0.5, 0.8, 0.5, 1.2, 1.2, 50},
        {1.0, 2.5, 5.0, 1.8, 1.9, 0, 0, 0.4, 0.6, 0.3, 1.5, 0.8, 36},
    };
    for (const DischargeInput& in : cases) {
        TempDir dir;
        DrainageCase c = LoadDischargeCase(dir, "case.inp", in);
        RecordingSink sink;
        const std::string report = EneDisc(c, sink).Text;
        EXPECT_LT(std::fabs(c.MarchHead - c.TargetHead), 0.0001);
        const std::string depth = FormatFixed(c.Dw - c.MarchHead, 8, 3);
        EXPECT_NE(report.find(" Midway W.T. depth (energy, m) is: " + depth), std::string::npos);
        EXPECT_EQ(depth, FormatFixed(in.Dm, 8, 3));
    }
}

TEST(DischargeEnginesTest, ProgressLinesFollowTheSpacingClass) {
    const struct {
        Engine engine;
        const char* name;
        double S;
        const char* lines;
    } cases[] = {
        {DarDisc, "DarDisc", 20, " Still working ...\n"},
        {DarDisc, "DarDisc", 60, " Still working ...\n"},
        {DarDisc, "DarDisc", 120, " Still working ...\n Almost done .....\n"},
        {EneDisc, "EneDisc", 20, " Still working ...\n"},
        {EneDisc, "EneDisc", 120, " Still working ...\n"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(std::string(tc.name) + " S = " + std::to_string(tc.S));
        TempDir dir;
        DrainageCase c = LoadDischargeCase(
            dir, "case.inp", {1.0, 5.0, 5.0, 1.8, 5.2, 0, 0, 1.0, 3.0, 3.0, 0, 0, tc.S});
        RecordingSink sink;
        tc.engine(c, sink, 1);
        EXPECT_EQ(sink.lines, tc.lines);
        EXPECT_TRUE(sink.messages.empty());
    }
}

// Both result blocks, word for word: DarDisc has two blanks after "head" and
// "depth" and lists Darcy first, EneDisc one blank and energy first.
TEST(DischargeEnginesTest, ResultBlocksKeepTheirOwnWording) {
    const DischargeInput in{1.0, 2.5, 5.0, 1.8, 1.9, 0, 0, 0.4, 0.6, 0.3, 1.5, 0.8, 36};
    const struct {
        Engine engine;
        std::vector<std::string> labels;
    } cases[] = {
        {DarDisc,
         {" #", " Drain discharge (Darcy, m/day) is: ", "",
          " Midway hydr. head  (Darcy,  m) is: ", " Midway hydr. head  (energy, m) is: ",
          " Midway W.T. depth  (Darcy,  m) is: ", " Midway W.T. depth  (energy, m) is: ", " #"}},
        {EneDisc,
         {" #", " The discharge (energy, m/day) is: ", "",
          " Midway hydr. head (energy, m) is: ", " Midway hydr. head (Darcy,  m) is: ",
          " Midway W.T. depth (energy, m) is: ", " Midway W.T. depth (Darcy,  m) is: ", " #"}},
    };
    for (const auto& tc : cases) {
        TempDir dir;
        DrainageCase c = LoadDischargeCase(dir, "case.inp", in);
        RecordingSink sink;
        const std::string reportText = tc.engine(c, sink, 1).Text;
        const std::vector<std::string> block = ResultBlock(reportText);
        ExpectResultLabels(block, tc.labels);
        if (HasFatalFailure()) return;
        EXPECT_EQ(block[1].substr(block[1].size() - 8), FormatFixed(c.R, 8, 5));
    }
}

// Cases whose search cannot meet the tolerance end with a message, quickly
// and within a few dozen trials, and leave the previous report as it was.
TEST(DischargeEnginesTest, SearchesThatCannotEndStopInAnOrderlyWay) {
    const struct {
        const char* name;
        Engine engine;
        DischargeInput in;
        const char* reason;
    } cases[] = {
        {"spacing inside the water body (Darcy)",
         DarDisc,
         {1.0, 3, 5, 1.5, 2.0, 0, 2.0, 0.5, 0.5, 0.5, 1, 1, 1.5},
         "no room for a single step"},
        {"spacing inside the water body (energy)",
         EneDisc,
         {1.0, 3, 5, 1.5, 2.0, 0, 2.0, 0.5, 0.5, 0.5, 1, 1, 1.5},
         "no room for a single step"},
        {"missing spacing",
         DarDisc,
         {1.0, 3, 5, 1.5, 2.0, 0, 0, 0.5, 0.5, 0.5, 1, 1, 0},
         "no room for a single step"},
        {"tight soil, least discharge too much (Darcy)",
         DarDisc,
         {1.79, 2.8, 2.8, 1.8, 1.9, 0, 0, 0.01, 0.01, 0.01, 0, 0, 200},
         "least discharge tried"},
        {"tight soil, least discharge too much (energy)",
         EneDisc,
         {1.79, 2.8, 2.8, 1.8, 1.9, 0, 0, 0.01, 0.01, 0.01, 0, 0, 200},
         "least discharge tried"},
        {"open soil, greatest discharge too little (Darcy)",
         DarDisc,
         {0.8, 11.8, 11.8, 1.8, 1.9, 0, 0, 100, 100, 100, 0, 0, 10},
         "greatest discharge tried"},
        {"open soil, greatest discharge too little (energy)",
         EneDisc,
         {0.8, 11.8, 11.8, 1.8, 1.9, 0, 0, 100, 100, 100, 0, 0, 10},
         "greatest discharge tried"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        TempDir dir;
        DrainageCase c = LoadDischargeCase(dir, "case.inp", tc.in);
        WriteFile(dir.File("case.out"), "previous report\r\n");
        PollingSink sink;
        const auto start = std::chrono::steady_clock::now();
        try {
            tc.engine(c, sink, 1);
            ADD_FAILURE() << "the search should have failed";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Kind(), Fault::SearchFailed);
            const std::string message = error.what();
            EXPECT_TRUE(message.starts_with(" The drain discharge could not be found: "))
                << message;
            EXPECT_NE(message.find(tc.reason), std::string::npos) << message;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed.count(), 10.0);
        EXPECT_LT(sink.polls, 200 * 24) << "trials and marches";
        EXPECT_EQ(ReadFile(dir.File("case.out")), "previous report\r\n");
        EXPECT_FALSE(std::filesystem::exists(dir.File("case.out.part")));
    }
}

TEST(DischargeEnginesTest, StopRequestEndsTheSearchAndKeepsTheOldReport) {
    for (Engine engine : {DarDisc, EneDisc}) {
        TempDir dir;
        DrainageCase c = LoadDischargeCase(
            dir, "case.inp", {1.0, 2.5, 5.0, 1.8, 1.9, 0, 0, 0.4, 0.6, 0.3, 1.5, 0.8, 36});
        WriteFile(dir.File("case.out"), "previous report\r\n");
        PollingSink sink;
        sink.stopAtPoll = 4;
        try {
            engine(c, sink, 1);
            ADD_FAILURE() << "the run should have been cancelled";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Kind(), Fault::Cancelled);
        }
        EXPECT_EQ(sink.polls, 4);
        EXPECT_EQ(ReadFile(dir.File("case.out")), "previous report\r\n");
    }
}

// A judgement whose answer the tolerance cannot pin down (it jumps at 0.3):
// the bisection closes in on the jump and stops once the trial no longer
// moves, after about as many steps as a double has bits.
TEST(SearchBracketTest, BisectionStopsWhenTheTrialNoLongerMoves) {
    SearchBracket bracket{0.0001, 10};
    double trial = bracket.low;
    int steps = 0;
    while (NarrowSearch(bracket, trial, trial < 0.3)) ++steps;
    EXPECT_LT(steps, 80);
    EXPECT_NEAR(trial, 0.3, 1e-15);
    EXPECT_EQ(StallOf(bracket), SearchStall::ClosedIn);

    SearchBracket low{0.0001, 10};
    double lowTrial = low.low;
    EXPECT_FALSE(NarrowSearch(low, lowTrial, false)) << "the first trial is the low end";
    EXPECT_EQ(StallOf(low), SearchStall::BelowBracket);

    SearchBracket high{0.0001, 10};
    double highTrial = high.low;
    steps = 0;
    while (NarrowSearch(high, highTrial, true)) ++steps;
    EXPECT_LT(steps, 80);
    EXPECT_NEAR(highTrial, 10, 1e-14);
    EXPECT_EQ(StallOf(high), SearchStall::AboveBracket);
}

}  // namespace
}  // namespace pelorin
