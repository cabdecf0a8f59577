// The lane march of 8 lanes in two registers of 4, built for AVX2 inside a
// region of its own: only the functions defined here use the instruction set,
// which is run only when the processor has it (LaneLevel). Elsewhere the
// function marches in pairs of lanes, and is never chosen.

#if defined(__x86_64__)
#include <immintrin.h>  // before the region: its functions carry their own targets
#endif

#include "DrainageCase.h"
#include "LaneMarch.h"
#include "StepKernels.h"
#include "StopToken.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2")
#include "LaneMarchKernel.h"

namespace pelorin {

void MarchEnergyLanesAvx2(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    EnergyLanes<4, 2>(march, ends, stop);
}

void MarchDarcyLanesAvx2(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    DarcyLanes<4, 2>(march, ends, stop);
}

}  // namespace pelorin
#pragma GCC pop_options
#else
namespace pelorin {

void MarchEnergyLanesAvx2(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    MarchEnergyLanesInPairs(march, ends, stop);
}

void MarchDarcyLanesAvx2(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    MarchDarcyLanesInPairs(march, ends, stop);
}

}  // namespace pelorin
#endif
