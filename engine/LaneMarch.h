#pragma once

// The energy-balance march over several assumed midway heads at once, one in
// each vector lane. A lane performs the operations of MarchEnergy in the same
// order (+ − × ÷ and compares only), so its head, gradient and last step are
// those of the one-lane march bit for bit, whatever the other lanes do.

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

// The kernels of each level, each in a source of its own built for its
// instruction set. `march.count` is at most the level's lanes.
void MarchEnergyLanesSse2(const LaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchEnergyLanesAvx2(const LaneMarch& march, LaneEnd* ends, const StopToken& stop);
void MarchEnergyLanesAvx512(const LaneMarch& march, LaneEnd* ends, const StopToken& stop);

}  // namespace pelorin
