// Round trips across the aims, for both methods: the spacing found for a
// recharge and a midway depth, given back to the other aims, must give back
// that depth, that recharge and, on a homogeneous soil, its conductivity.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Engines.h"
#include "InputFile.h"
#include "ProfileRoutine.h"
#include "RunSink.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

// A homogeneous, isotropic soil of conductivity K down to D1 (= D2), drained
// by pipes or ditches at the depth Dw, under the recharge R, with the midway
// water table at the depth Dm.
struct Soil {
    const char* name;
    double R, D1, Dw, Db, E, W, K, Dm;
};

struct MethodRun {
    CalcMethod method;
    const char* spacingLabel;
};

// The run of a case of an aim, in memory as every program runs it.
CaseOutcome RunAim(const std::string& name, const char* aim, CalcMethod method,
                   const std::vector<double>& values) {
    CaseInput input;
    input.Aim = *AimFromCode(aim);
    input.Method = method;
    std::copy(values.begin(), values.end(), input.Numbers.begin());
    input.InputFileName = name;
    RecordingSink sink;
    CaseOutcome outcome = Calculate(input, sink);
    EXPECT_EQ(outcome.End, CaseEnd::Reported) << name;
    return outcome;
}

// The number after a result label, as printed.
double PrintedResult(const std::string& report, const std::string& label) {
    const std::size_t at = report.find("\r\n" + label);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no line " << label;
        return NAN;
    }
    return std::stod(report.substr(at + 2 + label.size()));
}

// The flow geometry of a soil, as the engines prepare it.
DrainageCase Geometry(const Soil& s) {
    DrainageCase c;
    c.R = s.R;
    c.D1 = c.D2 = s.D1;
    c.Dw = s.Dw;
    c.Db = s.Db;
    c.E = s.E;
    c.Ka = c.Kb1 = c.Kv1 = c.Kb2 = c.Kv2 = s.K;
    c.Thick1 = s.D1 - s.Dw;
    c.DrainWaterDepth = s.Db - s.Dw;
    c.BottomBelowLayer1 = s.Db - s.D1;
    c.HalfWidth = s.W / 2;
    PrepareFlowGeometry(c);
    return c;
}

// An upper bound of the gradient at the drain, R·L/T with the head R·S·E and
// the flow zone at its shallowest: the steepest of the profile.
double SteepestGradient(const DrainageCase& c, double spacing) {
    return c.R * (spacing / 2) / Transmissivity(c, c.R * spacing * c.E, c.DepthExcess);
}

// Where a march with the step p starts: one step before its first step (one
// whole step away from a pipe, at the edge of a ditch's water body).
double MarchStart(const DrainageCase& c, double p) {
    return (FirstStepFor(c.HalfWidth, p) - 1) * p;
}

// How far the energy search of a run ended from a consistent midway head: its
// answer is the head of the march that ended the midway-head bisection, which
// may have stopped on a falling gradient short of the assumed midway head.
double EnergyGap(const CaseOutcome& run, CalcMethod method) {
    if (method == CalcMethod::Darcy) return 0;
    return std::fabs(run.Case.EnergyMidHead - run.Case.MarchHead);
}

// Error budget of a round trip, as a midway head. The spacing search marches
// with the step 0.01 m, the other aim with `otherStep`; marches that start at
// different distances from the drain differ by up to that distance times the
// steepest gradient. Each search ends within 0.0001 m of its target and on a
// midway head known to one bisection step (0.00012 m), plus the energy gap of
// each run. The other aims get the spacing as printed, which lies `spacingGap`
// from the spacing the search ended on; the head grows like S², so it moves by
// up to 2·H·gap/S.
double HeadBudget(const Soil& s, double spacing, double otherStep, double spacingGap,
                  double energyGaps) {
    const DrainageCase c = Geometry(s);
    const double H = s.Dw - s.Dm;
    const double startShift = std::fabs(MarchStart(c, 0.01) - MarchStart(c, otherStep));
    return startShift * SteepestGradient(c, spacing) + 2 * (0.0001 + 0.00012) + energyGaps +
           2 * H * spacingGap / spacing;
}

// How many times larger the relative error of R or K is than that of the head
// H that they are found for: R·S² = 8·K·D·H + 4·K·H² (D = D1 − Dw) gives
// dR/R = −dK/K = (2D + 2H)/(2D + H)·dH/H.
double Sensitivity(const Soil& s) {
    const double D = s.D1 - s.Dw;
    const double H = s.Dw - s.Dm;
    return (2 * D + 2 * H) / (2 * D + H);
}

const Soil kSoils[] = {
    {"pipe drains", 0.007, 3.0, 1.6, 1.7, 0, 0, 0.6, 1.0},
    {"ditches with entrance resistance", 0.005, 4.0, 1.4, 2.0, 0.6, 1.0, 0.4, 0.8},
    {"ditches reaching the layer bottom", 0.004, 2.2, 1.5, 2.3, 0.2, 2.0, 0.8, 0.9},
};

const MethodRun kMethods[] = {
    {CalcMethod::Darcy, " The drain spacing (Darcy,  m) is: "},
    {CalcMethod::EnergyBalance, " The drain spacing (energy, m) is: "},
};

TEST(AimRoundTripTest, SpacingGivesBackDepthDischargeAndConductivity) {
    for (const MethodRun& m : kMethods) {
        const bool darcy = m.method == CalcMethod::Darcy;
        for (const Soil& s : kSoils) {
            SCOPED_TRACE(std::string(s.name) + (darcy ? ", Darcy" : ", energy balance"));
            const CaseOutcome spacingRun =
                RunAim("spacing.inp", "Spa", m.method,
                       {s.R, s.D1, s.D1, s.Dw, s.Db, s.E, s.W, s.K, s.K, s.K, s.K, s.K, s.Dm});
            const double S = PrintedResult(spacingRun.Report, m.spacingLabel);
            // The printed spacing is rounded to 0.005 m and, by the Darcy method, is
            // twice the low end of the final bracket, not the spacing of the last trial.
            const double gap = std::fabs(S - 2 * spacingRun.Case.HalfSpacing) + 0.005;
            const double spacingGap = EnergyGap(spacingRun, m.method);
            const double H = s.Dw - s.Dm;

            const CaseOutcome head =
                RunAim("depth.inp", "Hyd", m.method,
                       {s.R, s.D1, s.D1, s.Dw, s.Db, s.E, s.W, s.K, s.K, s.K, s.K, s.K, S});
            const double midHead = darcy ? head.Case.FStar : head.Case.MarchHead;
            EXPECT_NEAR(s.Dw - midHead, s.Dm,
                        HeadBudget(s, S, 0.00001, gap, spacingGap + EnergyGap(head, m.method)))
                << "S = " << S;

            const CaseOutcome discharge =
                RunAim("discharge.inp", "Dis", m.method,
                       {s.Dm, s.D1, s.D1, s.Dw, s.Db, s.E, s.W, s.K, s.K, s.K, s.K, s.K, S});
            const double dischargeGaps = spacingGap + EnergyGap(discharge, m.method);
            EXPECT_NEAR(discharge.Case.R, s.R,
                        s.R * Sensitivity(s) * HeadBudget(s, S, 0.001, gap, dischargeGaps) / H);

            const CaseOutcome conductivity =
                RunAim("conductivity.inp", "Con", m.method,
                       {s.R, s.D1, s.Dw, s.Db, s.E, s.W, s.Dm, S, 0, 0, 0, 0, 0});
            const double conductivityGaps = spacingGap + EnergyGap(conductivity, m.method);
            EXPECT_NEAR(conductivity.Case.Ka, s.K,
                        s.K * Sensitivity(s) * HeadBudget(s, S, 0.0001, gap, conductivityGaps) / H);
        }
    }
}

}  // namespace
}  // namespace pelorin
