#pragma once

// What the marches and the profile share, step by step: the transmissivity of
// a zone fixed at compile time, the place of a step, the energy correction and
// the loop that looks at the stop request. Templates over the number type:
// plain doubles for the fast runs, Guarded for the reruns that find a fault.

#include <algorithm>
#include <cfenv>
#include <cstdint>
#include <type_traits>

#include "DrainageCase.h"
#include "GuardedArithmetic.h"
#include "StopToken.h"

namespace pelorin {

inline constexpr double kFlowZoneSlope = 1.571;  // not pi/2: the value the method was built with
// The status flags a fast run watches for a fault. WebAssembly has no
// floating-point status flags (its <cfenv> names none): there a fault shows
// only as a value that is no longer finite.
#if defined(FE_DIVBYZERO) && defined(FE_INVALID) && defined(FE_OVERFLOW)
inline constexpr int kWatchedFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;
#else
inline constexpr int kWatchedFlags = 0;
#endif

// Transmissivity for a drain zone fixed at compile time: the marches decide
// the zone once and run a loop without the switch. Written once for plain
// doubles (the fast path) and for Guarded (the rerun that finds a fault).
template <DrainZone zone, class Real>
Real TransmissivityAt(const DrainageCase& c, Real h, Real Y) {
    if constexpr (zone == DrainZone::InLayer1) {
        const Real base = Real(c.Ka) * h + Real(c.Kv1) * c.WidthExcess;
        if (Y <= Real(c.TThick1)) return base + Real(c.Keq1) * Y;
        if (Y <= Real(c.TThick12))
            return base + Real(c.Keq1) * c.TThick1 + Real(c.Keq2) * (Y - Real(c.TThick1));
        return base + Real(c.Keq1) * c.TThick1 + Real(c.Keq2) * c.TThick2;
    } else if constexpr (zone == DrainZone::InLayer2) {
        const Real base = Real(c.Ka) * h + Real(c.Kb1) * c.Thick1 + Real(c.Kv2) * c.WidthExcess;
        if (Y <= Real(c.TThick2)) return base + Real(c.Keq2) * Y;
        return base + Real(c.Keq2) * c.TThick2;
    } else {
        return Real(c.Ka) * h + Real(c.Kb1) * c.Thick1 + Real(c.Kb2) * c.Thick2;
    }
}

// Calls body(std::integral_constant<DrainZone, zone>) for the zone of the case.
template <class Body>
decltype(auto) WithZone(const DrainageCase& c, Body&& body) {
    switch (ZoneOf(c)) {
        case DrainZone::InLayer1:
            return body(std::integral_constant<DrainZone, DrainZone::InLayer1>{});
        case DrainZone::InLayer2:
            return body(std::integral_constant<DrainZone, DrainZone::InLayer2>{});
        case DrainZone::BelowLayer2: break;
    }
    return body(std::integral_constant<DrainZone, DrainZone::BelowLayer2>{});
}

// Runs step(i) for i = from..to in runs that end before each multiple of
// kStepsBetweenStopChecks, looking at `stop` between two runs: a long loop ends
// soon after a stop request, and the loop of a run has no test for it. step
// returns false to end the loop after its step; returns the last i stepped.
template <class Step>
std::int64_t StepWithStopChecks(std::int64_t from, std::int64_t to, const StopToken& stop,
                                Step&& step) {
    std::int64_t i = from;
    for (;;) {
        const std::int64_t runEnd =
            std::min(to, (i / kStepsBetweenStopChecks + 1) * kStepsBetweenStopChecks - 1);
        for (; i <= runEnd; ++i) {
            if (!step(i)) return i;
        }
        if (runEnd >= to) return to;
        stop.ThrowIfRequested();
    }
}

// The centre of step i and the transformed depth of the flow zone there.
template <class Real>
struct StepPlace {
    Real xc;
    Real Y;
};

template <class Real>
StepPlace<Real> PlaceOf(const DrainageCase& c, std::int64_t i, Real p) {
    const Real xc = (Real(static_cast<double>(i)) - 0.5) * p;
    return {xc, Real(kFlowZoneSlope) * xc + c.DepthExcess};
}

// The correction for energy input, (hmid − Hm)/(L − xc). No flow crosses the
// midpoint: the last step is centred on it, or by rounding a hair past it, when
// Round(L/p) rounds a half upwards, and it then takes no correction instead of
// dividing by zero or by a tiny negative distance. Only the last step can be
// centred there, so the test is always true inside the loop and costs a
// well-predicted branch off the step's chain.
template <class Real>
Real EnergyCorrection(Real hmid, double Hm, Real rest) {
    return rest > Real(0.0) ? (hmid - Real(Hm)) / rest : Real(0.0);
}

}  // namespace pelorin
