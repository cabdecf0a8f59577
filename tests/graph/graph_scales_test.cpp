#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "GraphScales.h"
#include "GraphTestSupport.h"

namespace pelorin::graph {
namespace {

using test::MakeProfile;
using test::ProfileRow;

// `lengthUnit`: the unit the rows are in ("m", or "ft" for a profile in feet).
PreparedGraph Prepare(const std::vector<ProfileRow>& rows, std::string_view lengthUnit = "m") {
    return PrepareGraph(MakeProfile(rows), lengthUnit);
}

TEST(GraphScales, HalfSpacingOf20mShowsHeightsInDmAndDistancesInM) {
    const PreparedGraph graph = Prepare(test::HalfSpacing20Rows());
    ASSERT_TRUE(graph.Drawable()) << graph.Refusal;
    const GraphScale& s = graph.Scale;
    EXPECT_EQ(s.HeightUnitFactor, 10);
    EXPECT_NEAR(s.HeightMax, 9.6, 1e-12);
    EXPECT_EQ(s.HeightBottom, 0);
    EXPECT_EQ(s.HeightTop, 10);
    EXPECT_EQ(s.HeightTicks, 10);
    EXPECT_EQ(s.HeightDecimals, 1);
    EXPECT_EQ(s.DistanceUnitFactor, 1);
    EXPECT_EQ(s.DistanceLeft, 0);
    EXPECT_EQ(s.DistanceRight, 24);
    EXPECT_EQ(s.DistanceTicks, 6);
    EXPECT_EQ(s.DistanceDecimals, 1);
    EXPECT_EQ(s.HeightCaption, "Watertable height above drain (dm)");
    EXPECT_EQ(s.DistanceCaption, "Distance from drain (m)");
    EXPECT_EQ(s.LegendDarcy, "x Darcy equation");
    EXPECT_EQ(s.LegendEnergy, "o Energy balance");
    EXPECT_EQ(s.LegendRequested, "- requested line");
}

TEST(GraphScales, PixelPositionsOfTheHalfSpacingOf20m) {
    const PreparedGraph graph = Prepare(test::HalfSpacing20Rows());
    const GraphScale& s = graph.Scale;
    ASSERT_EQ(s.PixelX.size(), 13u);
    // Midway: X 20 of 24 m, Darcy head 8 of 10 dm, energy head 6.0001 dm.
    EXPECT_EQ(s.PixelX[12], 487);        // Round(416.67) + 70
    EXPECT_EQ(s.PixelYDarcy[12], 124);   // 390 - 256 - 10
    EXPECT_EQ(s.PixelYEnergy[12], 188);  // 390 - Round(192.003) - 10
    // At the drain the point lies on the axes, its marker 10 pixels higher.
    EXPECT_EQ(s.PixelX[0], 70);
    EXPECT_EQ(s.PixelYDarcy[0], 380);
    // The profile in display units: X in m, heads in dm.
    EXPECT_DOUBLE_EQ(graph.DisplayProfile.X[12], 20.0);
    EXPECT_NEAR(graph.DisplayProfile.HeadDarcy[12], 8.0, 1e-12);
}

TEST(GraphScales, HeightUnitFollowsTheLargestDarcyHead) {
    struct Case {
        double largestHead;
        int factor;
        const char* caption;
        const char* unit = "m";
    };
    // A profile in feet takes its units by the same thresholds.
    const std::vector<Case> cases{
        {0.0833, 100, "Watertable height above drain (cm)"},
        {0.0834, 10, "Watertable height above drain (dm)"},
        {0.833, 10, "Watertable height above drain (dm)"},
        {0.834, 1, "Watertable height above drain (m)"},
        {0.0833, 100, "Watertable height above drain (0.01 ft)", "ft"},
        {0.833, 10, "Watertable height above drain (0.1 ft)", "ft"},
        {0.834, 1, "Watertable height above drain (ft)", "ft"},
    };
    for (const Case& c : cases) {
        const PreparedGraph graph =
            Prepare({{0.1, 0.0001, 0.0001}, {5, c.largestHead, c.largestHead}}, c.unit);
        ASSERT_TRUE(graph.Drawable()) << graph.Refusal;
        EXPECT_EQ(graph.Scale.HeightUnitFactor, c.factor) << c.largestHead;
        EXPECT_EQ(graph.Scale.HeightCaption, c.caption) << c.largestHead;
    }
}

TEST(GraphScales, DistanceUnitFollowsTheLargestX) {
    struct Case {
        double largestX;
        int factor;
        const char* caption;
        const char* unit = "m";
    };
    const std::vector<Case> cases{
        {0.09, 100, "Distance from drain (cm)"},
        {0.5, 10, "Distance from drain (dm)"},
        {0.99, 10, "Distance from drain (dm)"},
        {1.0, 1, "Distance from drain (m)"},
        {0.09, 100, "Distance from drain (0.01 ft)", "ft"},
        {0.99, 10, "Distance from drain (0.1 ft)", "ft"},
        {1.0, 1, "Distance from drain (ft)", "ft"},
    };
    for (const Case& c : cases) {
        const PreparedGraph graph =
            Prepare({{0.0, 0.0001, 0.0001}, {c.largestX, 1.0, 0.8}}, c.unit);
        ASSERT_TRUE(graph.Drawable()) << graph.Refusal;
        EXPECT_EQ(graph.Scale.DistanceUnitFactor, c.factor) << c.largestX;
        EXPECT_EQ(graph.Scale.DistanceCaption, c.caption) << c.largestX;
        EXPECT_NEAR(graph.DisplayProfile.X[1], c.largestX * c.factor, 1e-9);
    }
}

struct AxisCase {
    const char* name;
    double smallest;  // in the display unit
    double largest;
    int low;
    int high;
    int ticks;
    int decimals;
};

// Heads from `smallest` to `largest` metres (at least 1/1.2 m, so shown in m);
// the plot's HeightMax is 1.2 times the largest.
TEST(GraphScales, HeightAxisRows) {
    const std::vector<AxisCase> cases{
        {"2.6 near 0: 3 intervals raised to 5", 0.0001, 2.6 / 1.2, 0, 3, 5, 2},
        {"below 10, 13 intervals halved", -3, 8, -3, 10, 6, 1},
        {"10 to 25", 1, 15, 0, 20, 5, 1},
        {"25 to 50", 2, 30, 0, 40, 8, 1},
        {"50 and above, halves to even, capped at 10", 10, 100, 0, 120, 10, 1},
    };
    for (const AxisCase& c : cases) {
        const PreparedGraph graph =
            Prepare({{0.1, c.smallest, c.smallest}, {5, c.largest, c.largest}});
        ASSERT_TRUE(graph.Drawable()) << c.name << ": " << graph.Refusal;
        const GraphScale& s = graph.Scale;
        EXPECT_EQ(s.HeightUnitFactor, 1) << c.name;
        EXPECT_EQ(s.HeightBottom, c.low) << c.name;
        EXPECT_EQ(s.HeightTop, c.high) << c.name;
        EXPECT_EQ(s.HeightTicks, c.ticks) << c.name;
        EXPECT_EQ(s.HeightDecimals, c.decimals) << c.name;
    }
}

TEST(GraphScales, DistanceAxisRows) {
    const std::vector<AxisCase> cases{
        {"below 10: Round(5.5) = 6", 0.1, 5, 0, 6, 6, 1},
        {"below 10, 4 intervals raised to 5", 0, 3, 0, 4, 5, 2},
        {"10 to 25", 0.00002, 20, 0, 24, 6, 1},
        {"25 to 50", 0.1, 47.03, 0, 50, 10, 1},
        {"50 to 100: Round(6.5) = 6", 0, 60, 0, 60, 6, 0},
        {"100 to 250", 0, 140, 0, 150, 6, 0},
        {"250 to 500: Round(6.5) = 6", 0, 300, 0, 300, 6, 0},
        {"500 to 1000", 0, 730, 0, 800, 8, 0},
        {"1000 and above, capped at 10", 0, 2600, 0, 2750, 10, 1},
        {"starting away from the drain", 130, 240, 125, 250, 5, 0},
    };
    for (const AxisCase& c : cases) {
        const PreparedGraph graph = Prepare({{c.smallest, 0.0001, 0.0001}, {c.largest, 1, 1}});
        ASSERT_TRUE(graph.Drawable()) << c.name << ": " << graph.Refusal;
        const GraphScale& s = graph.Scale;
        EXPECT_EQ(s.DistanceUnitFactor, 1) << c.name;
        EXPECT_EQ(s.DistanceLeft, c.low) << c.name;
        EXPECT_EQ(s.DistanceRight, c.high) << c.name;
        EXPECT_EQ(s.DistanceTicks, c.ticks) << c.name;
        EXPECT_EQ(s.DistanceDecimals, c.decimals) << c.name;
    }
}

TEST(GraphScales, EnergyHeadAboveTheAxisTopDoesNotWidenTheScale) {
    const PreparedGraph graph = Prepare({{0.1, 0.0001, 0.0001}, {5, 1.0, 3.0}});
    ASSERT_TRUE(graph.Drawable());
    EXPECT_EQ(graph.Scale.HeightTop, 2);  // Round(1.2 + 0.4)
    EXPECT_LT(graph.Scale.PixelYEnergy[1], kPlotTop - 10);
}

// Ends that coincide would divide by zero; the axis grows by one step upward.
TEST(GraphScales, CoincidingAxisEndsAreWidenedUpward) {
    struct Case {
        const char* name;
        std::vector<ProfileRow> rows;
        int heightBottom, heightTop, distanceLeft, distanceRight;
    };
    const std::vector<Case> cases{
        {"one row, X 2 m, head at the floor", {{2, 0.0001, 0.0001}}, 0, 1, 2, 3},
        {"one row, X 16 m", {{16, 0.5, 0.4}}, 5, 6, 16, 20},
        {"one row at the drain", {{0, 0.0001, 0.0001}}, 0, 1, 0, 1},
        {"every head at the floor",
         {{0.1, 0.0001, 0.0001}, {5, 0.0001, 0.0001}, {10, 0.0001, 0.0001}},
         0,
         1,
         0,
         12},
    };
    for (const Case& c : cases) {
        const PreparedGraph graph = Prepare(c.rows);
        ASSERT_TRUE(graph.Drawable()) << c.name << ": " << graph.Refusal;
        const GraphScale& s = graph.Scale;
        EXPECT_EQ(s.HeightBottom, c.heightBottom) << c.name;
        EXPECT_EQ(s.HeightTop, c.heightTop) << c.name;
        EXPECT_EQ(s.DistanceLeft, c.distanceLeft) << c.name;
        EXPECT_EQ(s.DistanceRight, c.distanceRight) << c.name;
        EXPECT_GE(s.HeightTicks, 5) << c.name;
        EXPECT_GE(s.DistanceTicks, 5) << c.name;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_GE(s.PixelX[i], kPlotLeft) << c.name;
            EXPECT_LE(s.PixelX[i], kPlotRight) << c.name;
            EXPECT_GE(s.PixelYDarcy[i], kPlotTop - 10) << c.name;
            EXPECT_LE(s.PixelYDarcy[i], kPlotBottom - 10) << c.name;
        }
    }
}

TEST(GraphScales, ProfilesOutsideTheSupportedSizeAreRefused) {
    EXPECT_EQ(PrepareGraph(GraphProfile{}).Refusal,
              "The output file holds no watertable profile, so no graph can be made.");
    std::vector<ProfileRow> rows;
    for (int i = 0; i < kMaxProfileRows; ++i) rows.push_back({0.1 * i, 0.01 * i, 0.008 * i});
    EXPECT_TRUE(Prepare(rows).Drawable());
    rows.push_back({30, 3, 2});
    EXPECT_EQ(Prepare(rows).Refusal,
              "The watertable profile has 257 rows; a graph can show at most 256.");
    GraphProfile ragged = MakeProfile(test::FourRows());
    ragged.HeadEnergy.pop_back();
    EXPECT_FALSE(PrepareGraph(ragged).Drawable());
}

TEST(GraphScales, ValuesNoAxisCanHoldAreRefusedWithTheRunTimeText) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<ProfileRow> rows;
        const char* refusal;
    };
    const std::vector<Case> cases{
        {"axis end beyond 32 bits", {{0, 0.1, 0.1}, {1e12, 1, 1}}, "Range check error"},
        {"axis end times its step beyond 32 bits",
         {{0, 0.1, 0.1}, {5e11, 1, 1}},
         "Integer overflow"},
        {"Darcy head not a number",
         {{0, 0.1, 0.1}, {5, nan, 1}},
         "Invalid floating point operation"},
        {"infinite head", {{0, 0.1, 0.1}, {5, INFINITY, 1}}, "Range check error"},
        {"energy head too far off for a pixel row",
         {{0, 0.1, 0.1}, {5, 1, 1e15}},
         "Range check error"},
    };
    for (const Case& c : cases) EXPECT_EQ(Prepare(c.rows).Refusal, c.refusal) << c.name;
}

TEST(GraphScales, MarkersAndSegmentsLeaveOutTheDenseRowsNearTheDrain) {
    struct Case {
        int rows;
        const char* tag;
        RowRange darcy, energy, segments;
        RequestedCurve curve;
        bool legend;
    };
    const std::vector<Case> cases{
        {13, " Dar", {3, 12}, {1, 12}, {2, 12}, RequestedCurve::Darcy, true},
        {13, " Ene", {3, 12}, {1, 12}, {2, 12}, RequestedCurve::Energy, true},
        {13, " Hyd", {3, 12}, {1, 12}, {}, RequestedCurve::None, false},
        {10, " Dar", {3, 9}, {1, 9}, {2, 9}, RequestedCurve::Darcy, true},
        {9, " Dar", {1, 8}, {0, 8}, {1, 8}, RequestedCurve::Darcy, true},
        {4, " Ene", {1, 3}, {0, 3}, {1, 3}, RequestedCurve::Energy, true},
        {4, " Hyd", {1, 3}, {0, 3}, {}, RequestedCurve::None, false},
        {4, " Xyz", {1, 3}, {0, 3}, {}, RequestedCurve::None, true},
        {1, " Dar", {1, 0}, {0, 0}, {1, 0}, RequestedCurve::Darcy, true},
    };
    for (const Case& c : cases) {
        const GraphMarks marks = ChooseGraphMarks(c.rows, c.tag);
        const std::string name = std::to_string(c.rows) + " rows," + c.tag;
        EXPECT_EQ(marks.DarcyMarkers.Count(), c.darcy.Count()) << name;
        if (c.darcy.Count() > 0) {
            EXPECT_EQ(marks.DarcyMarkers.First, c.darcy.First) << name;
        }
        EXPECT_EQ(marks.EnergyMarkers.First, c.energy.First) << name;
        EXPECT_EQ(marks.EnergyMarkers.Last, c.energy.Last) << name;
        EXPECT_EQ(marks.Segments.Count(), c.segments.Count()) << name;
        if (c.segments.Count() > 0) {
            EXPECT_EQ(marks.Segments.First, c.segments.First) << name;
            EXPECT_EQ(marks.Segments.Last, c.segments.Last) << name;
        }
        EXPECT_EQ(marks.Curve, c.curve) << name;
        EXPECT_EQ(marks.RequestedLegend, c.legend) << name;
    }
}

TEST(GraphScales, TickLabelFormat) {
    struct Case {
        double value;
        int decimals;
        const char* separator;
        const char* label;
    };
    const std::vector<Case> cases{
        {2.5, 1, ".", "2.5"},    {10, 1, ".", "10.0"},   {0.4, 2, ".", "0.40"},
        {5, 0, ".", " 5"},       {120, 0, ".", "120"},   {2.5, 1, ",", "2,5"},
        {-1.26, 1, ".", "-1.3"}, {-0.04, 1, ".", "0.0"}, {0.6, 3, ".", "0.600"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTickLabel(c.value, c.decimals, c.separator), c.label)
            << c.value << " with " << c.decimals;
}

TEST(GraphScales, TicksOfTheHalfSpacingOf20m) {
    const PreparedGraph graph = Prepare(test::HalfSpacing20Rows());
    const std::vector<AxisTick> heights = HeightAxisTicks(graph.Scale, ".");
    ASSERT_EQ(heights.size(), 11u);
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(heights[k].Pixel, 70 + 32 * k);
        EXPECT_EQ(heights[k].Label, FormatTickLabel(10 - k, 1, "."));
    }
    EXPECT_EQ(heights[0].Label, "10.0");
    EXPECT_EQ(heights[10].Label, "0.0");

    const std::vector<DistanceTick> distances = DistanceAxisTicks(graph.Scale, ".");
    const std::vector<int> labelLefts{62, 145, 229, 312, 395, 479, 562};
    const std::vector<int> pixels{70, 153, 237, 320, 403, 487, 570};
    const std::vector<std::string> labels{"0.0", "4.0", "8.0", "12.0", "16.0", "20.0", "24.0"};
    ASSERT_EQ(distances.size(), labelLefts.size());
    for (std::size_t k = 0; k < distances.size(); ++k) {
        EXPECT_EQ(distances[k].LabelLeft, labelLefts[k]) << k;
        EXPECT_EQ(distances[k].Pixel, pixels[k]) << k;
        EXPECT_EQ(distances[k].Label, labels[k]) << k;
    }
}

TEST(GraphScales, ForcedIntervalsGiveTickValuesWithTheExtraDecimal) {
    // Heights 0 to 3 m in 5 intervals: 3.00, 2.40, ... 0.00.
    const PreparedGraph graph = Prepare({{0.1, 0.0001, 0.0001}, {5, 2.6 / 1.2, 2}});
    const std::vector<AxisTick> heights = HeightAxisTicks(graph.Scale, ".");
    std::vector<std::string> labels;
    for (const AxisTick& tick : heights) labels.push_back(tick.Label);
    EXPECT_EQ(labels, (std::vector<std::string>{"3.00", "2.40", "1.80", "1.20", "0.60", "0.00"}));
    EXPECT_EQ(heights[1].Pixel, 134);  // Round(0.2 * 320 + 70)
}

}  // namespace
}  // namespace pelorin::graph
