// The water-table depth engine: its Darcy head against the closed form for a
// soil whose transmissivity does not depend on the flow zone, the progress
// lines at their fixed marches, the warning for a water table above the soil
// surface, and how a run ends early.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "Engines.h"
#include "InputChecks.h"
#include "RunError.h"
#include "RunSink.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteCase;
using test::WriteFile;

// Counts the polls for a stop request and the marches of the bisection: the
// engine polls after every march that does not end its bisection and every
// 100 000 steps of a march or of the profile; each march assumes a midway head
// of its own, so the marches are told apart by the case's EnergyMidHead at the
// polls (the progress line of a march comes before the next head is set). Can
// ask for a stop at a given poll.
class MarchCountingSink : public RecordingSink {
  public:
    explicit MarchCountingSink(const DrainageCase& c) : c_(c) {}

    bool StopRequested() override {
        NoteMarch();
        ++polls;
        return stopAtPoll > 0 && polls >= stopAtPoll;
    }
    void AddProgressLine(const std::string& line) override {
        RecordingSink::AddProgressLine(line);
        NoteMarch();
        events.emplace_back(line, marches);
    }
    int polls = 0;
    int stopAtPoll = 0;
    int marches = 0;  // marches seen so far
    std::vector<std::pair<std::string, int>> events;

  private:
    void NoteMarch() {
        if (marches > 0 && c_.EnergyMidHead == assumedHead_) return;
        assumedHead_ = c_.EnergyMidHead;
        ++marches;
    }
    const DrainageCase& c_;
    double assumedHead_ = 0;
};

// Water-table depth inputs in file order.
struct HeadInput {
    double R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S;
    std::vector<double> Values() const {
        return {R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S};
    }
};

// A case loaded by its check, ready for the engine.
DrainageCase LoadHeadCase(const TempDir& dir, const std::string& name, const HeadInput& in) {
    DrainageCase c;
    c.InputFileName = dir.File(name);
    const std::vector<std::string> errors =
        test::LoadAndCheck(CalcAim::WaterTableDepth, in.Values(), c);
    EXPECT_TRUE(errors.empty()) << test::Lines(errors);
    return c;
}

double ResultAfter(const std::string& report, const std::string& label) {
    const std::size_t at = report.find("\r\n" + label);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no line " << label;
        return NAN;
    }
    return std::stod(report.substr(at + 2 + label.size()));
}

// The midway head that R·S² = 8·KD·(H − h0) + 4·Ka·(H² − h0²) gives, with
// h0 = R·S·E and KD = Kb1·Thick1 + Kb2·Thick2: the positive root of
// 4·Ka·H² + 8·KD·H − (R·S² + 8·KD·h0 + 4·Ka·h0²) = 0.
double ClosedFormHead(const DrainageCase& c) {
    const double h0 = c.R * c.S * c.E;
    const double KD = c.Kb1 * c.Thick1 + c.Kb2 * c.Thick2;
    const double a = 4 * c.Ka;
    const double b = 8 * KD;
    const double rhs = c.R * c.S * c.S + 8 * KD * h0 + 4 * c.Ka * h0 * h0;
    return 2 * rhs / (b + std::sqrt(b * b + 4 * a * rhs));
}

// With the drain bottom at or below D2 the transmissivity is Ka·h + KD at
// every distance, and the Darcy march integrates the closed form; the fine
// step of the head engine (0.00001 m) keeps the error far below 0.2 %.
TEST(HydrHeadTest, DarcyHeadAgreesWithClosedFormWhenFlowZoneDoesNotMatter) {
    const struct {
        const char* name;
        HeadInput in;
    } cases[] = {
        {"two layers, drain at D2", {0.007, 2.0, 4.0, 1.8, 4.0, 0, 0, 0.3, 0.5, 0.5, 1.2, 1.2, 30}},
        {"one layer, ditch below it, entrance resistance",
         {0.004, 3.0, 3.0, 1.2, 3.1, 1.0, 1.0, 0.8, 1.5, 0.2, 0, 0, 24}},
        {"thin layers, the soil above drain level carries most",
         {0.01, 2.0, 2.4, 1.9, 2.5, 0.2, 0, 2.0, 0.1, 0.1, 3.0, 0.5, 16}},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.name);
        TempDir dir;
        DrainageCase c = LoadHeadCase(dir, "case.inp", tc.in);
        RecordingSink sink;
        const std::string report = HydrHead(c, sink).Text;
        const double expected = ClosedFormHead(c);
        EXPECT_NEAR(c.FStar, expected, 0.002 * expected);
        EXPECT_NEAR(ResultAfter(report, " Midway hydr. head (Darcy,  m) is: "), c.FStar, 0.0005);
        EXPECT_NEAR(ResultAfter(report, " Midway W.T. depth (Darcy,  m) is: "), c.Dw - c.FStar,
                    0.0005);
    }
}

// The change of the assumed midway head halves from 500 at every march, so
// the lines come at fixed marches: below 0.1 after the 14th, below 0.01 after
// the 17th and below 0.001 after the 20th; the bisection ends after the 24th.
// Half spacings of 25 and 50 m are the edges of their classes.
TEST(HydrHeadTest, ProgressLinesComeAfterFixedMarchesBySpacingClass) {
    using Events = std::vector<std::pair<std::string, int>>;
    const struct {
        double S;
        Events expected;
    } cases[] = {
        {20, {{" Still working ...", 14}}},
        {50, {{" Still working ...", 14}}},
        {60, {{" Still working ...", 17}}},
        {100, {{" Still working ...", 14}, {" Almost done .....", 20}}},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE("S = " + std::to_string(tc.S));
        TempDir dir;
        DrainageCase c = LoadHeadCase(dir, "case.inp",
                                      {0.005, 5.0, 5.0, 1.5, 5.2, 0, 0, 1.0, 3.0, 3.0, 0, 0, tc.S});
        MarchCountingSink sink(c);
        HydrHead(c, sink);
        EXPECT_EQ(sink.events, tc.expected);
        EXPECT_EQ(sink.marches, 24) << "the last seen by the polls of the profile";
        EXPECT_TRUE(sink.messages.empty());
    }
}

TEST(HydrHeadTest, WarnsOnceWhenTheWaterTableRisesAboveTheSoilSurface) {
    TempDir dir;
    DrainageCase c =
        LoadHeadCase(dir, "wet.inp", {0.02, 1.5, 1.5, 1.0, 1.1, 0, 0, 0.1, 0.1, 0.1, 0, 0, 20});
    RecordingSink sink;
    const std::string report = HydrHead(c, sink).Text;
    EXPECT_EQ(sink.messages, " Watertable above soil surface, adjust the data.\n");
    // The report is still complete, with a negative energy midway depth.
    const double depth = ResultAfter(report, " Midway W.T. depth (energy, m) is: ");
    EXPECT_LT(depth, 0);
    EXPECT_NEAR(depth, c.Dw - c.MarchHead, 0.0005);
    EXPECT_LT(ResultAfter(report, " Midway W.T. depth (Darcy,  m) is: "), 0);
    EXPECT_TRUE(report.ends_with(" #\r\n"));

    // The same soil under a tenth of the recharge keeps the water table below.
    TempDir dryDir;
    DrainageCase dry =
        LoadHeadCase(dryDir, "dry.inp", {0.002, 1.5, 1.5, 1.0, 1.1, 0, 0, 0.1, 0.1, 0.1, 0, 0, 20});
    RecordingSink drySink;
    HydrHead(dry, drySink);
    EXPECT_TRUE(drySink.messages.empty());
    EXPECT_LT(dry.MarchHead, dry.Dw);
}

// A spacing inside the water body gives no step: the bisection still ends
// after its 24 marches, and the report has no profile rows and zero heads.
TEST(HydrHeadTest, SpacingInsideTheWaterBodyGivesAnEmptyProfile) {
    TempDir dir;
    DrainageCase c = LoadHeadCase(dir, "narrow.inp",
                                  {0.005, 3.0, 3.0, 1.5, 2.0, 0, 3.0, 0.5, 0.8, 0.8, 0, 0, 2});
    MarchCountingSink sink(c);
    const std::string report = HydrHead(c, sink).Text;
    EXPECT_EQ(sink.polls, 24)
        << "after 23 of the 24 marches, and before the report is put in place";
    EXPECT_NE(report.find("\r\n Output data:\r\n #\r\n"), std::string::npos);
    EXPECT_EQ(ResultAfter(report, " Midway hydr. head (energy, m) is: "), 0.0);
    EXPECT_EQ(ResultAfter(report, " Midway W.T. depth (Darcy,  m) is: "), 1.5);
}

// A spacing of 0.00003 m: the profile's only step is centred a hair past the
// midpoint. It takes no correction, so the midway heads are those of a drain
// with no soil between, not a head of 1e18 m whose row runs together.
TEST(HydrHeadTest, TinySpacingWhoseOnlyStepLiesPastTheMidpoint) {
    TempDir dir;
    WriteFile(dir.File("tiny.inp"),
              "Tiny spacing\r\nS written with 5 decimals\r\nFile Name: tiny.inp\r\nHyd Ene\r\n"
              "0.001 2 4 1.6 1.7 0 0 0.3 0.5 0.25 1.2 0.6 0.00003\r\n");
    const test::CliResult result = test::RunCli({"run", "tiny.inp"}, dir.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string report = ReadFile(dir.File("tiny.out"));
    EXPECT_NE(report.find("\r\n Midway hydr. head (energy, m) is:   -0.000\r\n"), std::string::npos)
        << report;
    EXPECT_NE(report.find("\r\n Midway hydr. head (Darcy,  m) is:    0.000\r\n"),
              std::string::npos);
    const std::size_t table = report.find(" Output data:\r\n");
    ASSERT_NE(table, std::string::npos);
    const std::vector<std::string> lines = test::SplitCrLf(report.substr(table));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1].size(), 66u) << "one row of seven numbers: " << lines[1];
    EXPECT_EQ(lines[2], " #");
}

TEST(HydrHeadTest, StopRequestEndsTheRunAtItsPollAndKeepsTheOldReport) {
    TempDir dir;
    DrainageCase c =
        LoadHeadCase(dir, "case.inp", {0.005, 3.0, 3.0, 1.5, 3.2, 0, 0, 0.5, 0.8, 0.8, 0, 0, 40});
    WriteFile(dir.File("case.out"), "previous report\r\n");
    MarchCountingSink sink(c);
    sink.stopAtPoll = 3;
    try {
        HydrHead(c, sink);
        FAIL() << "the run should have been cancelled";
    } catch (const RunError& error) {
        EXPECT_EQ(error.Kind(), Fault::Cancelled);
    }
    EXPECT_EQ(sink.polls, 3);
    EXPECT_EQ(ReadFile(dir.File("case.out")), "previous report\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("case.out.part")));
}

}  // namespace
}  // namespace pelorin
