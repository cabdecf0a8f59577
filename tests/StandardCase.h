#pragma once

// The layered case that the thread tests and the benchmarks march: plain
// engine types only, no test framework.

#include "DrainageCase.h"
#include "ProfileRoutine.h"

namespace pelorin::test {

// A pipe drain in the first of two anisotropic layers with entrance resistance:
// every march step goes through the layered transmissivity.
inline DrainageCase StandardCase(double halfSpacing, double p) {
    DrainageCase c;
    c.R = 0.007;
    c.D1 = 2.0;
    c.D2 = 4.0;
    c.Dw = 1.2;
    c.Db = 1.3;
    c.E = 0.5;
    c.W = 0;
    c.Ka = 0.6;
    c.Kb1 = 0.8;
    c.Kv1 = 0.4;
    c.Kb2 = 2.0;
    c.Kv2 = 1.0;
    c.Thick1 = c.D1 - c.Dw;
    c.Thick2 = c.D2 - c.D1;
    c.DrainWaterDepth = c.Db - c.Dw;
    c.BottomBelowLayer1 = c.Db - c.D1;
    c.HalfWidth = c.W / 2;
    PrepareFlowGeometry(c);
    c.p = p;
    c.HalfSpacing = halfSpacing;
    c.FirstStep = FirstStepFor(c.HalfWidth, p);
    c.EntranceHead = 2 * c.R * halfSpacing * c.E;
    return c;
}

}  // namespace pelorin::test
