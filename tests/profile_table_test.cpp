// The profile table: which steps give a row, and the rows and midway values
// of both water tables against the table written out step by step.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "NumberFormat.h"
#include "ProfileRoutine.h"
#include "ProfileTestSupport.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using namespace test;

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

// A whole X as the table prints it: "  2.00", " 12.00".
std::string WholeMetres(int x) {
    char text[16];
    std::snprintf(text, sizeof text, "%3d.00", x);
    return text;
}

std::vector<ExampleRows> ExampleTable() {
    std::vector<ExampleRows> table;
    {
        ExampleRows e{20, 0, 200000, {0.00002, 0.5, 1}, {"  0.00", "  0.50", "  1.00"}};
        for (int x = 2; x <= 20; x += 2) {
            e.x.push_back(x);
            e.printedX.push_back(WholeMetres(x));
        }
        table.push_back(e);
    }
    {
        ExampleRows e{
            20, 3, 200000, {1.50001, 2, 2.5, 3}, {"  1.50", "  2.00", "  2.50", "  3.00"}};
        for (int x = 4; x <= 20; x += 2) {
            e.x.push_back(x);
            e.printedX.push_back(WholeMetres(x));
        }
        table.push_back(e);
    }
    {
        ExampleRows e{12.5, 0, 100000, {0.00002, 0.25, 0.5}, {"  0.00", "  0.25", "  0.50"}};
        for (int x = 1; x <= 12; ++x) {
            e.x.push_back(x);
            e.printedX.push_back(WholeMetres(x));
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
// The profile

// The profile written out literally, step by step, with the row scan over
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
std::ostream& operator<<(std::ostream& out, const LiteralCase& k) { return out << k.name; }

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

}  // namespace
}  // namespace pelorin
