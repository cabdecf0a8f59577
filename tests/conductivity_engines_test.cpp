// The conductivity engines: the Darcy conductivity against the closed form,
// the start of the K search, the part the water body plays, the progress
// lines, the result block, and the orderly end of searches that cannot end.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

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

// Conductivity inputs in file order (positions 9 to 13 are not used).
struct ConductivityInput {
    double R, D2, Dw, Db, E, W, Dm, S;
    std::vector<double> Values() const { return {R, D2, Dw, Db, E, W, Dm, S, 0, 0, 0, 0, 0}; }
};

using Engine = EngineReport (*)(DrainageCase&, RunSink&, int threads);

DrainageCase LoadConductivityCase(const TempDir& dir, const std::string& name,
                                  const ConductivityInput& in) {
    DrainageCase c;
    c.InputFileName = dir.File(name);
    const std::vector<std::string> errors =
        test::LoadAndCheck(CalcAim::Conductivity, in.Values(), c);
    EXPECT_TRUE(errors.empty()) << test::Lines(errors);
    return c;
}

// Records the trials of the K search as the engine polls for a stop request
// (before each trial, and between the marches of an energy trial): a trial
// shows as a new conductivity in the case. Can ask for a stop once it has
// seen a given number of trials.
class TrialRecordingSink : public RecordingSink {
  public:
    explicit TrialRecordingSink(const DrainageCase& c) : c_(c) {}
    bool StopRequested() override {
        ++polls;
        if (c_.Ka != 0 && (trials.empty() || trials.back() != c_.Ka)) trials.push_back(c_.Ka);
        return stopAfterTrials > 0 && static_cast<int>(trials.size()) >= stopAfterTrials;
    }
    std::vector<double> trials;
    int polls = 0;
    int stopAfterTrials = 0;

  private:
    const DrainageCase& c_;
};

// The conductivity that R·S² = 8·K·D·(H − h0) + 4·K·(H² − h0²) gives, with
// h0 = R·S·E and D = D1 − Dw, for one isotropic K above and below drain level.
double ClosedFormConductivity(const DrainageCase& c) {
    const double H = c.TargetHead;
    const double h0 = c.R * c.S * c.E;
    return c.R * c.S * c.S / (8 * c.Thick1 * (H - h0) + 4 * (H * H - h0 * h0));
}

// With the drain bottom at or below D1 (= D2 for this aim) the transmissivity
// is K·(h + D1 − Dw) at every distance. The search ends within 0.0001 m of the
// head (below 0.03 % of these heads) and its step of 0.0001 m misses only the
// first step at the pipe, far below that, so 0.2 % is ample.
TEST(DarCondTest, ConductivityAgreesWithClosedFormWhenFlowZoneDoesNotMatter) {
    const struct {
        const char* name;
        ConductivityInput in;
    } cases[] = {
        {"pipe at the bottom of the layer", {0.006, 3.0, 1.5, 3.0, 0, 0, 1.0, 30}},
        {"ditch below the layer, entrance resistance", {0.003, 2.0, 1.2, 2.2, 1.5, 1.5, 0.5, 24}},
        {"thin layer, the soil above drain level carries most",
         {0.012, 1.6, 1.5, 1.7, 0, 0, 0.9, 12}},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        TempDir dir;
        DrainageCase c = LoadConductivityCase(dir, "case.inp", tc.in);
        RecordingSink sink;
        const std::string report = DarCond(c, sink).Text;
        const double expected = ClosedFormConductivity(c);
        EXPECT_NEAR(c.Ka, expected, 0.002 * expected);
        EXPECT_NE(report.find(" The average hydraulic conductivity (Darcy, m/d) is: " +
                              FormatFixed(c.Ka, 8, 3)),
                  std::string::npos);
    }
}

// The first trial is the numeric value of R; the second lies halfway to the
// upper end of the bracket when the soil drains too slowly, else halfway to
// the lower end. Every permeability holds the trial.
TEST(ConductivityEnginesTest, SearchStartsAtRAndMovesTowardsTheRightEnd) {
    const struct {
        Engine engine;
        ConductivityInput in;
        double second;
    } cases[] = {
        {DarCond, {0.006, 3.0, 1.5, 3.0, 0, 0, 1.0, 30}, (0.006 + 1000) / 2},
        {EneCond, {0.006, 3.0, 1.5, 3.0, 0, 0, 1.0, 30}, (0.006 + 1000) / 2},
        {DarCond, {0.02, 2.5, 1.5, 2.5, 0, 0, 1.0, 2}, (0.02 + 0.001) / 2},
    };
    for (const auto& tc : cases) {
        TempDir dir;
        DrainageCase c = LoadConductivityCase(dir, "case.inp", tc.in);
        TrialRecordingSink sink(c);
        sink.stopAfterTrials = 2;
        EXPECT_THROW(tc.engine(c, sink, 1), RunError);
        ASSERT_EQ(sink.trials.size(), 2u);
        EXPECT_EQ(sink.trials[0], tc.in.R);
        EXPECT_EQ(sink.trials[1], tc.second);
        for (double k : {c.Kb1, c.Kv1, c.Kb2, c.Kv2, c.Keq1, c.Keq2}) EXPECT_EQ(k, c.Ka);
    }
}

// A drain whose bottom reaches the bottom of the layer makes the half width 0:
// the water body then changes nothing, neither the conductivity nor the profile.
TEST(ConductivityEnginesTest, WidthPlaysNoPartWhenTheDrainReachesTheLayerBottom) {
    for (Engine engine : {DarCond, EneCond}) {
        std::string profiles[2];
        double K[2] = {0, 0};
        const double widths[2] = {0, 1.5};
        for (int i = 0; i < 2; ++i) {
            TempDir dir;
            DrainageCase c = LoadConductivityCase(dir, "case.inp",
                                                  {0.004, 2.0, 1.4, 2.0, 0.5, widths[i], 0.9, 16});
            RecordingSink sink;
            const std::string report = engine(c, sink, 1).Text;
            EXPECT_EQ(c.HalfWidth, 0);
            profiles[i] = report.substr(report.find(" Output data:"));
            K[i] = c.Ka;
        }
        EXPECT_EQ(K[0], K[1]);
        EXPECT_EQ(profiles[0], profiles[1]);
    }
}

TEST(EneCondTest, ProgressLinesFollowTheSpacingClass) {
    const struct {
        double S;
        double Dm;
        const char* lines;
    } cases[] = {
        {20, 1.0, " Still working ...\n"},
        {100, 1.2, " Still working ...\n Almost done .....\n"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE("S = " + std::to_string(tc.S));
        TempDir dir;
        DrainageCase c =
            LoadConductivityCase(dir, "case.inp", {0.005, 4.0, 1.5, 1.6, 0, 0, tc.Dm, tc.S});
        RecordingSink sink;
        EneCond(c, sink);
        EXPECT_EQ(sink.lines, tc.lines);
        EXPECT_TRUE(sink.messages.empty());
    }
}

// Both result blocks: the conductivity, a " #" of its own, then the heads and
// depths, Darcy first in DarCond and energy first in EneCond, all 8:3.
TEST(ConductivityEnginesTest, ResultBlocksKeepTheirOwnWording) {
    const ConductivityInput in{0.006, 4.0, 1.5, 1.6, 0, 0, 1.0, 20};
    const struct {
        Engine engine;
        std::vector<std::string> labels;
    } cases[] = {
        {DarCond,
         {" #", " The average hydraulic conductivity (Darcy, m/d) is: ", " #",
          " Midway hydr. head (Darcy,  m) is: ", " Midway hydr. head (energy, m) is: ",
          " Midway W.T. depth (Darcy,  m) is: ", " Midway W.T. depth (energy, m) is: ", " #"}},
        {EneCond,
         {" #", " The average hydraulic conductivity (Energy, m/d) is: ", " #",
          " Midway hydr. head (energy, m) is: ", " Midway hydr. head (Darcy,  m) is: ",
          " Midway W.T. depth (energy, m) is: ", " Midway W.T. depth (Darcy,  m) is: ", " #"}},
    };
    for (const auto& tc : cases) {
        TempDir dir;
        DrainageCase c = LoadConductivityCase(dir, "case.inp", in);
        RecordingSink sink;
        const std::string reportText = tc.engine(c, sink, 1).Text;
        const std::vector<std::string> block = ResultBlock(reportText);
        ExpectResultLabels(block, tc.labels);
        if (HasFatalFailure()) return;
        // The heads are those of the profile, F* and F, for both engines.
        const bool darcyFirst = tc.engine == DarCond;
        EXPECT_TRUE(block[3].ends_with(FormatFixed(darcyFirst ? c.FStar : c.F, 8, 3)));
        EXPECT_TRUE(block[6].ends_with(FormatFixed(c.Dw - (darcyFirst ? c.F : c.FStar), 8, 3)));
    }
}

// Cases whose search cannot meet the tolerance end with a message, quickly
// and within a few dozen trials, and leave the previous report as it was.
TEST(ConductivityEnginesTest, SearchesThatCannotEndStopInAnOrderlyWay) {
    const struct {
        const char* name;
        Engine engine;
        ConductivityInput in;
        const char* reason;
    } cases[] = {
        {"entrance head above the target (Darcy)",
         DarCond,
         {0.01, 3, 1.5, 1.6, 10, 0, 1.0, 20},
         "The entrance resistance alone"},
        {"entrance head above the target (energy)",
         EneCond,
         {0.01, 3, 1.5, 1.6, 10, 0, 1.0, 20},
         "The entrance resistance alone"},
        {"target needs a soil tighter than the bracket (Darcy)",
         DarCond,
         {0.001, 3, 1.5, 1.6, 0, 0, 0.5, 2},
         "least permeable soil tried"},
        {"target needs a soil tighter than the bracket (energy)",
         EneCond,
         {0.001, 3, 1.5, 1.6, 0, 0, 0.5, 2},
         "least permeable soil tried"},
        {"spacing inside the water body",
         EneCond,
         {0.01, 3, 1.5, 1.6, 0, 4, 1.0, 3},
         "no room for a single step of 0.0001 m"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        TempDir dir;
        DrainageCase c = LoadConductivityCase(dir, "case.inp", tc.in);
        WriteFile(dir.File("case.out"), "previous report\r\n");
        TrialRecordingSink sink(c);
        const auto start = std::chrono::steady_clock::now();
        try {
            tc.engine(c, sink, 1);
            ADD_FAILURE() << "the search should have failed";
        } catch (const RunError& error) {
            EXPECT_EQ(error.Kind(), Fault::SearchFailed);
            const std::string message = error.what();
            EXPECT_TRUE(message.starts_with(" The hydraulic conductivity could not be found: "))
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

}  // namespace
}  // namespace pelorin
