// The Darcy and the energy-balance marches.

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

// The energy march written out step by step, with no correction at a step
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
    const struct { double p, L; } cases[] = {{0.0625, 1.46875}, {0.01, 0.175}};
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

}  // namespace
}  // namespace pelorin
