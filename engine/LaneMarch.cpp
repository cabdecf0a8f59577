#include "LaneMarch.h"

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

// Marches the lanes in groups of `width`, one kernel call a group, and tells
// whether a watched status flag was raised on the way.
template <class March, class Group, class LaneKernel>
LaneMarchEnds MarchInGroups(const March& march, int width, Group group, LaneKernel kernel,
                            const StopToken& stop) {
    LaneMarchEnds out;
    std::feclearexcept(kWatchedFlags);
    for (int from = 0; from < march.count; from += width) {
        const int count = march.count - from < width ? march.count - from : width;
        kernel(group(march, from, count), out.ends + from, stop);
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

void SetDarcyLane(DarcyLaneMarch& march, int lane, const DrainageCase& c, std::int64_t last) {
    march.last[lane] = last;
    march.L[lane] = c.HalfSpacing;
    march.R[lane] = c.R;
    march.entrance[lane] = c.EntranceHead;
    march.Ka[lane] = c.Ka;
    march.Kv1[lane] = c.Kv1;
    march.Kb1[lane] = c.Kb1;
    march.Kb2[lane] = c.Kb2;
    march.Kv2[lane] = c.Kv2;
    march.Keq1[lane] = c.Keq1;
    march.Keq2[lane] = c.Keq2;
}

DarcyLaneMarch DarcyLaneGroup(const DarcyLaneMarch& march, int from, int count) {
    DarcyLaneMarch group;
    group.c = march.c;
    group.first = march.first;
    group.count = count;
    for (int k = 0; k < count; ++k) {
        const int lane = from + k;
        group.last[k] = march.last[lane];
        group.L[k] = march.L[lane];
        group.R[k] = march.R[lane];
        group.entrance[k] = march.entrance[lane];
        group.Ka[k] = march.Ka[lane];
        group.Kv1[k] = march.Kv1[lane];
        group.Kb1[k] = march.Kb1[lane];
        group.Kb2[k] = march.Kb2[lane];
        group.Kv2[k] = march.Kv2[lane];
        group.Keq1[k] = march.Keq1[lane];
        group.Keq2[k] = march.Keq2[lane];
    }
    return group;
}

void MarchDarcyLanesInPairs(const DarcyLaneMarch& march, LaneEnd* ends, const StopToken& stop) {
    for (int from = 0; from < march.count; from += 2) {
        const int count = march.count - from < 2 ? march.count - from : 2;
        MarchDarcyLanesSse2(DarcyLaneGroup(march, from, count), ends + from, stop);
    }
}

LaneMarchEnds MarchEnergyLanes(const LaneMarch& march, LaneLevel level, const StopToken& stop) {
    return MarchInGroups(march, LanesOf(level), EnergyLaneGroup, KernelOf(level), stop);
}

LaneMarchEnds MarchDarcyLanes(const DarcyLaneMarch& march, LaneLevel level, const StopToken& stop) {
    return MarchInGroups(march, LanesOf(level), DarcyLaneGroup, DarcyKernelOf(level), stop);
}

}  // namespace pelorin
