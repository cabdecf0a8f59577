#pragma once

// The lane march itself, written once over the lane count. Each source of a
// level includes this inside the region built for its instruction set, after
// the headers it uses, so that every function here (all of internal linkage)
// is compiled for that set and nothing shared with other sources is: a step
// calls no function outside the region.
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
// transformed depth Y shared. The conductivities `k` are the case's own (an
// energy lane march) or a vector of them, one per lane (a Darcy lane march).
template <DrainZone zone, class Real, class Conductivities>
inline Real LaneTransmissivity(const DrainageCase& c, const Conductivities& k, Real h, double Y) {
    if constexpr (zone == DrainZone::InLayer1) {
        const Real base = k.Ka * h + k.Kv1 * c.WidthExcess;
        if (Y <= c.TThick1) return base + k.Keq1 * Y;
        if (Y <= c.TThick12) return base + k.Keq1 * c.TThick1 + k.Keq2 * (Y - c.TThick1);
        return base + k.Keq1 * c.TThick1 + k.Keq2 * c.TThick2;
    } else if constexpr (zone == DrainZone::InLayer2) {
        const Real base = k.Ka * h + k.Kb1 * c.Thick1 + k.Kv2 * c.WidthExcess;
        if (Y <= c.TThick2) return base + k.Keq2 * Y;
        return base + k.Keq2 * c.TThick2;
    } else {
        return k.Ka * h + k.Kb1 * c.Thick1 + k.Kb2 * c.Thick2;
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

// The mask is zeroed whole before its lanes are set; GCC at -O1 (the
// ThreadSanitizer build) still takes the lane stores for reads of it. Clang
// has no such warning and, with -Werror, refuses to hear its name.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
template <int N, class Mask>
inline Mask MaskOf(unsigned bits) {
    Mask mask = {};
    for (int k = 0; k < N; ++k) mask[k] = (bits >> k & 1u) != 0 ? -1 : 0;
    return mask;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

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

// The place of step i, which all lanes share.
struct LanePlace {
    double Y;
    double rest;
};

inline LanePlace LanePlaceOf(const DrainageCase& c, double L, std::int64_t i) {
    const double xc = (static_cast<double>(i) - 0.5) * c.p;
    return {kFlowZoneSlope * xc + c.DepthExcess, L - xc};
}

// One step at `at` from the midway heads hmid: G and the new head, as
// EnergySteps computes them.
template <int N, DrainZone zone>
inline void LaneStep(const DrainageCase& c, LanePlace at, LaneState<N>& s,
                     typename LaneVectors<N>::Real hmid) {
    using Real = typename LaneVectors<N>::Real;
    const Real T = LaneTransmissivity<zone, Real>(c, c, hmid, at.Y);
    Real correction = {};
    if (at.rest > 0.0) correction = (hmid - s.Hm) / at.rest;
    s.G = c.R * at.rest / T + correction;
    s.head = s.head + s.G * c.p;
}

// After the step i: the lanes whose head exceeds their Hm or whose gradient is
// negative end there. Returns whether a lane of the register marches on.
template <int N>
inline bool SettleLanes(std::int64_t i, LaneState<N>& s, LaneEnd* ends) {
    using Real = typename LaneVectors<N>::Real;
    using Mask = typename LaneVectors<N>::Mask;
    const Real zero = {};
    const Mask stopping = (s.head > s.Hm) | (s.G < zero);
    const unsigned bits = BitsOf<N>(stopping) & s.active;
    if (bits == 0) return s.active != 0;
    for (int k = 0; k < N; ++k) {
        if ((bits >> k & 1u) == 0) continue;
        ends[k] = {s.head[k], s.G[k], i};
    }
    s.active &= ~bits;
    s.live = MaskOf<N, Mask>(s.active);
    return s.active != 0;
}

// The lanes in `registers` registers of N lanes each, stepped side by side:
// their chains are independent, so the core overlaps them.
template <int N, int registers, DrainZone zone>
void EnergyLaneSteps(const LaneMarch& m, LaneEnd* ends, const StopToken& stop) {
    using Real = typename LaneVectors<N>::Real;
    const DrainageCase& c = *m.c;
    LaneState<N> s[registers] = {};
    for (int r = 0; r < registers; ++r) {
        for (int k = 0; k < N; ++k) {
            const int lane = r * N + k;
            s[r].Hm[k] = m.Hm[lane < m.count ? lane : 0];
            s[r].entrance[k] = c.EntranceHead;
            if (lane < m.count) s[r].active |= 1u << k;
        }
        s[r].live = MaskOf<N, typename LaneVectors<N>::Mask>(s[r].active);
        s[r].head = s[r].entrance;
        s[r].G = Real{};
    }

    // The first step starts from the entrance head itself.
    bool marching = false;
    const LanePlace first = LanePlaceOf(c, m.L, m.first);
    for (int r = 0; r < registers; ++r) {
        LaneStep<N, zone>(c, first, s[r], s[r].entrance);
        marching |= SettleLanes<N>(m.first, s[r], ends + r * N);
    }
    std::int64_t i = m.first + 1;
    while (marching && i <= m.last) {
        const std::int64_t boundary =
            (i / kStepsBetweenStopChecks + 1) * kStepsBetweenStopChecks - 1;
        const std::int64_t runEnd = boundary < m.last ? boundary : m.last;
        for (; marching && i <= runEnd; ++i) {
            const LanePlace at = LanePlaceOf(c, m.L, i);
            marching = false;
            for (int r = 0; r < registers; ++r) {
                const Real hmid = Blend(s[r].live, s[r].head + 0.5 * s[r].G * c.p, s[r].entrance);
                LaneStep<N, zone>(c, at, s[r], hmid);
                marching |= SettleLanes<N>(i, s[r], ends + r * N);
            }
        }
        if (marching && i <= m.last) stop.ThrowIfRequested();
    }
    for (int r = 0; r < registers; ++r) {
        for (int k = 0; k < N; ++k) {
            if ((s[r].active >> k & 1u) != 0) ends[r * N + k] = {s[r].head[k], s[r].G[k], m.last};
        }
    }
}

template <int N, int registers>
void EnergyLanes(const LaneMarch& m, LaneEnd* ends, const StopToken& stop) {
    switch (ZoneOf(*m.c)) {
        case DrainZone::InLayer1:
            return EnergyLaneSteps<N, registers, DrainZone::InLayer1>(m, ends, stop);
        case DrainZone::InLayer2:
            return EnergyLaneSteps<N, registers, DrainZone::InLayer2>(m, ends, stop);
        case DrainZone::BelowLayer2: break;
    }
    EnergyLaneSteps<N, registers, DrainZone::BelowLayer2>(m, ends, stop);
}

// The per-lane values of the Darcy lanes of one register: what a trial of a
// search changes.
template <int N>
struct DarcyLaneValues {
    using Real = typename LaneVectors<N>::Real;
    Real L, R, Ka, Kv1, Kb1, Kb2, Kv2, Keq1, Keq2;
};

// One Darcy step at `xc` from the midway heads hmid, as DarcySteps computes it.
template <int N, DrainZone zone>
inline void DarcyLaneStep(const DrainageCase& c, const DarcyLaneValues<N>& k, double xc,
                          LaneState<N>& s, typename LaneVectors<N>::Real hmid) {
    const double Y = kFlowZoneSlope * xc + c.DepthExcess;
    const auto T = LaneTransmissivity<zone, typename LaneVectors<N>::Real>(c, k, hmid, Y);
    s.G = k.R * (k.L - xc) / T;
    s.head = s.head + s.G * c.p;
}

// The lanes of the registers that end on step i: their ends are kept and they
// march on pinned to their entrance head, as a stopped energy lane does.
template <int N, int registers>
inline void EndDarcyLanesAt(const DarcyLaneMarch& m, std::int64_t i, LaneState<N>* s,
                            LaneEnd* ends) {
    for (int r = 0; r < registers; ++r) {
        unsigned bits = 0;
        for (int k = 0; k < N; ++k) {
            const int lane = r * N + k;
            if ((s[r].active >> k & 1u) != 0 && m.lanes[lane].last == i) bits |= 1u << k;
        }
        if (bits == 0) continue;
        for (int k = 0; k < N; ++k) {
            if ((bits >> k & 1u) != 0) ends[r * N + k] = {s[r].head[k], s[r].G[k], i};
        }
        s[r].active &= ~bits;
        s[r].live = MaskOf<N, typename LaneVectors<N>::Mask>(s[r].active);
    }
}

// The first last step after `i` of a lane still marching; 0 when none is.
template <int N, int registers>
inline std::int64_t NextDarcyEnd(const DarcyLaneMarch& m, const LaneState<N>* s) {
    std::int64_t next = 0;
    for (int r = 0; r < registers; ++r) {
        for (int k = 0; k < N; ++k) {
            const int lane = r * N + k;
            if ((s[r].active >> k & 1u) == 0) continue;
            if (next == 0 || m.lanes[lane].last < next) next = m.lanes[lane].last;
        }
    }
    return next;
}

template <int N, int registers, DrainZone zone>
void DarcyLaneSteps(const DarcyLaneMarch& m, LaneEnd* ends, const StopToken& stop) {
    using Real = typename LaneVectors<N>::Real;
    const DrainageCase& c = *m.c;
    LaneState<N> s[registers] = {};
    DarcyLaneValues<N> k[registers] = {};
    for (int r = 0; r < registers; ++r) {
        for (int j = 0; j < N; ++j) {
            const int lane = r * N + j;
            // Unused lanes repeat the first, stopped from the start.
            const DarcyLane& trial = m.lanes[lane < m.count ? lane : 0];
            k[r].L[j] = trial.L;
            k[r].R[j] = trial.R;
            k[r].Ka[j] = trial.Ka;
            k[r].Kv1[j] = trial.Kv1;
            k[r].Kb1[j] = trial.Kb1;
            k[r].Kb2[j] = trial.Kb2;
            k[r].Kv2[j] = trial.Kv2;
            k[r].Keq1[j] = trial.Keq1;
            k[r].Keq2[j] = trial.Keq2;
            s[r].entrance[j] = trial.entrance;
            if (lane < m.count) s[r].active |= 1u << j;
        }
        s[r].live = MaskOf<N, typename LaneVectors<N>::Mask>(s[r].active);
        s[r].head = s[r].entrance;
        s[r].G = Real{};
    }

    // The first step starts from the entrance head itself.
    const double firstXc = (static_cast<double>(m.first) - 0.5) * c.p;
    for (int r = 0; r < registers; ++r)
        DarcyLaneStep<N, zone>(c, k[r], firstXc, s[r], s[r].entrance);
    EndDarcyLanesAt<N, registers>(m, m.first, s, ends);
    std::int64_t i = m.first + 1;
    for (std::int64_t end = NextDarcyEnd<N, registers>(m, s); end != 0;
         end = NextDarcyEnd<N, registers>(m, s)) {
        while (i <= end) {
            const std::int64_t boundary =
                (i / kStepsBetweenStopChecks + 1) * kStepsBetweenStopChecks - 1;
            const std::int64_t runEnd = boundary < end ? boundary : end;
            for (; i <= runEnd; ++i) {
                const double xc = (static_cast<double>(i) - 0.5) * c.p;
                for (int r = 0; r < registers; ++r) {
                    const Real hmid =
                        Blend(s[r].live, s[r].head + 0.5 * s[r].G * c.p, s[r].entrance);
                    DarcyLaneStep<N, zone>(c, k[r], xc, s[r], hmid);
                }
            }
            if (i <= end) stop.ThrowIfRequested();
        }
        EndDarcyLanesAt<N, registers>(m, end, s, ends);
    }
}

template <int N, int registers>
void DarcyLanes(const DarcyLaneMarch& m, LaneEnd* ends, const StopToken& stop) {
    switch (ZoneOf(*m.c)) {
        case DrainZone::InLayer1:
            return DarcyLaneSteps<N, registers, DrainZone::InLayer1>(m, ends, stop);
        case DrainZone::InLayer2:
            return DarcyLaneSteps<N, registers, DrainZone::InLayer2>(m, ends, stop);
        case DrainZone::BelowLayer2: break;
    }
    DarcyLaneSteps<N, registers, DrainZone::BelowLayer2>(m, ends, stop);
}

}  // namespace
}  // namespace pelorin
