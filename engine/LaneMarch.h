#pragma once

// The energy-balance march over several assumed midway heads at once, one in
// each vector lane, and the Darcy march over several trials of a search. A
// lane performs the operations of the one-lane march in the same order (+ − ×
// ÷ and compares only), so its head, gradient and last step are those of the
// one-lane march bit for bit, whatever the other lanes do.

#include <cstdint>

#include "DrainageCase.h"
#include "LaneLevel.h"
#include "StopToken.h"

namespace pelorin {

inline constexpr int kMaxLanes = 8;

// Where one lane's march ended: the head and gradient of its last step and
// that step's index.
struct LaneEnd {
    double head = 0;
    double gradient = 0;
    std::int64_t stoppedAt = 0;
};

// The marches of one lane march: the case and half spacing they share, the
// steps first..last (at least one), and up to kMaxLanes assumed midway heads.
struct LaneMarch {
    const DrainageCase* c = nullptr;
    double L = 0;
    std::int64_t first = 0;
    std::int64_t last = 0;
    int count = 0;
    double Hm[kMaxLanes] = {};
};

// The ends of the lanes, and whether a watched floating-point status flag was
// raised: the flags are shared by the lanes, so a flag says only that some lane
// (or a lane that had already stopped) may have met a fault.
struct LaneMarchEnds {
    LaneEnd ends[kMaxLanes];
    bool flagRaised = false;
};

// Marches the lanes in groups of LanesOf(level); looks at `stop` every
// kStepsBetweenStopChecks steps. Nothing here throws but a stop request.
LaneMarchEnds MarchEnergyLanes(const LaneMarch& march, LaneLevel level, const StopToken& stop = {});

// The Darcy marches of an outer search's trials, one trial in each lane: the
// trials differ in the half spacing (and so in the last step), the discharge,
// the conductivities and the entrance head, each lane with its own; the
// geometry, the step and the first step are the case's. A lane performs the
// operations of MarchDarcy in the same order and ends on its own last step.
struct DarcyLane {
    std::int64_t last = 0;  // at least the march's `first`
    double L = 0;
    double R = 0;
    double entrance = 0;
    double Ka = 0, Kv1 = 0, Kb1 = 0, Kb2 = 0, Kv2 = 0, Keq1 = 0, Keq2 = 0;
};
struct DarcyLaneMarch {
    const DrainageCase* c = nullptr;
    std::int64_t first = 0;
    int count = 0;
    DarcyLane lanes[kMaxLanes];
};

// The lane of a trial: the case prepared for it, with its LastStep.
DarcyLane DarcyLaneOf(const DrainageCase& c);

// Marches the lanes in groups of LanesOf(level), as MarchEnergyLanes does.
LaneMarchEnds MarchDarcyLanes(const DarcyLaneMarch& march, LaneLevel level,
                              const StopToken& stop = {});

// Each march's lanes two at a time: the kernels of a level this build cannot
// run (never chosen) are made of them.
void MarchEnergyLanesInPairs(const LaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchDarcyLanesInPairs(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop);

// The kernels of each level, each in a source of its own built for its
// instruction set. `march.count` is at most the level's lanes.
void MarchEnergyLanesSse2(const LaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchEnergyLanesAvx2(const LaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchEnergyLanesAvx512(const LaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchDarcyLanesSse2(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchDarcyLanesAvx2(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchDarcyLanesAvx512(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop);

}  // namespace pelorin
