#pragma once

#include "DrainageCase.h"
#include "StopToken.h"

namespace pelorin {

// Integrates the Darcy head from the drain to L with the step p, starting from
// EntranceHead. Sets LastStep; returns the head at the last step (MarchHead),
// or MarchHead unchanged when no step can be taken. A long march looks at
// `stop` every kStepsBetweenStopChecks steps.
double MarchDarcy(DrainageCase& c, double L, const StopToken& stop = {});

// The energy-balance march with the midway head Hm assumed; stops after a step
// whose head exceeds Hm or whose gradient is negative. Leaves the head and the
// gradient of the last step in MarchHead and MarchGradient and returns the head.
double MarchEnergy(DrainageCase& c, double L, double Hm, const StopToken& stop = {});

}  // namespace pelorin
