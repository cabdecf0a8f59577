#include "FlowGeometry.h"

#include <algorithm>

#include "GuardedArithmetic.h"
#include "StepKernels.h"

namespace pelorin {
namespace {

// The part of PrepareFlowGeometry that both the layered and the isotropic
// preparation share: transformed thicknesses and drain excesses.
void PrepareTransformedGeometry(DrainageCase& c) {
    using G = Guarded;
    c.TThick1 = Value(G(c.Thick1) * c.Aniso1);
    c.TThick2 = Value(G(c.Thick2) * c.Aniso2);
    c.TThick12 = Value(G(c.TThick1) + c.TThick2);
    c.TDrainDepth1 = Value(G(c.DrainWaterDepth) * c.Aniso1);
    c.TDrainDepth2 = Value(G(c.BottomBelowLayer1) * c.Aniso2);
    switch (ZoneOf(c)) {
        case DrainZone::InLayer1:
            c.WidthExcess = std::max(0.0, Value(G(c.HalfWidth) - c.TDrainDepth1));
            c.DepthExcess = std::max(0.0, Value(G(c.TDrainDepth1) - c.HalfWidth));
            break;
        case DrainZone::InLayer2:
            c.WidthExcess = std::max(0.0, Value(G(c.HalfWidth) - c.TDrainDepth2));
            c.DepthExcess = std::max(0.0, Value(G(c.TDrainDepth2) - c.HalfWidth));
            break;
        case DrainZone::BelowLayer2:
            c.HalfWidth = 0;
            c.WidthExcess = 0;
            c.DepthExcess = std::max(0.0, c.TDrainDepth2);
            break;
    }
}

void PrepareLayer(double kb, double kv, double& aniso, double& keq) {
    keq = 0;
    if (kv > 0) {
        aniso = Value(Sqrt(Guarded(kb) / kv));
        if (aniso > 0) keq = Value(Guarded(kb) / aniso);
    } else {
        aniso = 1000000;
    }
}

}  // namespace

std::int32_t FirstStepFor(double halfWidth, double p) {
    return std::max<std::int32_t>(2, AddSteps(RoundStep(Guarded(halfWidth) / p), 1));
}

void PrepareFlowGeometry(DrainageCase& c) {
    PrepareLayer(c.Kb1, c.Kv1, c.Aniso1, c.Keq1);
    PrepareLayer(c.Kb2, c.Kv2, c.Aniso2, c.Keq2);
    PrepareTransformedGeometry(c);
}

void PrepareIsotropicFlowGeometry(DrainageCase& c) {
    c.Aniso1 = 1;
    c.Aniso2 = 1;
    PrepareTransformedGeometry(c);
}

double Transmissivity(const DrainageCase& c, double h, double Y) {
    return WithZone(c, [&](auto zone) {
        return Value(TransmissivityAt<decltype(zone)::value, Guarded>(c, h, Y));
    });
}

}  // namespace pelorin
