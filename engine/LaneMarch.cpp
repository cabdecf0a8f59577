#include "LaneMarch.h"

#include <cfenv>

#include "LaneMarchKernel.h"

namespace pelorin {
namespace {

using Kernel = void (*)(const LaneMarch&, LaneEnd*, const StopToken&);

void MarchEnergyOneLane(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    EnergyLanes<1, 1>(march, ends, stop);
}

Kernel KernelOf(LaneLevel level) {
    switch (level) {
        case LaneLevel::Scalar: return MarchEnergyOneLane;
        case LaneLevel::Sse2: return MarchEnergyLanesSse2;
        case LaneLevel::Avx2: return MarchEnergyLanesAvx2;
        case LaneLevel::Avx512: return MarchEnergyLanesAvx512;
    }
    return MarchEnergyOneLane;
}

}  // namespace

LaneMarchEnds MarchEnergyLanes(const LaneMarch& march, LaneLevel level, const StopToken& stop) {
    const Kernel kernel = KernelOf(level);
    const int width = LanesOf(level);
    LaneMarchEnds out;
    std::feclearexcept(kWatchedFlags);
    for (int from = 0; from < march.count; from += width) {
        LaneMarch group = march;
        group.count = march.count - from < width ? march.count - from : width;
        for (int k = 0; k < group.count; ++k) group.Hm[k] = march.Hm[from + k];
        kernel(group, out.ends + from, stop);
    }
    out.flagRaised = std::fetestexcept(kWatchedFlags) != 0;
    return out;
}

}  // namespace pelorin
