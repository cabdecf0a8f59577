#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "CaseFiles.h"
#include "DrainageCase.h"
#include "Engines.h"
#include "InputChecks.h"
#include "NumberFormat.h"
#include "ProfileRoutine.h"
#include "RunError.h"
#include "RunSink.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::ResultBlock;
using test::SplitCrLf;
using test::TempDir;
using test::ValueAfter;
using test::WriteCase;
using test::WriteFile;

struct SpacingInput {
    const char* name;
    double R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm;

    std::vector<double> Values() const {
        return {R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm};
    }
};

struct SpacingRun {
    CaseOutcome outcome;
    std::string report;
    RecordingSink sink;
};

// Writes the case as an input file in a fresh folder and runs it as the
// program does: the spacing check, then the engine of the method.
void RunSpacing(const SpacingInput& in, CalcMethod method, const TempDir& dir, SpacingRun& run) {
    const std::string input = WriteCase(dir.File("case.inp"), "Spa",
                                        method == CalcMethod::Darcy ? "Dar" : "Ene", in.Values());
    FileRunOptions options;
    options.ErrorListFile = dir.File("Error.lst");
    run.outcome = RunInputFile(input, run.sink, options).Outcome;
    ASSERT_EQ(run.outcome.End, CaseEnd::Reported) << in.name << run.outcome.FailureMessage;
    run.report = ReadFile(dir.File("case.out"));
}

const char* const kDarcySpacing = " The drain spacing (Darcy,  m) is: ";
const char* const kEnergySpacing = " The drain spacing (energy, m) is: ";
const char* const kShortMessage = " Dw-Dm is less than 0.2. The drain spacing will be short.";

std::string Fixed(double value, int decimals) { return FormatFixed(value, 8, decimals); }

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// R·S² over 8·KD·(H − h0) + 4·Ka·(H² − h0²), KD = Kb1·Thick1 + Kb2·Thick2 with
// the conductivities that the check leaves.
double HooghoudtRatio(const SpacingInput& in, double Kb1, double Kb2, double S) {
    const double H = in.Dw - in.Dm;
    const double h0 = in.R * S * in.E;
    const double KD = Kb1 * (in.D1 - in.Dw) + Kb2 * (in.D2 - in.D1);
    return in.R * S * S / (8 * KD * (H - h0) + 4 * in.Ka * (H * H - h0 * h0));
}

// ---------------------------------------------------------------------------
// The bisection written out literally, built from the public marches.

struct SearchEnd {
    double halfSpacing;
    double low;
    double energyHead;       // the energy-balance search: the head of its last march
    int trials = 0;          // the energy-balance search: trials run
    int firstNearTrial = 0;  // the first trial within 0.01 m of the target
};

DrainageCase Prepared(DrainageCase c, double& L, double& low) {
    PrepareFlowGeometry(c);
    c.p = 0.01;
    c.FirstStep = std::max(2, static_cast<int>(std::nearbyint(c.HalfWidth / 0.01)) + 1);
    low = c.HalfWidth;
    L = c.HalfWidth;
    if (c.Dw - c.Dm < 0.2) {
        c.p = 0.0001;
        L = 0.01;
    }
    c.MarchHead = 0;
    c.MarchGradient = 0;
    return c;
}

SearchEnd LiteralDarcySearch(const DrainageCase& checked) {
    double L = 0, low = 0, high = 1000;
    DrainageCase c = Prepared(checked, L, low);
    for (;;) {
        c.EntranceHead = 2 * c.R * L * c.E;
        const double head = MarchDarcy(c, L);
        if (std::fabs(head - c.TargetHead) < 0.0001) return {L, low, 0, 0, 0};
        if (head < c.TargetHead) {
            low = L;
            L = (L + high) * 0.5;
        } else {
            high = L;
            L = (L + low) * 0.5;
        }
    }
}

SearchEnd LiteralEnergySearch(const DrainageCase& checked) {
    double L = 0, low = 0, high = 1000;
    int trials = 0, firstNear = 0;
    DrainageCase c = Prepared(checked, L, low);
    for (;;) {
        ++trials;
        c.MarchHead = 0;
        c.MarchGradient = 0;
        c.EntranceHead = 2 * c.R * L * c.E;
        const double H = SolveEnergyMidHead(c, L);
        if (firstNear == 0 && std::fabs(H - c.TargetHead) < 0.01) firstNear = trials;
        if (std::fabs(H - c.TargetHead) < 0.0001) return {L, low, H, trials, firstNear};
        if (c.EnergyMidHead < c.TargetHead) {
            low = L;
            L = (L + high) * 0.5;
        } else {
            high = L;
            L = (L + low) * 0.5;
        }
    }
}

// The case as the spacing check leaves it, before any engine touched it.
DrainageCase Checked(const SpacingInput& in) {
    DrainageCase c;
    c.Method = CalcMethod::Darcy;
    EXPECT_TRUE(test::LoadAndCheck(CalcAim::Spacing, in.Values(), c).empty());
    return c;
}

// ---------------------------------------------------------------------------
// Drains whose bottom reaches D2: the Darcy march integrates
// dh/dx = R·(L − x)/(Ka·h + KD), KD = Kb1·Thick1 + Kb2·Thick2, from h0 = R·S·E
// at the drain to H = Dw − Dm midway, so that
// R·S² = 8·KD·(H − h0) + 4·Ka·(H² − h0²).

const std::vector<SpacingInput> kBottomAtD2 = {
    // name            R     D1   D2   Dw   Db   E    W    Ka   Kb1  Kv1  Kb2  Kv2  Dm
    {"TwoLayers", 0.005, 1.5, 3.0, 1.0, 3.0, 0.0, 0.0, 0.2, 0.5, 0.5, 1.2, 0.8, 0.5},
    {"WithEntrance", 0.005, 1.5, 3.0, 1.0, 3.0, 0.5, 0.0, 0.2, 0.5, 0.5, 1.2, 0.8, 0.5},
    {"DitchBelowD2", 0.007, 1.5, 3.5, 1.0, 4.0, 0.3, 1.5, 0.3, 0.8, 0.4, 1.0, 0.5, 0.4},
    {"ThinLayersHighKa", 0.004, 1.2, 1.4, 1.0, 1.4, 0.0, 0.0, 2.0, 0.5, 0.5, 0.5, 0.5, 0.3},
    {"DeepSecondLayer", 0.008, 1.4, 4.0, 1.2, 4.0, 1.0, 0.0, 0.1, 0.3, 0.3, 2.0, 1.0, 0.3},
    {"AnisotropicLayers", 0.003, 1.6, 2.6, 0.9, 2.6, 0.2, 0.4, 0.25, 1.2, 0.05, 0.6, 0.01, 0.45},
};

class HooghoudtCheck : public ::testing::TestWithParam<SpacingInput> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const SpacingInput& k) { return out << k.name; }

TEST_P(HooghoudtCheck, DarcySpacingSatisfiesTheClosedForm) {
    const SpacingInput& in = GetParam();
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::Darcy, dir, run);
    // The search ends within 0.0001 m of the target at the final half spacing,
    // and that spacing is the one printed.
    const double S = 2 * run.outcome.Case.HalfSpacing;
    EXPECT_NEAR(HooghoudtRatio(in, in.Kb1, in.Kb2, S), 1.0, 0.002) << "S = " << S;
    const double printed = std::stod(ValueAfter(run.report, kDarcySpacing));
    EXPECT_NEAR(printed, S, 0.005);
}

// The printed spacing is twice the half spacing whose midway head met the
// tolerance, and the search ends where the stated bisection ends.
TEST_P(HooghoudtCheck, DarcyPrintsTwiceTheHalfSpacingFound) {
    const SpacingInput& in = GetParam();
    const SearchEnd expected = LiteralDarcySearch(Checked(in));
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::Darcy, dir, run);
    EXPECT_EQ(run.outcome.Case.HalfSpacing, expected.halfSpacing);
    EXPECT_EQ(ValueAfter(run.report, kDarcySpacing), Trimmed(Fixed(2 * expected.halfSpacing, 2)));
    EXPECT_TRUE(run.sink.messages.empty()) << run.sink.messages;
    EXPECT_TRUE(run.sink.lines.empty()) << run.sink.lines;
}

TEST_P(HooghoudtCheck, EnergyBalanceEndsWhereItsBisectionEnds) {
    const SpacingInput& in = GetParam();
    const SearchEnd expected = LiteralEnergySearch(Checked(in));
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::EnergyBalance, dir, run);
    const DrainageCase& c = run.outcome.Case;
    EXPECT_EQ(c.HalfSpacing, expected.halfSpacing);
    const std::vector<std::string> expectedBlock = {
        " #",
        kEnergySpacing + Fixed(2 * expected.halfSpacing, 2),
        "",
        " Midway hydr. head (energy, m) is: " + Fixed(expected.energyHead, 3),
        " Midway hydr. head (Darcy,  m) is: " + Fixed(c.FStar, 3),
        " Midway W.T. depth (energy, m) is: " + Fixed(in.Dw - expected.energyHead, 3),
        " Midway W.T. depth (Darcy,  m) is: " + Fixed(in.Dw - c.FStar, 3),
        " #"};
    EXPECT_EQ(ResultBlock(run.report), expectedBlock);
    EXPECT_NEAR(expected.energyHead, in.Dw - in.Dm, 0.0001);
    EXPECT_EQ(run.sink.lines, " Still working ...\n") << "added once, and only by EneSpac";
    EXPECT_TRUE(run.sink.messages.empty()) << run.sink.messages;
}

INSTANTIATE_TEST_SUITE_P(BottomAtD2, HooghoudtCheck, ::testing::ValuesIn(kBottomAtD2),
                         [](const auto& info) { return std::string(info.param.name); });

// Twice the low end of the final bracket differs from twice the final half
// spacing in at least one of the cases above, so the printed value tells which
// of the two the report gives.
TEST(DarSpac, LowEndAndFinalHalfSpacingDifferInPrint) {
    int differing = 0;
    for (const SpacingInput& in : kBottomAtD2) {
        const SearchEnd end = LiteralDarcySearch(Checked(in));
        EXPECT_LE(end.low, end.halfSpacing) << in.name;
        if (Fixed(2 * end.low, 2) != Fixed(2 * end.halfSpacing, 2)) ++differing;
    }
    EXPECT_GT(differing, 0);
}

TEST(DarSpac, ResultBlockHoldsTheProfileValues) {
    const SpacingInput in = kBottomAtD2[1];
    const SearchEnd expected = LiteralDarcySearch(Checked(in));
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::Darcy, dir, run);
    const DrainageCase& c = run.outcome.Case;
    const std::vector<std::string> expectedBlock = {
        " #",
        kDarcySpacing + Fixed(2 * expected.halfSpacing, 2),
        "",
        " Midway hydr. head (Darcy,  m) is: " + Fixed(c.FStar, 3),
        " Midway hydr. head (energy, m) is: " + Fixed(c.F, 3),
        " Midway W.T. depth (Darcy,  m) is: " + Fixed(in.Dw - c.FStar, 3),
        " Midway W.T. depth (energy, m) is: " + Fixed(in.Dw - c.EnergyMidHead, 3),
        " #"};
    EXPECT_EQ(ResultBlock(run.report), expectedBlock);
    // the fine profile ends at the midpoint, near the required head
    EXPECT_EQ(c.X, c.LastStep * 0.00001);
    EXPECT_NEAR(c.FStar, in.Dw - in.Dm, 0.02);
}

// The drain's width plays no part once its bottom reaches D2: the half width
// becomes 0 and the whole run is that of a pipe drain.
TEST(SpacingEngines, WidthOfADrainBelowD2PlaysNoPart) {
    for (CalcMethod method : {CalcMethod::Darcy, CalcMethod::EnergyBalance}) {
        SpacingInput pipe = kBottomAtD2[0];
        SpacingInput ditch = pipe;
        ditch.W = 3.0;
        TempDir dir;  // the same folder, so that the file names agree
        SpacingRun pipeRun, ditchRun;
        RunSpacing(pipe, method, dir, pipeRun);
        RunSpacing(ditch, method, dir, ditchRun);
        const std::vector<std::string> pipeLines = SplitCrLf(pipeRun.report);
        const std::vector<std::string> ditchLines = SplitCrLf(ditchRun.report);
        ASSERT_EQ(pipeLines.size(), ditchLines.size());
        for (std::size_t k = 0; k < pipeLines.size(); ++k) {
            if (k == 24) {  // the echo of W
                EXPECT_EQ(ditchLines[k].substr(60), "     3.000");
                continue;
            }
            EXPECT_EQ(pipeLines[k], ditchLines[k]) << "line " << k + 1;
        }
        EXPECT_EQ(ditchRun.outcome.Case.HalfWidth, 0.0);
        EXPECT_EQ(ditchRun.outcome.Case.FirstStep, 2);
    }
}

// ---------------------------------------------------------------------------
// Short spacings

// R 0.01, Ka 0.5, KD 0.34, H 0.2: S near 8 m
const SpacingInput kShort = {"Short", 0.01, 1.5, 2.0, 1.2, 2.0, 0.0,
                             0.0,     0.5,  0.3, 0.3, 0.5, 0.5, 1.0};

TEST(DarSpac, ShortTargetHeadWarnsAndSearchesWithTheFineStep) {
    ASSERT_LT(1.2 - 1.0, 0.2) << "the doubles 1.20 and 1.00 differ by just under 0.2";
    TempDir dir;
    SpacingRun run;
    RunSpacing(kShort, CalcMethod::Darcy, dir, run);
    EXPECT_EQ(run.sink.messages, std::string(kShortMessage) + "\n");
    const DrainageCase& c = run.outcome.Case;
    const SearchEnd expected = LiteralDarcySearch(Checked(kShort));
    EXPECT_EQ(c.HalfSpacing, expected.halfSpacing);
    const double S = 2 * c.HalfSpacing;
    EXPECT_NEAR(HooghoudtRatio(kShort, kShort.Kb1, kShort.Kb2, S), 1.0, 0.002) << "S = " << S;
    EXPECT_EQ(ValueAfter(run.report, kDarcySpacing), Trimmed(Fixed(S, 2)));
}

// A ditch with a short target head: the search keeps the first step of the
// coarse step, so its marches start at X = 101·0.0001 for a ditch 2 m wide.
TEST(DarSpac, ShortDitchKeepsTheCoarseFirstStep) {
    //                          R     D1   D2   Dw   Db   E    W    Ka   Kb1  Kv1  Kb2  Kv2  Dm
    const SpacingInput in = {"ShortDitch", 0.01, 1.8, 2.5, 1.2, 1.5, 0.0,
                             2.0,          0.5,  0.3, 0.3, 0.5, 0.5, 1.0};
    const SearchEnd expected = LiteralDarcySearch(Checked(in));
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::Darcy, dir, run);
    EXPECT_EQ(run.sink.messages, std::string(kShortMessage) + "\n");
    EXPECT_EQ(run.outcome.Case.HalfSpacing, expected.halfSpacing);
    EXPECT_EQ(ValueAfter(run.report, kDarcySpacing), Trimmed(Fixed(2 * expected.halfSpacing, 2)));
    // the profile starts at the half width
    const std::vector<std::string> lines = SplitCrLf(run.report);
    ASSERT_GT(lines.size(), 35u);
    EXPECT_EQ(lines[35].substr(0, 6), "  1.00");
}

// Drains on the impervious base (D1 = D2 = Db): Hooghoudt's equation with
// D = D2 − Dw holds for the printed spacing, and the spacing printed is the
// one whose water table the report tabulates. In the first case the search
// meets the tolerance before the low end of its bracket ever moves from 0; in
// the second the last step of the profile is centred on the midpoint.
TEST(DarSpac, PrintsTheSpacingWhoseWaterTableItTabulates) {
    //                           R      D1   D2   Dw   Db   E  W  Ka     Kb1    Kv1    Kb2    Kv2 Dm
    const SpacingInput cases[] = {
        {"LowEndNeverMoves", 0.001, 4.5, 4.5, 1.5, 4.5, 0, 0, 0.5, 0.5, 0.5, 0.5, 0.5, 0.4},
        {"LastStepOnMidpoint", 0.005, 2.5, 2.5, 1.5, 2.5, 0, 0, 0.502, 0.502, 0.502, 0.502, 0.502,
         0.135},
    };
    for (const SpacingInput& in : cases) {
        SCOPED_TRACE(in.name);
        TempDir dir;
        SpacingRun run;
        RunSpacing(in, CalcMethod::Darcy, dir, run);
        const double printed = std::stod(ValueAfter(run.report, kDarcySpacing));
        EXPECT_NEAR(HooghoudtRatio(in, in.Kb1, in.Kb2, printed), 1.0, 0.002) << printed;
        const std::vector<std::string> lines = SplitCrLf(run.report);
        const auto lastRow = std::find(lines.begin(), lines.end(), " #") - 1;
        const double lastX = std::stod(*lastRow);
        EXPECT_NEAR(printed, 2 * lastX, 0.01);
    }
}

TEST(DarSpac, NoWarningAtATargetHeadOfAtLeast02) {
    SpacingInput in = kShort;
    in.Dm = 0.95;
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::Darcy, dir, run);
    EXPECT_TRUE(run.sink.messages.empty()) << run.sink.messages;

    // 0.45 − 0.25 is exactly the double 0.2: not less than 0.2
    in.Dw = 0.45;
    in.Dm = 0.25;
    ASSERT_EQ(in.Dw - in.Dm, 0.2);
    SpacingRun boundary;
    RunSpacing(in, CalcMethod::Darcy, dir, boundary);
    EXPECT_TRUE(boundary.sink.messages.empty()) << boundary.sink.messages;
}

// The progress line is added before the ending test: a search whose first
// trial within 0.01 m of the target also ends it still shows the line.
TEST(EneSpac, StillWorkingEvenWhenTheFirstNearTrialEndsTheSearch) {
    //                       R      D1   D2   Dw   Db   E    W    Ka   Kb1  Kv1  Kb2  Kv2  Dm
    const SpacingInput in = {"NearAndDone", 0.007, 1.5, 3.0, 1.0, 3.0, 0.5,
                             0.0,           0.3,   0.6, 0.6, 2.0, 2.0, 0.6};
    const SearchEnd search = LiteralEnergySearch(Checked(in));
    ASSERT_EQ(search.firstNearTrial, search.trials)
        << "the case no longer ends at its first near trial";
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::EnergyBalance, dir, run);
    EXPECT_EQ(run.sink.lines, " Still working ...\n");
    EXPECT_EQ(run.outcome.Case.HalfSpacing, search.halfSpacing);
}

// ---------------------------------------------------------------------------
// Layers cut off by the check

TEST(SpacingEngines, EchoTheConductivitiesAsTheCheckLeftThem) {
    SpacingInput in = kBottomAtD2[1];
    in.Kv1 = in.R;  // layer 1 and with it layer 2 carry nothing
    TempDir dir;
    SpacingRun run;
    RunSpacing(in, CalcMethod::Darcy, dir, run);
    const char* kb1 = " Horizontal permeability, 1st soil layer    Kb1  (m/day) :  ";
    const char* kb2 = " Horizontal permeability, 2nd soil layer    Kb2  (m/day) :  ";
    const char* kv1 = " Vertical permeability, 1st soil layer      Kv1  (m/day) :  ";
    EXPECT_EQ(ValueAfter(run.report, kb1), "0.000");
    EXPECT_EQ(ValueAfter(run.report, kb2), "0.000");
    EXPECT_EQ(ValueAfter(run.report, kv1), "0.0050");
    // Only Ka carries flow: R·S² = 4·Ka·(H² − h0²)
    const double S = std::stod(ValueAfter(run.report, kDarcySpacing));
    EXPECT_NEAR(HooghoudtRatio(in, 0.0, 0.0, S), 1.0, 0.05) << "S = " << S;
}

// ---------------------------------------------------------------------------
// A spacing beyond the bracket

// A very permeable soil under a tiny recharge drains so well that even drains
// 2000 m apart keep the water table below Dm.
const SpacingInput kTooPermeable = {"TooPermeable", 0.0001, 2.0,  10.0, 1.0,  10.0, 0.0, 0.0,
                                    50.0,           50.0,   50.0, 50.0, 50.0, 0.0};

// A method as a test parameter, named in the test list.
struct MethodCase {
    CalcMethod method;
    const char* name;
};
std::ostream& operator<<(std::ostream& out, const MethodCase& k) { return out << k.name; }
const MethodCase kMethods[] = {{CalcMethod::Darcy, "Darcy"},
                               {CalcMethod::EnergyBalance, "EnergyBalance"}};
class ImpossibleSpacing : public ::testing::TestWithParam<MethodCase> {};

TEST_P(ImpossibleSpacing, EndsWithASearchFaultAndKeepsTheReport) {
    TempDir dir;
    const bool darcy = GetParam().method == CalcMethod::Darcy;
    const std::string input =
        WriteCase(dir.File("case.inp"), "Spa", darcy ? "Dar" : "Ene", kTooPermeable.Values());
    WriteFile(dir.File("case.out"), "the report of an earlier run\r\n");
    FileRunOptions options;
    options.ErrorListFile = dir.File("Error.lst");
    RecordingSink sink;
    const auto start = std::chrono::steady_clock::now();
    const CaseOutcome outcome = RunInputFile(input, sink, options).Outcome;
    ASSERT_EQ(outcome.End, CaseEnd::Failed) << "the run ended normally";
    EXPECT_EQ(outcome.FailureKind, Fault::SearchFailed);
    const std::string& message = outcome.FailureMessage;
    EXPECT_EQ(message.rfind(" The drain spacing could not be found:", 0), 0u) << message;
    EXPECT_NE(message.find("2000 m"), std::string::npos) << message;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(ReadFile(dir.File("case.out")), "the report of an earlier run\r\n");
    EXPECT_FALSE(test::fs::exists(dir.File("case.out.part")));
}

INSTANTIATE_TEST_SUITE_P(Methods, ImpossibleSpacing, ::testing::ValuesIn(kMethods),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelorin
