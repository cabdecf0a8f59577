// The lane march against the one-lane march, and the levels a program may run.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "GuardedArithmetic.h"
#include "LaneLevel.h"
#include "LaneMarch.h"
#include "Marches.h"
#include "ProfileRoutine.h"
#include "StandardCase.h"

namespace pelorin {
namespace {

// The standard layered case with the drain bottom moved into the zone asked for.
DrainageCase CaseIn(DrainZone zone, double halfSpacing, double p) {
    DrainageCase c = test::StandardCase(halfSpacing, p);
    if (zone == DrainZone::InLayer2) c.Db = 3.0;
    if (zone == DrainZone::BelowLayer2) c.Db = 4.5;
    c.DrainWaterDepth = c.Db - c.Dw;
    c.BottomBelowLayer1 = c.Db - c.D1;
    PrepareFlowGeometry(c);
    EXPECT_EQ(ZoneOf(c), zone);
    return c;
}

// How a march ended: the rule that stopped it.
enum class Ending { AboveHm, NegativeGradient, AtTheMidpoint };

Ending EndingOf(const DrainageCase& c, double Hm) {
    if (c.MarchHead > Hm) return Ending::AboveHm;
    if (c.MarchGradient < 0.0) return Ending::NegativeGradient;
    return Ending::AtTheMidpoint;
}

// Assumed heads around the case's answer and far from it: marches that stop
// above Hm at once or late, or turn back early or late. And heads just above
// the entrance head, e + f·G0·rest with G0 the gradient of the first step
// without correction: a march of one step ends above Hm below f = 2/3, turns
// back above f = 1 and reaches the midpoint between.
std::vector<double> ScanOfHeads(DrainageCase c, double L) {
    DrainageCase probe = c;
    MarchEnergy(probe, L, c.EntranceHead);
    const double rest = L - (c.FirstStep - 0.5) * c.p;
    SolveEnergyMidHead(c, L);
    const double answer = c.EnergyMidHead;
    std::vector<double> heads = {0.0, 1e-9, 500.0, 1000.0};
    for (int k = -20; k <= 20; ++k) heads.push_back(answer * (1.0 + k / 50.0));
    for (int k = -6; k <= 6; ++k) heads.push_back(answer + k * 1e-6);
    for (int k = 10; k <= 24; ++k)
        heads.push_back(c.EntranceHead + k / 20.0 * probe.MarchGradient * rest);
    return heads;
}

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

struct LaneCase {
    const char* name;
    DrainZone zone;
    double halfSpacing;
    double p;
    bool oneStep;
};

class LaneMarchTest : public ::testing::TestWithParam<LaneLevel> {};

// Every lane ends where MarchEnergy ends with the same assumed head, bit for
// bit, in whichever lane and beside whichever others; the scan meets every rule
// that ends a march. A case's last step is centred on the midpoint, the last
// case marches one step.
TEST_P(LaneMarchTest, EveryLaneEqualsTheOneLaneMarch) {
    const LaneLevel level = GetParam();
    if (!Available(level)) GTEST_SKIP() << "this processor lacks " << NameOf(level);
    const LaneCase cases[] = {
        {"in layer 1", DrainZone::InLayer1, 10.0, 0.001, false},
        {"in layer 2", DrainZone::InLayer2, 10.0, 0.001, false},
        {"below layer 2", DrainZone::BelowLayer2, 10.0, 0.001, false},
        {"last step on the midpoint", DrainZone::InLayer1, 3.375, 0.25, false},
        {"one step", DrainZone::BelowLayer2, 10.0, 0.001, true},
    };
    int endings[3] = {0, 0, 0};
    for (const LaneCase& k : cases) {
        SCOPED_TRACE(k.name);
        DrainageCase c = CaseIn(k.zone, k.halfSpacing, k.p);
        if (k.oneStep) c.FirstStep = RoundStep(c.HalfSpacing / c.p);
        const std::vector<double> heads = ScanOfHeads(c, c.HalfSpacing);
        for (std::size_t from = 0; from < heads.size(); from += kMaxLanes) {
            LaneMarch march;
            march.c = &c;
            march.L = c.HalfSpacing;
            march.first = c.FirstStep;
            march.last = RoundStep(c.HalfSpacing / c.p);
            while (march.count < kMaxLanes && from + march.count < heads.size()) {
                march.Hm[march.count] = heads[from + march.count];
                ++march.count;
            }
            const LaneMarchEnds lanes = MarchEnergyLanes(march, level);
            EXPECT_FALSE(lanes.flagRaised);
            for (int lane = 0; lane < march.count; ++lane) {
                DrainageCase one = c;
                const double Hm = march.Hm[lane];
                MarchEnergy(one, one.HalfSpacing, Hm);
                SCOPED_TRACE("Hm " + std::to_string(Hm));
                ++endings[static_cast<int>(EndingOf(one, Hm))];
                EXPECT_EQ(Bits(lanes.ends[lane].head), Bits(one.MarchHead));
                EXPECT_EQ(Bits(lanes.ends[lane].gradient), Bits(one.MarchGradient));
                EXPECT_EQ(lanes.ends[lane].stoppedAt, one.MarchStoppedAt);
            }
        }
    }
    EXPECT_GT(endings[static_cast<int>(Ending::AboveHm)], 0);
    EXPECT_GT(endings[static_cast<int>(Ending::NegativeGradient)], 0);
    EXPECT_GT(endings[static_cast<int>(Ending::AtTheMidpoint)], 0);
}

// The trials of a Darcy search, each in a lane beside others: half spacings
// (so last steps) from one step to many, discharges, conductivities and
// entrance heads of their own. Every lane ends where MarchDarcy ends on its
// trial, bit for bit.
TEST_P(LaneMarchTest, EveryDarcyLaneEqualsTheOneLaneMarch) {
    const LaneLevel level = GetParam();
    if (!Available(level)) GTEST_SKIP() << "this processor lacks " << NameOf(level);
    for (DrainZone zone : {DrainZone::InLayer1, DrainZone::InLayer2, DrainZone::BelowLayer2}) {
        const DrainageCase base = CaseIn(zone, 10.0, 0.001);
        std::vector<DrainageCase> trials;
        for (int k = 0; k < 11; ++k) {
            DrainageCase t = base;
            t.HalfSpacing = k == 0 ? (t.FirstStep + 0.2) * t.p : 10.0 * (0.3 + 0.17 * k);
            t.R = base.R * (0.5 + 0.1 * k);
            const double K = 0.05 + 0.3 * k;
            if (k % 3 == 1) t.Ka = t.Kb1 = t.Kv1 = t.Kb2 = t.Kv2 = t.Keq1 = t.Keq2 = K;
            t.EntranceHead = base.EntranceHead * (1.0 + 0.05 * k);
            t.LastStep = RoundStep(t.HalfSpacing / t.p);
            trials.push_back(t);
        }
        for (std::size_t from = 0; from < trials.size(); from += kMaxLanes) {
            DarcyLaneMarch march;
            march.c = &base;
            march.first = base.FirstStep;
            for (; march.count < kMaxLanes && from + march.count < trials.size(); ++march.count)
                march.lanes[march.count] = DarcyLaneOf(trials[from + march.count]);
            const LaneMarchEnds lanes = MarchDarcyLanes(march, level);
            EXPECT_FALSE(lanes.flagRaised);
            for (int lane = 0; lane < march.count; ++lane) {
                DrainageCase one = trials[from + lane];
                MarchDarcy(one, one.HalfSpacing);
                SCOPED_TRACE("L " + std::to_string(one.HalfSpacing));
                EXPECT_EQ(Bits(lanes.ends[lane].head), Bits(one.MarchHead));
                EXPECT_EQ(Bits(lanes.ends[lane].gradient), Bits(one.MarchGradient));
                EXPECT_EQ(lanes.ends[lane].stoppedAt, one.MarchStoppedAt);
            }
        }
    }
}

// A march whose every step divides by zero raises the shared flags, which
// send the search to the one-lane march and its guarded rerun.
TEST_P(LaneMarchTest, AFaultOfALaneRaisesTheSharedFlag) {
    const LaneLevel level = GetParam();
    if (!Available(level)) GTEST_SKIP() << "this processor lacks " << NameOf(level);
    DrainageCase c = test::StandardCase(1.0, 0.001);
    c.Ka = c.Kb1 = c.Kv1 = c.Kb2 = c.Kv2 = c.Keq1 = c.Keq2 = 0;
    c.EntranceHead = 0;
    LaneMarch march;
    march.c = &c;
    march.L = c.HalfSpacing;
    march.first = c.FirstStep;
    march.last = RoundStep(c.HalfSpacing / c.p);
    march.count = 3;
    march.Hm[0] = 0.5;
    march.Hm[1] = 0.25;
    march.Hm[2] = 1.0;
    EXPECT_TRUE(MarchEnergyLanes(march, level).flagRaised);
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, LaneMarchTest,
                         ::testing::Values(LaneLevel::Scalar, LaneLevel::Sse2, LaneLevel::Avx2,
                                           LaneLevel::Avx512),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

TEST(LaneLevel, AForcedLevelIsTakenWhenThereAndRefusedNamingTheLevelsThereAre) {
    std::string has;
    for (LaneLevel level : AvailableLaneLevels())
        has += (has.empty() ? "" : ", ") + std::string(NameOf(level));
    EXPECT_EQ(ChooseLaneLevel("").level, AvailableLaneLevels().back());
    for (LaneLevel level :
         {LaneLevel::Scalar, LaneLevel::Sse2, LaneLevel::Avx2, LaneLevel::Avx512}) {
        const LaneLevelChoice choice = ChooseLaneLevel(NameOf(level));
        if (Available(level)) {
            EXPECT_EQ(choice.level, level);
            EXPECT_EQ(choice.refusal, "");
        } else {
            EXPECT_EQ(choice.refusal, "PELORIN_SIMD=" + std::string(NameOf(level)) +
                                          ": this processor lacks it; the levels it has are " +
                                          has);
        }
    }
    EXPECT_EQ(ChooseLaneLevel("avx3").refusal,
              "PELORIN_SIMD=avx3: no such level; the levels it has are " + has);
}

}  // namespace
}  // namespace pelorin
