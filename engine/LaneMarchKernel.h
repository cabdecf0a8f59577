#pragma once

// The lane march itself, written once over the lane count. Each source of a
// level includes this inside the region built for its instruction set, so
// that every function here (all of internal linkage) is compiled for it; the
// loop calls nothing outside that region on its way.
//
// A lane repeats EnergySteps of Marches.cpp operation for operation: the
// transmissivity, (R·rest)/T, the correction (hmid − Hm)/rest and the new head
// in the same order. Only the assumed midway head differs between lanes; the
// place of a step, and so the zone's branch and R·rest, are the same for all
// and stay scalar.

#include <cstdint>
#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "DrainageCase.h"
#include "LaneMarch.h"
#include "StepKernels.h"
#include "StopToken.h"

namespace pelorin {
namespace {

template <int N>
struct LaneVectors;
template <>
struct LaneVectors<1> {
    typedef double Real __attribute__((vector_size(8)));
    typedef std::int64_t Mask __attribute__((vector_size(8)));
};
template <>
struct LaneVectors<2> {
    typedef double Real __attribute__((vector_size(16)));
    typedef std::int64_t Mask __attribute__((vector_size(16)));
};
template <>
struct LaneVectors<4> {
    typedef double Real __attribute__((vector_size(32)));
    typedef std::int64_t Mask __attribute__((vector_size(32)));
};
template <>
struct LaneVectors<8> {
    typedef double Real __attribute__((vector_size(64)));
    typedef std::int64_t Mask __attribute__((vector_size(64)));
};

// The transmissivity of TransmissivityAt, with the head in lanes and the
// transformed depth Y shared.
template <DrainZone zone, class Real>
inline Real LaneTransmissivity(const DrainageCase& c, Real h, double Y) {
    if constexpr (zone == DrainZone::InLayer1) {
        const Real base = c.Ka * h + c.Kv1 * c.WidthExcess;
        if (Y <= c.TThick1) return base + c.Keq1 * Y;
        if (Y <= c.TThick12) return base + c.Keq1 * c.TThick1 + c.Keq2 * (Y - c.TThick1);
        return base + c.Keq1 * c.TThick1 + c.Keq2 * c.TThick2;
    } else if constexpr (zone == DrainZone::InLayer2) {
        const Real base = c.Ka * h + c.Kb1 * c.Thick1 + c.Kv2 * c.WidthExcess;
        if (Y <= c.TThick2) return base + c.Keq2 * Y;
        return base + c.Keq2 * c.TThick2;
    } else {
        return c.Ka * h + c.Kb1 * c.Thick1 + c.Kb2 * c.Thick2;
    }
}

// Lane k of `on` where the mask is set, of `off` elsewhere: one blend.
template <class Real, class Mask>
inline Real Blend(Mask mask, Real on, Real off) {
    return mask ? on : off;
}

// Bit k set where lane k of the mask is: one instruction where the
// instruction set has it, since it is asked after every step.
template <int N, class Mask>
inline unsigned BitsOf(Mask mask) {
#if defined(__x86_64__)
    if constexpr (N == 2) return static_cast<unsigned>(_mm_movemask_pd((__m128d)mask));
    if constexpr (N == 4) return static_cast<unsigned>(_mm256_movemask_pd((__m256d)mask));
    if constexpr (N == 8) return _mm512_test_epi64_mask((__m512i)mask, (__m512i)mask);
#elif defined(__wasm_simd128__)
    if constexpr (N == 2) return wasm_i64x2_bitmask((v128_t)mask);
#endif
    unsigned bits = 0;
    for (int k = 0; k < N; ++k) bits |= (mask[k] != 0 ? 1u : 0u) << k;
    return bits;
}

template <int N, class Mask>
inline Mask MaskOf(unsigned bits) {
    Mask mask = {};
    for (int k = 0; k < N; ++k) mask[k] = (bits >> k & 1u) != 0 ? -1 : 0;
    return mask;
}

// The lanes' state between two steps. A lane that has stopped keeps marching
// from the entrance head with no gradient (its hmid is pinned there): values as
// tame as the first step's, so that it raises no status flag of its own.
template <int N>
struct LaneState {
    using Real = typename LaneVectors<N>::Real;
    using Mask = typename LaneVectors<N>::Mask;
    Real head;
    Real G;
    Real Hm;
    Real entrance;
    Mask live;
    unsigned active;
};

// One step at the place of step i from the midway heads hmid: G and the new
// head, as EnergySteps computes them.
template <int N, DrainZone zone>
inline void LaneStep(const DrainageCase& c, double L, std::int64_t i, LaneState<N>& s,
                     typename LaneVectors<N>::Real hmid) {
    using Real = typename LaneVectors<N>::Real;
    const double p = c.p;
    const double xc = (static_cast<double>(i) - 0.5) * p;
    const double Y = kFlowZoneSlope * xc + c.DepthExcess;
    const double rest = L - xc;
    const Real T = LaneTransmissivity<zone, Real>(c, hmid, Y);
    Real correction = {};
    if (rest > 0.0) correction = (hmid - s.Hm) / rest;
    s.G = c.R * rest / T + correction;
    s.head = s.head + s.G * p;
}

// After the step i: the lanes whose head exceeds their Hm or whose gradient is
// negative end there. Returns false when no lane marches on.
template <int N>
inline bool SettleLanes(std::int64_t i, LaneState<N>& s, LaneEnd* ends) {
    using Real = typename LaneVectors<N>::Real;
    using Mask = typename LaneVectors<N>::Mask;
    const Real zero = {};
    const Mask stopping = (s.head > s.Hm) | (s.G < zero);
    const unsigned bits = BitsOf<N>(stopping) & s.active;
    if (bits == 0) return true;
    for (int k = 0; k < N; ++k) {
        if ((bits >> k & 1u) == 0) continue;
        ends[k] = {s.head[k], s.G[k], i};
    }
    s.active &= ~bits;
    s.live = MaskOf<N, Mask>(s.active);
    return s.active != 0;
}

template <int N, DrainZone zone>
void EnergyLaneSteps(const LaneMarch& m, LaneEnd* ends, const StopToken& stop) {
    using Real = typename LaneVectors<N>::Real;
    const DrainageCase& c = *m.c;
    LaneState<N> s{};
    for (int k = 0; k < N; ++k) {
        s.Hm[k] = m.Hm[k < m.count ? k : 0];
        s.entrance[k] = c.EntranceHead;
    }
    s.active = (1u << m.count) - 1u;
    s.live = MaskOf<N, typename LaneVectors<N>::Mask>(s.active);
    s.head = s.entrance;
    s.G = Real{};

    // The first step starts from the entrance head itself.
    LaneStep<N, zone>(c, m.L, m.first, s, s.entrance);
    bool marching = SettleLanes<N>(m.first, s, ends);
    std::int64_t i = m.first + 1;
    while (marching && i <= m.last) {
        const std::int64_t boundary =
            (i / kStepsBetweenStopChecks + 1) * kStepsBetweenStopChecks - 1;
        const std::int64_t runEnd = boundary < m.last ? boundary : m.last;
        for (; marching && i <= runEnd; ++i) {
            const Real hmid = Blend(s.live, s.head + 0.5 * s.G * c.p, s.entrance);
            LaneStep<N, zone>(c, m.L, i, s, hmid);
            marching = SettleLanes<N>(i, s, ends);
        }
        if (marching && i <= m.last) stop.ThrowIfRequested();
    }
    for (int k = 0; k < m.count; ++k) {
        if ((s.active >> k & 1u) != 0) ends[k] = {s.head[k], s.G[k], m.last};
    }
}

template <int N>
void EnergyLanes(const LaneMarch& m, LaneEnd* ends, const StopToken& stop) {
    switch (ZoneOf(*m.c)) {
        case DrainZone::InLayer1: return EnergyLaneSteps<N, DrainZone::InLayer1>(m, ends, stop);
        case DrainZone::InLayer2: return EnergyLaneSteps<N, DrainZone::InLayer2>(m, ends, stop);
        case DrainZone::BelowLayer2: break;
    }
    EnergyLaneSteps<N, DrainZone::BelowLayer2>(m, ends, stop);
}

}  // namespace
}  // namespace pelorin
