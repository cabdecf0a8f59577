#include "Marches.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

#include "GuardedArithmetic.h"
#include "StepKernels.h"

namespace pelorin {
namespace {

struct MarchEnd {
    double head;
    double gradient;
    std::int64_t lastStepTaken;
};

// The first step starts from the entrance head itself; the later ones from the
// head half a step on. The first step is taken before the loop so that the
// loop body has no test for it.
template <DrainZone zone, class Real>
MarchEnd DarcySteps(const DrainageCase& c, double L, std::int64_t first, std::int64_t last,
                    const StopToken& stop) {
    const Real p = c.p;
    Real head = c.EntranceHead;
    StepPlace<Real> at = PlaceOf<Real>(c, first, p);
    Real T = TransmissivityAt<zone, Real>(c, Real(c.EntranceHead), at.Y);
    Real G = Real(c.R) * (Real(L) - at.xc) / T;
    head = head + G * p;
    StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        at = PlaceOf<Real>(c, i, p);
        const Real hmid = head + Real(0.5) * G * p;
        T = TransmissivityAt<zone, Real>(c, hmid, at.Y);
        G = Real(c.R) * (Real(L) - at.xc) / T;
        head = head + G * p;
        return true;
    });
    return {Value(head), Value(G), last};
}

template <DrainZone zone, class Real>
MarchEnd EnergySteps(const DrainageCase& c, double L, double Hm, std::int64_t first,
                     std::int64_t last, const StopToken& stop) {
    const Real p = c.p;
    Real head = c.EntranceHead;
    StepPlace<Real> at = PlaceOf<Real>(c, first, p);
    Real rest = Real(L) - at.xc;
    Real hmid = c.EntranceHead;
    Real T = TransmissivityAt<zone, Real>(c, hmid, at.Y);
    Real G = Real(c.R) * rest / T + EnergyCorrection(hmid, Hm, rest);
    head = head + G * p;
    if (head > Real(Hm) || G < Real(0.0)) return {Value(head), Value(G), first};
    const std::int64_t stopped = StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        at = PlaceOf<Real>(c, i, p);
        rest = Real(L) - at.xc;
        hmid = head + Real(0.5) * G * p;
        T = TransmissivityAt<zone, Real>(c, hmid, at.Y);
        G = Real(c.R) * rest / T + EnergyCorrection(hmid, Hm, rest);
        head = head + G * p;
        return !(head > Real(Hm) || G < Real(0.0));
    });
    return {Value(head), Value(G), stopped};
}

template <class Real>
MarchEnd RunDarcySteps(const DrainageCase& c, double L, const StopToken& stop) {
    return WithZone(c, [&](auto zone) {
        return DarcySteps<decltype(zone)::value, Real>(c, L, c.FirstStep, c.LastStep, stop);
    });
}

template <class Real>
MarchEnd RunEnergySteps(const DrainageCase& c, double L, double Hm, const StopToken& stop) {
    return WithZone(c, [&](auto zone) {
        return EnergySteps<decltype(zone)::value, Real>(c, L, Hm, c.FirstStep, c.LastStep, stop);
    });
}

// The fast march runs on plain doubles. A fault shows as a value that is no
// longer finite or as a raised status flag; the march is then run again with
// every operation guarded, which stops at the first fault with its own text.
bool FaultSuspected(const MarchEnd& end) {
    return !std::isfinite(end.head) || !std::isfinite(end.gradient) ||
           std::fetestexcept(kWatchedFlags) != 0;
}

// What both marches share: the step count, no step at all keeping the head,
// the fast run and its guarded rerun, and the results into the case.
// run(tag) marches with the number type of the tag (double or Guarded).
template <class RunSteps>
double March(DrainageCase& c, double L, RunSteps run) {
    c.LastStep = RoundStep(Guarded(L) / c.p);
    if (c.LastStep < c.FirstStep) return c.MarchHead;
    std::feclearexcept(kWatchedFlags);
    MarchEnd end = run(double{});
    if (FaultSuspected(end)) end = run(Guarded{});
    c.MarchHead = end.head;
    c.MarchGradient = end.gradient;
    c.MarchStoppedAt = end.lastStepTaken;
    return c.MarchHead;
}

}  // namespace

double MarchDarcy(DrainageCase& c, double L, const StopToken& stop) {
    return March(c, L, [&](auto real) { return RunDarcySteps<decltype(real)>(c, L, stop); });
}

double MarchEnergy(DrainageCase& c, double L, double Hm, const StopToken& stop) {
    return March(c, L, [&](auto real) { return RunEnergySteps<decltype(real)>(c, L, Hm, stop); });
}

}  // namespace pelorin
