// The flow geometry of a case and the transmissivity of its sections.

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
#include "ProfileTestSupport.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using namespace test;

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
std::ostream& operator<<(std::ostream& out, const ZoneCase& k) { return out << k.name; }

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

}  // namespace
}  // namespace pelorin
