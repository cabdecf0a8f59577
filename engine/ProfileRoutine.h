#pragma once

#include <cstdint>
#include <functional>

#include "DrainageCase.h"
#include "StopToken.h"

namespace pelorin {

class ReportWriter;

// Fills the flow geometry of a case: anisotropy factors, equivalent
// permeabilities, transformed thicknesses and the width or depth excess of the
// drain. May set HalfWidth to 0 (a drain bottom at or below D2).
void PrepareFlowGeometry(DrainageCase& c);
// Steps 4 and 5 only, with both anisotropy factors taken as 1: the conductivity
// engines compute the permeabilities themselves.
void PrepareIsotropicFlowGeometry(DrainageCase& c);

// Round(halfWidth/p) + 1, at least 2: the first step of a march.
std::int32_t FirstStepFor(double halfWidth, double p);

// The flow capacity (m2/day) of the section where the head is h and the
// transformed depth of the flow zone below drain level is Y.
double Transmissivity(const DrainageCase& c, double h, double Y);

// Integrates the Darcy head from the drain to L with the step p, starting from
// EntranceHead. Sets LastStep; returns the head at the last step (MarchHead),
// or MarchHead unchanged when no step can be taken. A long march looks at
// `stop` every kStepsBetweenStopChecks steps.
double MarchDarcy(DrainageCase& c, double L, const StopToken& stop = {});

// The energy-balance march with the midway head Hm assumed; stops after a step
// whose head exceeds Hm or whose gradient is negative. Leaves the head and the
// gradient of the last step in MarchHead and MarchGradient and returns the head.
double MarchEnergy(DrainageCase& c, double L, double Hm, const StopToken& stop = {});

// Called after every march of the midway-head bisection that does not end it,
// with the change of the assumed head that was just tested.
using BisectionProgress = std::function<void(double change)>;

// Bisection of the assumed energy-balance midway head: EnergyMidHead starts at
// `start`, EnergyMidHigh at `upper`. Returns the head of the last march. After
// every march that does not end it, `stop` is looked at, then `progress` called.
double SolveEnergyMidHead(DrainageCase& c, double L, double start = 500.0, double upper = 1000.0,
                          const BisectionProgress& progress = {}, const StopToken& stop = {});

// Recomputes both water tables with the fine step 0.00001 m, writes the
// selected rows into the report and leaves the midway values in the profile
// state of the case.
void WriteProfile(DrainageCase& c, ReportWriter& report, const StopToken& stop = {});

// Which steps of the profile give a table row: the first and the last, every
// multiple of the row interval n, and the first step found by the half and by
// the quarter test. Decides in O(1) per step.
class ProfileRowSelector {
public:
    ProfileRowSelector(std::int32_t firstStep, std::int32_t lastStep, std::int64_t n);

    // Whether step i gives a row; updates the half and quarter flags as the
    // scan over j = 0, n, 2n, ... would.
    bool Select(std::int64_t i);
    // The first step at or after `from` that gives a row with the flags as they
    // stand (the flags change only when a row is written).
    std::int64_t NextRow(std::int64_t from) const;

private:
    bool Gives(std::int64_t i, bool& half, bool& quarter) const;

    std::int64_t first_;
    std::int64_t last_;
    std::int64_t n_;
    std::int64_t candidateStride_;  // every row step is a multiple of it (or first/last)
    bool half_ = false;
    bool quarter_ = false;
};

}  // namespace pelorin
