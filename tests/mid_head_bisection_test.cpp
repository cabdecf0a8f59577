// The bisection of the assumed energy-balance midway head.

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

}  // namespace
}  // namespace pelorin
