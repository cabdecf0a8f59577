#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "NumberFormat.h"
#include "ProfileRoutine.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::SplitCrLf;

// ---------------------------------------------------------------------------
// Cases built by hand: the input numbers, the quantities the input check would
// derive, and the flow geometry.

struct Soil {
    double R = 0.005;
    double D1 = 2.5, D2 = 4.5, Dw = 1.0, Db = 1.25, E = 0.0, W = 0.0;
    double Ka = 0.5, Kb1 = 16.0, Kv1 = 4.0, Kb2 = 9.0, Kv2 = 1.0;
};

DrainageCase CaseOf(const Soil& s) {
    DrainageCase c;
    c.R = s.R;
    c.D1 = s.D1;
    c.D2 = s.D2;
    c.Dw = s.Dw;
    c.Db = s.Db;
    c.E = s.E;
    c.W = s.W;
    c.Ka = s.Ka;
    c.Kb1 = s.Kb1;
    c.Kv1 = s.Kv1;
    c.Kb2 = s.Kb2;
    c.Kv2 = s.Kv2;
    c.Thick1 = s.D1 - s.Dw;
    c.Thick2 = s.D2 - s.D1;
    c.DrainWaterDepth = s.Db - s.Dw;
    c.BottomBelowLayer1 = s.Db - s.D1;
    c.HalfWidth = s.W / 2;
    PrepareFlowGeometry(c);
    return c;
}

// A soil whose transmissivity is the same everywhere: the drain bottom lies at
// D2 and nothing above drain level carries flow, so T = Kb1·Thick1 = 2.
Soil ConstantTransmissivitySoil() {
    Soil s;
    s.R = 0.01;
    s.Ka = 0.0;
    s.Dw = 1.0;
    s.D1 = 3.0;
    s.D2 = 4.0;
    s.Db = 4.0;
    s.Kb1 = 1.0;
    s.Kv1 = 1.0;
    s.Kb2 = 0.0;
    s.Kv2 = 1.0;
    return s;
}

// The profile of a case at the given half spacing, written into memory.
struct Profile {
    DrainageCase c;
    std::vector<std::string> rows;
};

Profile ProfileOf(const Soil& soil, double halfSpacing, double energyMidHead = 0.5) {
    Profile result{CaseOf(soil), {}};
    DrainageCase& c = result.c;
    c.HalfSpacing = halfSpacing;
    c.EntranceHead = 2.0 * c.R * halfSpacing * c.E;
    c.EnergyMidHead = energyMidHead;
    ReportWriter report;
    WriteProfile(c, report);
    result.rows = SplitCrLf(report.Contents());
    return result;
}

// The seven numbers of a profile row: X, F*, G*/p, F, G/p, T1, T2.
std::vector<double> RowNumbers(const std::string& row) {
    std::vector<double> numbers;
    std::size_t pos = 0;
    while (pos < row.size()) {
        std::size_t used = 0;
        numbers.push_back(std::stod(row.substr(pos), &used));
        pos += used;
        while (pos < row.size() && row[pos] == ' ') ++pos;
    }
    return numbers;
}

// ---------------------------------------------------------------------------
// Row selection against the scan as the table rule states it.

struct ScannedRow {
    std::int64_t step;
    bool quarterAfter;
    bool halfAfter;
    bool operator==(const ScannedRow&) const = default;
};

// For every step i: j runs over 0, n, 2n, ... up to the last step, the four
// tests are tried in order and the scan stops at the first that holds.
std::vector<ScannedRow> LiteralScan(std::int64_t first, std::int64_t last, std::int64_t n) {
    std::vector<ScannedRow> rows;
    bool quarter = false;
    bool half = false;
    for (std::int64_t i = first; i <= last; ++i) {
        bool hit = false;
        for (std::int64_t j = 0; j <= last && !hit; j += n) {
            if (!quarter && 4 * i == j) {
                quarter = true;
                hit = true;
            } else if (!half && 2 * i == j) {
                half = true;
                hit = true;
            } else if (j == i) {
                hit = true;
            } else if ((i == first && j != first) || (i == last && j != last)) {
                hit = true;
            }
        }
        if (hit) rows.push_back({i, quarter, half});
    }
    return rows;
}

// The selector asked about every step. The flags are not visible, so they are
// recorded as the literal scan would have them: a quarter or half row is the
// step that first satisfies 4i = kn or 2i = kn without i = kn.
std::vector<std::int64_t> SelectorRowsEveryStep(std::int32_t first, std::int32_t last,
                                                std::int64_t n) {
    ProfileRowSelector selector(first, last, n);
    std::vector<std::int64_t> rows;
    for (std::int64_t i = first; i <= last; ++i)
        if (selector.Select(i)) rows.push_back(i);
    return rows;
}

// The selector used as the profile uses it: jump to the next row, take it.
std::vector<std::int64_t> SelectorRowsByJumps(std::int32_t first, std::int32_t last,
                                              std::int64_t n) {
    ProfileRowSelector selector(first, last, n);
    std::vector<std::int64_t> rows;
    for (std::int64_t i = selector.NextRow(first); i <= last; i = selector.NextRow(i + 1)) {
        EXPECT_TRUE(selector.Select(i)) << "NextRow offered step " << i << " that gives no row";
        rows.push_back(i);
        if (i == last) break;
    }
    return rows;
}

std::vector<std::int64_t> StepsOf(const std::vector<ScannedRow>& rows) {
    std::vector<std::int64_t> steps;
    for (const ScannedRow& row : rows) steps.push_back(row.step);
    return steps;
}

TEST(ProfileRowSelector, GivesTheRowsOfTheLiteralScanForSmallCases) {
    int compared = 0;
    for (std::int32_t first : {2, 3, 4, 5, 7, 12}) {
        for (std::int32_t last = first; last <= 72; ++last) {
            for (std::int64_t n = 1; n <= 40; ++n) {
                const std::vector<std::int64_t> expected = StepsOf(LiteralScan(first, last, n));
                ASSERT_EQ(SelectorRowsEveryStep(first, last, n), expected)
                    << "first " << first << " last " << last << " n " << n;
                ASSERT_EQ(SelectorRowsByJumps(first, last, n), expected)
                    << "first " << first << " last " << last << " n " << n;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 10000);
}

// The flags decide later rows: the quarter row comes before the half row, and
// each is written once, so a second step with the same property gives no row.
TEST(ProfileRowSelector, SetsEachFlagOnceAsTheScanDoes) {
    const std::vector<ScannedRow> scan = LiteralScan(2, 40, 8);
    // 2 (first); 4: 2·4 = 8 → half; 6: 4·6 = 24 → quarter; the multiples of 8; 40 (last)
    const std::vector<ScannedRow> expected = {{2, false, false}, {4, false, true}, {6, true, true},
                                              {8, true, true},   {16, true, true}, {24, true, true},
                                              {32, true, true},  {40, true, true}};
    EXPECT_EQ(scan, expected);
    const std::vector<ScannedRow> quarterFirst = LiteralScan(1, 40, 8);
    EXPECT_EQ(quarterFirst[1], (ScannedRow{2, true, false}));
    EXPECT_EQ(quarterFirst[2], (ScannedRow{4, true, true}));
    EXPECT_EQ(SelectorRowsEveryStep(2, 40, 8), StepsOf(scan));
    EXPECT_EQ(SelectorRowsEveryStep(1, 40, 8), StepsOf(quarterFirst));
}

struct ExampleRows {
    double halfSpacing;
    double width;
    std::int64_t n;
    std::vector<double> x;              // the X of every row
    std::vector<std::string> printedX;  // the same, as the table prints them
};

const double kProfileStep = 0.00001;

std::vector<ExampleRows> ExampleTable() {
    std::vector<ExampleRows> table;
    {
        ExampleRows e{20, 0, 200000, {0.00002, 0.5, 1}, {"  0.00", "  0.50", "  1.00"}};
        for (int x = 2; x <= 20; x += 2) {
            e.x.push_back(x);
            e.printedX.push_back(x < 10 ? "  " + std::to_string(x) + ".00"
                                        : " " + std::to_string(x) + ".00");
        }
        table.push_back(e);
    }
    {
        ExampleRows e{
            20, 3, 200000, {1.50001, 2, 2.5, 3}, {"  1.50", "  2.00", "  2.50", "  3.00"}};
        for (int x = 4; x <= 20; x += 2) {
            e.x.push_back(x);
            e.printedX.push_back(x < 10 ? "  " + std::to_string(x) + ".00"
                                        : " " + std::to_string(x) + ".00");
        }
        table.push_back(e);
    }
    {
        ExampleRows e{12.5, 0, 100000, {0.00002, 0.25, 0.5}, {"  0.00", "  0.25", "  0.50"}};
        for (int x = 1; x <= 12; ++x) {
            e.x.push_back(x);
            e.printedX.push_back(x < 10 ? "  " + std::to_string(x) + ".00"
                                        : " " + std::to_string(x) + ".00");
        }
        e.x.push_back(12.5);
        e.printedX.push_back(" 12.50");
        table.push_back(e);
    }
    table.push_back(
        {3.7, 0, 370000, {0.00002, 0.925, 1.85, 3.7}, {"  0.00", "  0.93", "  1.85", "  3.70"}});
    table.push_back({3.70001, 0, 370001, {0.00002, 3.70001}, {"  0.00", "  3.70"}});
    table.push_back(
        {5, 0, 500000, {0.00002, 1.25, 2.5, 5}, {"  0.00", "  1.25", "  2.50", "  5.00"}});
    return table;
}

class ProfileExamples : public ::testing::TestWithParam<ExampleRows> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const ExampleRows& k) {
    return out << "HalfSpacing " << k.halfSpacing << " W " << k.width;
}

TEST_P(ProfileExamples, SelectorAgreesWithTheScanAndGivesTheTableRows) {
    const ExampleRows& e = GetParam();
    const auto first =
        static_cast<std::int32_t>(std::max(2.0, std::nearbyint(e.width / 2 / kProfileStep) + 1));
    const auto last = static_cast<std::int32_t>(std::nearbyint(e.halfSpacing / kProfileStep));
    const std::vector<std::int64_t> scanned = StepsOf(LiteralScan(first, last, e.n));
    const std::vector<std::int64_t> selected = SelectorRowsByJumps(first, last, e.n);
    EXPECT_EQ(selected, scanned);
    ASSERT_EQ(selected.size(), e.x.size());
    for (std::size_t k = 0; k < e.x.size(); ++k)
        EXPECT_NEAR(static_cast<double>(selected[k]) * kProfileStep, e.x[k], 1e-9) << "row " << k;
}

TEST_P(ProfileExamples, WriteProfileWritesExactlyTheseRows) {
    const ExampleRows& e = GetParam();
    Soil soil;
    soil.E = 1.0;
    soil.W = e.width;
    soil.Kb1 = 1.0;
    soil.Kb2 = 1.0;
    soil.D1 = 3.0;
    soil.D2 = 5.0;
    const Profile profile = ProfileOf(soil, e.halfSpacing);
    std::vector<std::string> printedX;
    for (const std::string& row : profile.rows) {
        EXPECT_EQ(row.size(), 6u + 6 * 10) << row;
        printedX.push_back(row.substr(0, 6));
    }
    EXPECT_EQ(printedX, e.printedX);
    EXPECT_EQ(profile.c.LastStep,
              static_cast<std::int32_t>(std::nearbyint(e.halfSpacing / kProfileStep)));
    EXPECT_DOUBLE_EQ(profile.c.X, profile.c.LastStep * kProfileStep);
}

INSTANTIATE_TEST_SUITE_P(RowTable, ProfileExamples, ::testing::ValuesIn(ExampleTable()));

// ---------------------------------------------------------------------------
// Flow geometry and transmissivity

struct ZoneCase {
    const char* name;
    double Db;
    double W;
    double Kv1;
    // expected geometry
    double halfWidth, widthExcess, depthExcess;
    // T at h = 0.25 for each Y
    std::vector<std::pair<double, double>> transmissivity;
};

class FlowGeometry : public ::testing::TestWithParam<ZoneCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const ZoneCase& k) {
    return out << k.name;
}

TEST_P(FlowGeometry, GivesTheZoneGeometryAndTransmissivity) {
    const ZoneCase& z = GetParam();
    Soil soil;  // Ka 0.5; Kb1 16, Kv1 4 → factor 2; Kb2 9, Kv2 1 → factor 3
    soil.Db = z.Db;
    soil.W = z.W;
    soil.Kv1 = z.Kv1;
    const DrainageCase c = CaseOf(soil);
    EXPECT_DOUBLE_EQ(c.HalfWidth, z.halfWidth);
    EXPECT_DOUBLE_EQ(c.WidthExcess, z.widthExcess);
    EXPECT_DOUBLE_EQ(c.DepthExcess, z.depthExcess);
    for (const auto& [Y, T] : z.transmissivity)
        EXPECT_DOUBLE_EQ(Transmissivity(c, 0.25, Y), T) << "Y = " << Y;
}

INSTANTIATE_TEST_SUITE_P(
    Zones, FlowGeometry,
    ::testing::Values(
        // bottom in layer 1: base = 0.125 + Kv1·0.5; Keq1 8 up to TThick1 3, Keq2 3 up to 9
        ZoneCase{"DitchInLayer1",
                 1.25,
                 2.0,
                 4.0,
                 1.0,
                 0.5,
                 0.0,
                 {{1.0, 10.125}, {3.0, 26.125}, {5.0, 32.125}, {9.0, 44.125}, {20.0, 44.125}}},
        ZoneCase{"PipeInLayer1", 1.25, 0.0, 4.0, 0.0, 0.0, 0.5, {{1.0, 8.125}, {20.0, 42.125}}},
        // bottom in layer 2: base = 0.125 + Kb1·Thick1 24 + Kv2·(4 − 3); Keq2 3 up to TThick2 6
        ZoneCase{"DitchInLayer2", 3.5, 8.0, 4.0, 4.0, 1.0, 0.0, {{2.0, 31.125}, {10.0, 43.125}}},
        ZoneCase{"NarrowDitchInLayer2", 3.5, 2.0, 4.0, 1.0, 0.0, 2.0, {{2.0, 30.125}}},
        // bottom at or below D2: no half width, T = Ka·h + Kb1·Thick1 + Kb2·Thick2
        ZoneCase{"BottomAtD2", 4.5, 8.0, 4.0, 0.0, 0.0, 6.0, {{0.0, 42.125}, {100.0, 42.125}}},
        ZoneCase{"BottomBelowD2", 5.0, 8.0, 4.0, 0.0, 0.0, 7.5, {{0.0, 42.125}, {100.0, 42.125}}},
        // Kv1 = 0: factor 1000000, Keq1 0; the flow zone stays in layer 1
        ZoneCase{"NoVerticalFlowInLayer1",
                 1.25,
                 2.0,
                 0.0,
                 1.0,
                 0.0,
                 249999.0,
                 {{1000.0, 0.125}, {1.0e6, 0.125}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlowGeometry, FactorsAndEquivalentPermeabilities) {
    Soil soil;
    DrainageCase c = CaseOf(soil);
    EXPECT_DOUBLE_EQ(c.Aniso1, 2.0);
    EXPECT_DOUBLE_EQ(c.Keq1, 8.0);
    EXPECT_DOUBLE_EQ(c.Aniso2, 3.0);
    EXPECT_DOUBLE_EQ(c.Keq2, 3.0);
    EXPECT_DOUBLE_EQ(c.TThick1, 3.0);
    EXPECT_DOUBLE_EQ(c.TThick2, 6.0);
    EXPECT_DOUBLE_EQ(c.TThick12, 9.0);
    EXPECT_DOUBLE_EQ(c.TDrainDepth1, 0.5);
    EXPECT_DOUBLE_EQ(c.TDrainDepth2, -3.75);

    soil.Kv1 = 0.0;
    c = CaseOf(soil);
    EXPECT_EQ(c.Aniso1, 1000000.0);
    EXPECT_EQ(c.Keq1, 0.0);
    EXPECT_DOUBLE_EQ(c.TThick1, 1.5e6);
    EXPECT_DOUBLE_EQ(c.TDrainDepth1, 250000.0);

    // a layer with no horizontal permeability: factor 0 and no flow
    soil.Kv1 = 1.0;
    soil.Kb1 = 0.0;
    soil.Kv2 = -1.0;
    c = CaseOf(soil);
    EXPECT_EQ(c.Aniso1, 0.0);
    EXPECT_EQ(c.Keq1, 0.0);
    EXPECT_EQ(c.Aniso2, 1000000.0);
    EXPECT_EQ(c.Keq2, 0.0);
}

// ---------------------------------------------------------------------------
// Marches

// With a constant T and steps from the second on, the Darcy march sums
// R·(L − xc)·p/T over i = 2..N, which is R/T·(L²/2 − (L − p/2)·p) when N·p = L.
TEST(MarchDarcy, MatchesTheClosedSumForAConstantTransmissivity) {
    DrainageCase c = CaseOf(ConstantTransmissivitySoil());
    ASSERT_DOUBLE_EQ(Transmissivity(c, 0.3, 7.0), 2.0);
    for (double h0 : {0.0, 0.25}) {
        c.p = 0.01;
        c.FirstStep = 2;
        c.EntranceHead = h0;
        const double L = 10.0;
        const double head = MarchDarcy(c, L);
        EXPECT_EQ(c.LastStep, 1000);
        EXPECT_NEAR(head, h0 + 0.01 / 2.0 * (L * L / 2 - (L - 0.005) * 0.01), 1e-11);
        EXPECT_EQ(c.MarchHead, head);
    }
}

TEST(Marches, TakeNoStepBeforeTheFirstAndKeepTheHead) {
    DrainageCase c = CaseOf(ConstantTransmissivitySoil());
    c.p = 0.01;
    c.FirstStep = 5;
    c.EntranceHead = 9.0;
    c.MarchHead = 0.37;
    c.MarchGradient = -2.0;
    EXPECT_EQ(MarchDarcy(c, 0.03), 0.37);
    EXPECT_EQ(c.LastStep, 3);
    EXPECT_EQ(MarchEnergy(c, 0.044, 0.1), 0.37);
    EXPECT_EQ(c.LastStep, 4);
    EXPECT_EQ(c.MarchGradient, -2.0);
    // one step: the first step itself is the last
    EXPECT_NE(MarchDarcy(c, 0.05), 0.37);
    EXPECT_EQ(c.LastStep, 5);
}

TEST(MarchEnergy, StopsAfterTheFirstStepAboveTheAssumedHead) {
    DrainageCase c = CaseOf(ConstantTransmissivitySoil());
    c.p = 0.01;
    c.FirstStep = 2;
    c.EntranceHead = 0.0;
    const double Hm = 0.1;  // the Darcy head at 10 m would be 0.25
    const double head = MarchEnergy(c, 10.0, Hm);
    EXPECT_GT(head, Hm);
    EXPECT_GT(c.MarchGradient, 0.0);
    EXPECT_LE(head - c.MarchGradient * c.p, Hm + 1e-12) << "the step before was already above Hm";
    EXPECT_EQ(c.LastStep, 1000);
}

TEST(MarchEnergy, StopsAfterTheFirstStepWithANegativeGradient) {
    DrainageCase c = CaseOf(ConstantTransmissivitySoil());
    c.p = 0.01;
    c.FirstStep = 2;
    c.EntranceHead = 0.05;
    const double head = MarchEnergy(c, 10.0, 100.0);
    ASSERT_LT(c.MarchGradient, 0.0);
    // The first step: T1 = R(L − xc)/T, T2 = (h0 − Hm)/(L − xc)
    const double xc = 1.5 * 0.01;
    const double G = 0.01 * (10.0 - xc) / 2.0 + (0.05 - 100.0) / (10.0 - xc);
    EXPECT_DOUBLE_EQ(c.MarchGradient, G);
    EXPECT_DOUBLE_EQ(head, 0.05 + G * 0.01);
}

// The energy march as the method states it, with no correction at a step
// centred on or past the midpoint.
struct LiteralMarch {
    double head, gradient;
    std::int64_t lastStepTaken;
};

LiteralMarch LiteralEnergyMarch(const DrainageCase& c, double L, double Hm) {
    const std::int64_t last = static_cast<std::int64_t>(std::nearbyint(L / c.p));
    double head = c.EntranceHead, G = 0;
    std::int64_t i = c.FirstStep;
    for (; i <= last; ++i) {
        const double xc = (static_cast<double>(i) - 0.5) * c.p;
        const double hmid = i == c.FirstStep ? c.EntranceHead : head + 0.5 * G * c.p;
        const double T = Transmissivity(c, hmid, 1.571 * xc + c.DepthExcess);
        const double T2 = L - xc > 0 ? (hmid - Hm) / (L - xc) : 0.0;
        G = c.R * (L - xc) / T + T2;
        head = head + G * c.p;
        if (head > Hm || G < 0) break;
    }
    return {head, G, std::min(i, last)};
}

// Round(L/p) rounds a half upwards: the last step is centred exactly on the
// midpoint (L = 23.5·0.0625) or, by rounding, a hair past it (0.175/0.01).
// Every march of the bisection agrees with the stated one, and those that
// reach the last step take it without a correction instead of a fault.
TEST(MarchEnergy, LastStepCentredOnOrPastTheMidpointTakesNoCorrection) {
    const struct {
        double p, L;
    } cases[] = {{0.0625, 1.46875}, {0.01, 0.175}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.L);
        DrainageCase c = CaseOf(Soil{});
        c.p = k.p;
        c.FirstStep = 2;
        c.EntranceHead = 0.0;
        const std::int64_t last = static_cast<std::int64_t>(std::nearbyint(k.L / k.p));
        ASSERT_LE(k.L - (static_cast<double>(last) - 0.5) * k.p, 0.0);
        // Only a narrow band of assumed heads lets a march run to its end
        // (below it the head overshoots, above it the gradient turns negative
        // first): a fine scan finds it.
        int reachedLast = 0;
        for (double Hm = 1e-6; Hm < 1e-2; Hm *= 1.0001) {
            const double head = MarchEnergy(c, k.L, Hm);
            const LiteralMarch expected = LiteralEnergyMarch(c, k.L, Hm);
            ASSERT_EQ(head, expected.head) << Hm;
            ASSERT_EQ(c.MarchGradient, expected.gradient) << Hm;
            ASSERT_EQ(c.MarchStoppedAt, expected.lastStepTaken) << Hm;
            if (c.MarchStoppedAt == last) ++reachedLast;
        }
        EXPECT_GT(reachedLast, 0);
        EXPECT_NO_THROW(SolveEnergyMidHead(c, k.L));
    }
}

// ---------------------------------------------------------------------------
// The midway-head bisection

TEST(SolveEnergyMidHead, RunsTwentyFourMarchesFrom500And1000) {
    DrainageCase c = CaseOf(Soil{});
    c.p = 0.01;
    c.FirstStep = 2;
    c.EntranceHead = 0.0;
    std::vector<double> changes;
    const double head = SolveEnergyMidHead(c, 10.0, 500.0, 1000.0,
                                           [&](double change) { changes.push_back(change); });
    // every march but the last reports its change: 500, 250, 125, ...
    ASSERT_EQ(changes.size() + 1, 24u);
    for (std::size_t k = 0; k < changes.size(); ++k)
        EXPECT_DOUBLE_EQ(changes[k], 500.0 / std::pow(2.0, static_cast<double>(k))) << k;
    EXPECT_LT(std::fabs(c.EnergyMidPrev - c.EnergyMidHead), 0.0001);
    EXPECT_EQ(head, c.MarchHead);
    // The bracket stays consistent: the march from its low end overshoots, from
    // its high end it does not.
    EXPECT_LT(c.EnergyMidLow, c.EnergyMidHigh);
    const double low = c.EnergyMidLow;
    const double high = c.EnergyMidHigh;
    if (low > 0) {
        EXPECT_GT(MarchEnergy(c, 10.0, low), low);
    }
    EXPECT_LE(MarchEnergy(c, 10.0, high), high);
    EXPECT_GT(c.EnergyMidHead, 0.0);
    EXPECT_LT(c.EnergyMidHead, 1.0);
}

TEST(SolveEnergyMidHead, TakesItsOwnStartAndUpperBound) {
    DrainageCase c = CaseOf(Soil{});
    c.p = 0.01;
    c.FirstStep = 2;
    c.EntranceHead = 0.0;
    int reports = 0;
    double firstChange = 0;
    SolveEnergyMidHead(c, 10.0, 10.0, 20.0, [&](double change) {
        if (reports++ == 0) firstChange = change;
    });
    // 10/2^17 is the first change below 0.0001: 18 marches
    EXPECT_EQ(reports + 1, 18);
    EXPECT_EQ(firstChange, 10.0);
    EXPECT_LE(c.EnergyMidHigh, 20.0);
}

// ---------------------------------------------------------------------------
// The profile

// The profile as the method states it, step by step, with the row scan over
// j = 0, n, 2n, ... at every step; the rows in the program's number format.
struct LiteralResult {
    std::string rows;
    double F = 0, GP = 0, FStar = 0, GStarP = 0, T1 = 0, T2 = 0;
};

LiteralResult LiteralProfile(const DrainageCase& c) {
    const double p = kProfileStep;
    const double L = c.HalfSpacing;
    const auto round = [](double x) { return static_cast<std::int64_t>(std::nearbyint(x)); };
    const std::int64_t rowInterval = round(L / 10);
    std::int64_t n = round(static_cast<double>(rowInterval) / p);
    if (n < 1) n = round(L / p);
    const std::int64_t first = std::max<std::int64_t>(2, round(c.HalfWidth / p) + 1);
    const std::int64_t last = round(L / p);
    LiteralResult r;
    bool quarter = false, half = false;
    for (std::int64_t i = first; i <= last; ++i) {
        const double xc = (static_cast<double>(i) - 0.5) * p;
        const double Y = 1.571 * xc + c.DepthExcess;
        double hmid = 0;
        if (i == first) {
            r.F = c.EntranceHead;
            hmid = c.EntranceHead;
        } else {
            hmid = r.F + 0.5 * r.GP * p;
        }
        double T = Transmissivity(c, hmid, Y);
        r.T1 = c.R * (L - xc) / T;
        const double T2prev = r.T2;
        // no flow crosses the midpoint: a step centred on or past it takes no correction
        r.T2 = L - xc > 0 ? (hmid - c.EnergyMidHead) / (L - xc) : 0.0;
        r.GP = r.T1 + r.T2;
        if (i > first) {
            if (r.GP < 0 || r.T2 > 0) {
                r.GP = r.T1;
                r.T2 = 0;
            }
            if (r.T2 < T2prev) {
                r.GP = r.T1;
                r.T2 = 0.5 * T2prev;
            }
        }
        r.F = r.F + r.GP * p;
        if (i == first) {
            r.FStar = c.EntranceHead;
            hmid = c.EntranceHead;
        } else {
            hmid = r.FStar + 0.5 * r.GStarP * p;
        }
        T = Transmissivity(c, hmid, Y);
        r.GStarP = c.R * (L - xc) / T;
        r.FStar = r.FStar + r.GStarP * p;
        const double X = static_cast<double>(i) * p;
        if (r.FStar < 0.0001) r.FStar = 0.0001;
        if (r.F < 0.0001) r.F = 0.0001;
        bool write = false;
        for (std::int64_t j = 0; j <= last && !write; j += n) {
            if (!quarter && 4 * i == j) {
                quarter = true;
                write = true;
            } else if (!half && 2 * i == j) {
                half = true;
                write = true;
            } else if (j == i || (i == first && j != first) || (i == last && j != last)) {
                write = true;
            }
        }
        if (!write) continue;
        r.rows += FormatFixed(X, 6, 2);
        for (double v : {r.FStar, r.GStarP, r.F, r.GP, r.T1, r.T2}) r.rows += FormatFixed(v, 10, 4);
        r.rows += "\r\n";
    }
    return r;
}

// A negative assumed midway head asks for the one the energy balance finds
// with the search step 0.01, as the engines hand it over.
struct LiteralCase {
    const char* name;
    double R, Db, W, E, halfSpacing, energyMidHead;
};

class ProfileAsStated : public ::testing::TestWithParam<LiteralCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const LiteralCase& k) {
    return out << k.name;
}

TEST_P(ProfileAsStated, WritesTheRowsAndMidwayValuesOfTheStatedSteps) {
    const LiteralCase& k = GetParam();
    Soil soil;  // a loam over a sandy loam
    soil.D1 = 2.0;
    soil.D2 = 4.0;
    soil.Ka = 0.5;
    soil.Kb1 = 0.8;
    soil.Kv1 = 0.4;
    soil.Kb2 = 1.5;
    soil.Kv2 = 0.6;
    soil.R = k.R;
    soil.Db = k.Db;
    soil.W = k.W;
    soil.E = k.E;
    DrainageCase c = CaseOf(soil);
    c.HalfSpacing = k.halfSpacing;
    c.EntranceHead = 2.0 * c.R * c.HalfSpacing * c.E;
    c.EnergyMidHead = k.energyMidHead;
    if (k.energyMidHead < 0) {
        c.p = 0.01;
        c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
        SolveEnergyMidHead(c, c.HalfSpacing);
    }
    const LiteralResult expected = LiteralProfile(c);
    ReportWriter report;
    WriteProfile(c, report);
    EXPECT_EQ(report.Contents(), expected.rows);
    EXPECT_EQ(c.FStar, expected.FStar);
    EXPECT_EQ(c.GStarP, expected.GStarP);
    EXPECT_EQ(c.F, expected.F);
    EXPECT_EQ(c.GP, expected.GP);
    EXPECT_EQ(c.T1, expected.T1);
    EXPECT_EQ(c.T2, expected.T2);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileAsStated,
                         ::testing::Values(
                             // name                       R      Db   W    E    L     Hm
                             LiteralCase{"PipeNoResistance", 0.007, 1.1, 0.0, 0.0, 16.0, -1},
                             LiteralCase{"DitchInLayer1", 0.007, 1.5, 1.5, 0.5, 10.0, -1},
                             LiteralCase{"WideDitchInLayer2", 0.01, 2.5, 6.0, 0.2, 8.0, -1},
                             // the entrance head above the assumed midway head: T2 starts positive
                             LiteralCase{"BottomAtD2", 0.005, 4.0, 2.0, 1.0, 5.0, 0.02},
                             // an assumed head far above the heads: the gradient turns negative
                             LiteralCase{"HighAssumedHead", 0.02, 1.1, 0.0, 0.3, 5.0, 0.9},
                             LiteralCase{"QuarterAndHalfRows", 0.007, 1.1, 0.5, 0.1, 12.5, -1},
                             // L/p = 2148437.5 rounds up: the last step is centred on the midpoint
                             LiteralCase{"LastStepOnMidpoint", 0.005, 1.1, 0.0, 0.0, 21.484375, -1},
                             // L/p = 1.5 rounds up to the first step, centred a hair past L
                             LiteralCase{"OnlyStepPastMidpoint", 0.001, 1.7, 0.0, 0.0, 0.000015,
                                         0.5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WriteProfile, ClampsTheHeadsAtTheDrainWithoutEntranceResistance) {
    Soil soil = ConstantTransmissivitySoil();
    soil.E = 0.0;
    const double L = 5.0;
    const Profile profile = ProfileOf(soil, L);
    ASSERT_FALSE(profile.rows.empty());
    const std::vector<double> first = RowNumbers(profile.rows.front());
    EXPECT_EQ(profile.rows.front().substr(0, 26), "  0.00    0.0001    0.0250");
    EXPECT_EQ(profile.rows.front().substr(26, 10), "    0.0001");
    EXPECT_EQ(first[3], 0.0001);
    // The clamped head carries on: the first step's rise is replaced by 0.0001
    // and the sum runs over steps 3..N only.
    const double p = kProfileStep;
    const double R = 0.01;
    const double T = 2.0;
    const double expected = 0.0001 + R / T * (L * L / 2 - (L - 0.5 * p) * p - (L - 1.5 * p) * p);
    EXPECT_NEAR(profile.c.FStar, expected, 1e-10);
}

TEST(WriteProfile, PipeDrainStartsOneStepFromTheDrainAtTheEntranceHead) {
    Soil soil = ConstantTransmissivitySoil();
    soil.E = 1.0;
    const double L = 5.0;
    const Profile profile = ProfileOf(soil, L);
    EXPECT_EQ(profile.c.FirstStep, 2);
    const std::vector<double> first = RowNumbers(profile.rows.front());
    const double h0 = 2.0 * 0.01 * L * 1.0;  // 0.1
    EXPECT_EQ(profile.rows.front().substr(0, 16), "  0.00    0.1000");
    const double p = kProfileStep;
    EXPECT_NEAR(profile.c.FStar, h0 + 0.01 / 2.0 * (L * L / 2 - (L - 0.5 * p) * p), 1e-10);
    EXPECT_NEAR(first[1], h0, 0.00005);
}

TEST(WriteProfile, LeavesTheMidwayValuesAndItsInputs) {
    Soil soil;
    soil.E = 0.5;
    soil.W = 0.8;
    Profile profile = ProfileOf(soil, 4.0, 0.35);
    const DrainageCase& c = profile.c;
    EXPECT_EQ(c.p, kProfileStep);
    EXPECT_EQ(c.HalfSpacing, 4.0);
    EXPECT_EQ(c.EntranceHead, 2.0 * 0.005 * 4.0 * 0.5);
    EXPECT_EQ(c.EnergyMidHead, 0.35);
    EXPECT_EQ(c.FirstStep, 40001);
    EXPECT_EQ(c.LastStep, 400000);
    const std::vector<double> last = RowNumbers(profile.rows.back());
    ASSERT_EQ(last.size(), 7u);
    EXPECT_EQ(last[0], 4.0);
    EXPECT_NEAR(last[1], c.FStar, 0.00005);
    EXPECT_NEAR(last[2], c.GStarP, 0.00005);
    EXPECT_NEAR(last[3], c.F, 0.00005);
    EXPECT_NEAR(last[4], c.GP, 0.00005);
    EXPECT_NEAR(last[5], c.T1, 0.00005);
    EXPECT_NEAR(last[6], c.T2, 0.00005);
    EXPECT_GT(c.FStar, c.EntranceHead);
}

// In every row after the first the energy gradient is either T1 + T2 with T2
// not positive, or T1 alone where the damping acted.
TEST(WriteProfile, EnergyColumnsFollowTheDamping) {
    Soil soil;
    soil.E = 0.2;
    soil.W = 1.0;
    int damped = 0;
    for (double Hm : {0.05, 0.2, 0.6}) {
        SCOPED_TRACE(Hm);
        const Profile profile = ProfileOf(soil, 10.0, Hm);
        ASSERT_GE(profile.rows.size(), 3u);
        for (std::size_t k = 1; k < profile.rows.size(); ++k) {
            const std::vector<double> v = RowNumbers(profile.rows[k]);
            const double GP = v[4], T1 = v[5], T2 = v[6];
            EXPECT_LE(T2, 0.0) << profile.rows[k];
            if (GP == T1) {
                ++damped;
            } else {
                EXPECT_NEAR(GP, T1 + T2, 0.00011) << profile.rows[k];
            }
            EXPECT_GE(GP, 0.0) << profile.rows[k];
        }
    }
    EXPECT_GT(damped, 0) << "no row shows the damping";
}

TEST(WriteProfile, NoRowsInsideTheWaterBodyLeavesZeroHeads) {
    Soil soil;
    soil.W = 2.0;  // half width 1 m
    DrainageCase c = CaseOf(soil);
    c.HalfSpacing = 0.5;
    c.FStar = 7;
    c.F = 7;
    c.GP = 7;
    c.GStarP = 7;
    ReportWriter report;
    report.Line(" Output data:");
    WriteProfile(c, report);
    EXPECT_EQ(report.Contents(), " Output data:\r\n");
    EXPECT_EQ(c.FStar, 0.0);
    EXPECT_EQ(c.F, 0.0);
    EXPECT_EQ(c.GP, 0.0);
    EXPECT_EQ(c.GStarP, 0.0);
    EXPECT_EQ(c.FirstStep, 100001);
    EXPECT_EQ(c.LastStep, 50000);
}

// ---------------------------------------------------------------------------
// Arithmetic guards

// A pipe drain without entrance resistance in a soil whose layers below drain
// level carry nothing: the first step sees T = 0.
DrainageCase ZeroTransmissivityCase(double R) {
    Soil soil;
    soil.R = R;
    soil.E = 0.0;
    soil.W = 0.0;
    soil.Kb1 = 0.0;
    soil.Kb2 = 0.0;
    DrainageCase c = CaseOf(soil);
    c.p = 0.01;
    c.FirstStep = 2;
    c.EntranceHead = 0.0;
    c.HalfSpacing = 3.0;
    c.EnergyMidHead = 0.5;
    return c;
}

Fault FaultOf(const std::function<void()>& action, std::string* text = nullptr) {
    try {
        action();
    } catch (const RunError& error) {
        if (text != nullptr) *text = error.what();
        return error.Kind();
    }
    ADD_FAILURE() << "no fault";
    return Fault::Cancelled;
}

struct GuardCase {
    const char* name;
    double R;
    Fault fault;
    const char* text;
};

class ZeroTransmissivity : public ::testing::TestWithParam<GuardCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const GuardCase& k) {
    return out << k.name;
}

TEST_P(ZeroTransmissivity, StopsEveryRoutineWithItsFault) {
    const GuardCase& g = GetParam();
    DrainageCase c = ZeroTransmissivityCase(g.R);
    ASSERT_EQ(Transmissivity(c, 0.0, 1.571 * 0.015), 0.0);
    std::string text;
    EXPECT_EQ(FaultOf([&] { MarchDarcy(c, 3.0); }, &text), g.fault);
    EXPECT_EQ(text, g.text);
    EXPECT_EQ(FaultOf([&] { MarchEnergy(c, 3.0, 0.5); }, &text), g.fault);
    EXPECT_EQ(text, g.text);
    EXPECT_EQ(FaultOf([&] { SolveEnergyMidHead(c, 3.0); }, &text), g.fault);
    EXPECT_EQ(text, g.text);

    ReportWriter report;
    report.Line(" Output data:");
    EXPECT_EQ(FaultOf([&] { WriteProfile(c, report); }, &text), g.fault);
    EXPECT_EQ(text, g.text);
    EXPECT_EQ(report.Contents(), " Output data:\r\n") << "a row was written after the fault";
}

INSTANTIATE_TEST_SUITE_P(
    Guards, ZeroTransmissivity,
    ::testing::Values(GuardCase{"FlowThroughNothing", 0.005, Fault::DivisionByZero,
                                "Floating point division by zero"},
                      GuardCase{"NoFlowThroughNothing", 0.0, Fault::InvalidOperation,
                                "Invalid floating point operation"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteProfileGuards, HalfSpacingBeyondThe32BitStepCountIsARangeCheckError) {
    DrainageCase c = CaseOf(Soil{});
    c.HalfSpacing = 21474.84;
    ReportWriter report;
    std::string text;
    EXPECT_EQ(FaultOf([&] { WriteProfile(c, report); }, &text), Fault::RangeCheck);
    EXPECT_EQ(text, "Range check error");
    EXPECT_EQ(report.Contents(), "");

    // Just inside the range the counts are fine; a half width beyond the half
    // spacing keeps the profile empty so that nothing is marched.
    Soil wide;
    wide.W = 2 * 21474.835;
    wide.Db = 1.25;
    DrainageCase inside = CaseOf(wide);
    inside.HalfSpacing = 21474.83;
    EXPECT_NO_THROW(WriteProfile(inside, report));
    EXPECT_EQ(inside.LastStep, 2147483000);
    EXPECT_EQ(report.Contents(), "");
}

// Heads that grow beyond the largest double part-way: the rows before the
// fault are in the report, none after it.
TEST(WriteProfileGuards, AnOverflowPartWayKeepsTheEarlierRowsOnly) {
    Soil soil = ConstantTransmissivitySoil();
    soil.R = 2e306;  // F* = R/T·(Lx − x²/2) passes 1.797e308 near x = 13.65 for L = 20, T = 2
    soil.Kb1 = 2.0;
    soil.Kv1 = 2.0;
    soil.D1 = 2.0;  // Thick1 1: T = 2
    DrainageCase c = CaseOf(soil);
    ASSERT_EQ(Transmissivity(c, 5.0, 1.0), 2.0);
    c.HalfSpacing = 20.0;
    c.EntranceHead = 0.0;
    c.EnergyMidHead = 0.0;
    ReportWriter report;
    std::string text;
    EXPECT_EQ(FaultOf([&] { WriteProfile(c, report); }, &text), Fault::Overflow);
    EXPECT_EQ(text, "Floating point overflow");
    const std::vector<std::string> rows = SplitCrLf(report.Contents());
    std::vector<std::string> printedX;
    for (const std::string& row : rows) printedX.push_back(row.substr(0, 6));
    const std::vector<std::string> expected = {"  0.00", "  0.50", "  1.00", "  2.00", "  4.00",
                                               "  6.00", "  8.00", " 10.00", " 12.00"};
    EXPECT_EQ(printedX, expected);
    EXPECT_EQ(report.Contents().substr(report.Contents().size() - 2), "\r\n");
}

}  // namespace
}  // namespace pelorin
