// The lane march of two lanes: SSE2, the baseline of x86-64, needs no
// instruction-set region. The page's build makes it WebAssembly SIMD.

#include "LaneMarchKernel.h"

namespace pelorin {

void MarchEnergyLanesSse2(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    EnergyLanes<2, 1>(march, ends, stop);
}

void MarchDarcyLanesSse2(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    DarcyLanes<2, 1>(march, ends, stop);
}

}  // namespace pelorin
