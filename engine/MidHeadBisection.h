#pragma once

#include <functional>

#include "DrainageCase.h"
#include "RunContext.h"

namespace pelorin {

// Called after every march of the midway-head bisection that does not end it,
// with the change of the assumed head that was just tested.
using BisectionProgress = std::function<void(double change)>;

// Bisection of the assumed energy-balance midway head: EnergyMidHead starts at
// `start`, EnergyMidHigh at `upper`. Returns the head of the last march. After
// every march that does not end it, the run's stop token is looked at, then
// `progress` called. With two threads or more, marches it may make next run
// ahead on other threads; the result is the same. `expected` (above 0) is the
// answer the bisection is likely to end near, such as the last one of an
// outer search: it only steers which marches run ahead, never the result.
double SolveEnergyMidHead(DrainageCase& c, double L, double start = 500.0, double upper = 1000.0,
                          const BisectionProgress& progress = {}, const RunContext& run = {},
                          double expected = 0.0);

}  // namespace pelorin
