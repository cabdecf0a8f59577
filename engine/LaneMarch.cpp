#include "LaneMarch.h"

#include <algorithm>
#include <cfenv>

#include "LaneMarchKernel.h"

namespace pelorin {
namespace {

using Kernel = void (*)(const LaneMarch&, LaneEnd*, const StopToken&);
using DarcyKernel = void (*)(const DarcyLaneMarch&, LaneEnd*, const StopToken&);

void MarchEnergyOneLane(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    EnergyLanes<1, 1>(march, ends, stop);
}

void MarchDarcyOneLane(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    DarcyLanes<1, 1>(march, ends, stop);
}

DarcyKernel DarcyKernelOf(LaneLevel level) {
    switch (level) {
        case LaneLevel::Scalar: return MarchDarcyOneLane;
        case LaneLevel::Sse2: return MarchDarcyLanesSse2;
        case LaneLevel::Avx2: return MarchDarcyLanesAvx2;
        case LaneLevel::Avx512: return MarchDarcyLanesAvx512;
    }
    return MarchDarcyOneLane;
}

// The lanes from..from+count−1 of an energy lane march as a march of their own.
LaneMarch EnergyLaneGroup(const LaneMarch& march, int from, int count) {
    LaneMarch group = march;
    group.count = count;
    for (int k = 0; k < count; ++k) group.Hm[k] = march.Hm[from + k];
    return group;
}

// The lanes from..from+count−1 of a Darcy lane march as a march of their own.
DarcyLaneMarch DarcyLaneGroup(const DarcyLaneMarch& march, int from, int count) {
    DarcyLaneMarch group;
    group.c = march.c;
    group.first = march.first;
    group.count = count;
    std::copy(march.lanes + from, march.lanes + from + count, group.lanes);
    return group;
}

// Marches the lanes in groups of `width`, one kernel call a group, and tells
// whether a watched status flag was raised on the way.
template <class March, class Group, class LaneKernel>
LaneMarchEnds MarchInGroups(const March& march, int width, Group group, LaneKernel kernel,
                            const StopToken& stop) {
    LaneMarchEnds out;
    std::feclearexcept(kWatchedFlags);
    for (int from = 0; from < march.count; from += width) {
        kernel(group(march, from, std::min(width, march.count - from)), out.ends + from, stop);
    }
    out.flagRaised = std::fetestexcept(kWatchedFlags) != 0;
    return out;
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

DarcyLane DarcyLaneOf(const DrainageCase& c) {
    return {c.LastStep, c.HalfSpacing, c.R,   c.EntranceHead, c.Ka,  c.Kv1,
            c.Kb1,      c.Kb2,         c.Kv2, c.Keq1,         c.Keq2};
}

void MarchEnergyLanesInPairs(const LaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    for (int from = 0; from < march.count; from += 2)
        MarchEnergyLanesSse2(EnergyLaneGroup(march, from, std::min(2, march.count - from)),
                             ends + from, stop);
}

void MarchDarcyLanesInPairs(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    for (int from = 0; from < march.count; from += 2)
        MarchDarcyLanesSse2(DarcyLaneGroup(march, from, std::min(2, march.count - from)),
                            ends + from, stop);
}

LaneMarchEnds MarchEnergyLanes(const LaneMarch& march, LaneLevel level, const StopToken& stop) {
    return MarchInGroups(march, LanesOf(level), EnergyLaneGroup, KernelOf(level), stop);
}

LaneMarchEnds MarchDarcyLanes(const DarcyLaneMarch& march, LaneLevel level, const StopToken& stop) {
    return MarchInGroups(march, LanesOf(level), DarcyLaneGroup, DarcyKernelOf(level), stop);
}

}  // namespace pelorin
