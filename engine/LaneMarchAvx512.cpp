// The lane march of 8 lanes, built for AVX512F inside a region of its own:
// only the functions defined here use the instruction set, which is run only
// when the processor has it (LaneLevel). Elsewhere the function marches in
// pairs of lanes, and is never chosen.

#if defined(__x86_64__)
#include <immintrin.h>  // before the region: its functions carry their own targets
#endif

#include "DrainageCase.h"
#include "LaneMarch.h"
#include "StepKernels.h"
#include "StopToken.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx512f")
#include "LaneMarchKernel.h"

namespace pelorin {

void MarchEnergyLanesAvx512(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    EnergyLanes<8, 1>(march, ends, stop);
}

void MarchDarcyLanesAvx512(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    DarcyLanes<8, 1>(march, ends, stop);
}

}  // namespace pelorin
#pragma GCC pop_options
#else
namespace pelorin {

void MarchEnergyLanesAvx512(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    MarchEnergyLanesInPairs(march, ends, stop);
}

void MarchDarcyLanesAvx512(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    MarchDarcyLanesInPairs(march, ends, stop);
}

}  // namespace pelorin
#endif
