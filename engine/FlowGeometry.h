#pragma once

#include <cstdint>

#include "DrainageCase.h"
#include "GuardedArithmetic.h"

namespace pelorin {

// Fills the flow geometry of a case: anisotropy factors, equivalent
// permeabilities, transformed thicknesses and the width or depth excess of the
// drain. May set HalfWidth to 0 (a drain bottom at or below D2).
void PrepareFlowGeometry(DrainageCase& c);
// The transformed thicknesses and drain excesses only, with both anisotropy
// factors taken as 1: the conductivity engines compute the permeabilities
// themselves.
void PrepareIsotropicFlowGeometry(DrainageCase& c);

// Round(halfWidth/p) + 1, at least 2: the first step of a march.
std::int32_t FirstStepFor(double halfWidth, double p);

// The flow capacity (m2/day) of the section where the head is h and the
// transformed depth of the flow zone below drain level is Y.
double Transmissivity(const DrainageCase& c, double h, double Y);

// The head at the drain edge caused by the entrance resistance: 2·R·L·E.
inline double EntranceHeadFor(const DrainageCase& c, double L) {
    return Value(Guarded(2.0) * c.R * L * c.E);
}

}  // namespace pelorin
