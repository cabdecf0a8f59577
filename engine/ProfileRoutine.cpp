#include "ProfileRoutine.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <numeric>
#include <thread>
#include <type_traits>
#include <vector>

#include "GuardedArithmetic.h"
#include "ReportWriter.h"
#include "SpeculationCrew.h"

namespace pelorin {
namespace {

constexpr double kProfileStep = 0.00001;
constexpr double kFlowZoneSlope = 1.571;  // not pi/2: the value the method was built with
constexpr int kWatchedFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

// The part of PrepareFlowGeometry that both the layered and the isotropic
// preparation share: transformed thicknesses and drain excesses.
void PrepareTransformedGeometry(DrainageCase& c) {
    using G = Guarded;
    c.TThick1 = Value(G(c.Thick1) * c.Aniso1);
    c.TThick2 = Value(G(c.Thick2) * c.Aniso2);
    c.TThick12 = Value(G(c.TThick1) + c.TThick2);
    c.TDrainDepth1 = Value(G(c.DrainWaterDepth) * c.Aniso1);
    c.TDrainDepth2 = Value(G(c.BottomBelowLayer1) * c.Aniso2);
    switch (ZoneOf(c)) {
        case DrainZone::InLayer1:
            c.WidthExcess = std::max(0.0, Value(G(c.HalfWidth) - c.TDrainDepth1));
            c.DepthExcess = std::max(0.0, Value(G(c.TDrainDepth1) - c.HalfWidth));
            break;
        case DrainZone::InLayer2:
            c.WidthExcess = std::max(0.0, Value(G(c.HalfWidth) - c.TDrainDepth2));
            c.DepthExcess = std::max(0.0, Value(G(c.TDrainDepth2) - c.HalfWidth));
            break;
        case DrainZone::BelowLayer2:
            c.HalfWidth = 0;
            c.WidthExcess = 0;
            c.DepthExcess = std::max(0.0, c.TDrainDepth2);
            break;
    }
}

void PrepareLayer(double kb, double kv, double& aniso, double& keq) {
    keq = 0;
    if (kv > 0) {
        aniso = Value(Sqrt(Guarded(kb) / kv));
        if (aniso > 0) keq = Value(Guarded(kb) / aniso);
    } else {
        aniso = 1000000;
    }
}

// Transmissivity for a drain zone fixed at compile time: the marches decide
// the zone once and run a loop without the switch. Written once for plain
// doubles (the fast path) and for Guarded (the rerun that finds a fault).
template <DrainZone zone, class Real>
Real TransmissivityAt(const DrainageCase& c, Real h, Real Y) {
    if constexpr (zone == DrainZone::InLayer1) {
        const Real base = Real(c.Ka) * h + Real(c.Kv1) * c.WidthExcess;
        if (Y <= Real(c.TThick1)) return base + Real(c.Keq1) * Y;
        if (Y <= Real(c.TThick12))
            return base + Real(c.Keq1) * c.TThick1 + Real(c.Keq2) * (Y - Real(c.TThick1));
        return base + Real(c.Keq1) * c.TThick1 + Real(c.Keq2) * c.TThick2;
    } else if constexpr (zone == DrainZone::InLayer2) {
        const Real base = Real(c.Ka) * h + Real(c.Kb1) * c.Thick1 + Real(c.Kv2) * c.WidthExcess;
        if (Y <= Real(c.TThick2)) return base + Real(c.Keq2) * Y;
        return base + Real(c.Keq2) * c.TThick2;
    } else {
        return Real(c.Ka) * h + Real(c.Kb1) * c.Thick1 + Real(c.Kb2) * c.Thick2;
    }
}

// Calls body(std::integral_constant<DrainZone, zone>) for the zone of the case.
template <class Body>
decltype(auto) WithZone(const DrainageCase& c, Body&& body) {
    switch (ZoneOf(c)) {
        case DrainZone::InLayer1:
            return body(std::integral_constant<DrainZone, DrainZone::InLayer1>{});
        case DrainZone::InLayer2:
            return body(std::integral_constant<DrainZone, DrainZone::InLayer2>{});
        case DrainZone::BelowLayer2:
            break;
    }
    return body(std::integral_constant<DrainZone, DrainZone::BelowLayer2>{});
}

// Runs step(i) for i = from..to in runs that end before each multiple of
// kStepsBetweenStopChecks, looking at `stop` between two runs: a long loop ends
// soon after a stop request, and the loop of a run has no test for it. step
// returns false to end the loop after its step; returns the last i stepped.
template <class Step>
std::int64_t StepWithStopChecks(std::int64_t from, std::int64_t to, const StopToken& stop,
                                Step&& step) {
    std::int64_t i = from;
    for (;;) {
        const std::int64_t runEnd =
            std::min(to, (i / kStepsBetweenStopChecks + 1) * kStepsBetweenStopChecks - 1);
        for (; i <= runEnd; ++i) {
            if (!step(i)) return i;
        }
        if (runEnd >= to) return to;
        stop.ThrowIfRequested();
    }
}

struct MarchEnd {
    double head;
    double gradient;
    std::int64_t lastStepTaken;
};

// The centre of step i and the transformed depth of the flow zone there.
template <class Real>
struct StepPlace {
    Real xc;
    Real Y;
};

template <class Real>
StepPlace<Real> PlaceOf(const DrainageCase& c, std::int64_t i, Real p) {
    const Real xc = (Real(static_cast<double>(i)) - 0.5) * p;
    return {xc, Real(kFlowZoneSlope) * xc + c.DepthExcess};
}

// The correction for energy input, (hmid − Hm)/(L − xc). No flow crosses the
// midpoint: the last step is centred on it, or by rounding a hair past it, when
// Round(L/p) rounds a half upwards, and it then takes no correction instead of
// dividing by zero or by a tiny negative distance. Only the last step can be
// centred there, so the test is always true inside the loop and costs a
// well-predicted branch off the step's chain.
template <class Real>
Real EnergyCorrection(Real hmid, double Hm, Real rest) {
    return rest > Real(0.0) ? (hmid - Real(Hm)) / rest : Real(0.0);
}

// The first step starts from the entrance head itself; the later ones from the
// head half a step on. The first step is taken before the loop so that the
// loop body has no test for it.
template <DrainZone zone, class Real>
MarchEnd DarcySteps(const DrainageCase& c, double L, std::int64_t first, std::int64_t last,
                    const StopToken& stop) {
    const Real p = c.p;
    Real head = c.EntranceHead;
    StepPlace<Real> at = PlaceOf<Real>(c, first, p);
    Real T = TransmissivityAt<zone, Real>(c, Real(c.EntranceHead), at.Y);
    Real G = Real(c.R) * (Real(L) - at.xc) / T;
    head = head + G * p;
    StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        at = PlaceOf<Real>(c, i, p);
        const Real hmid = head + Real(0.5) * G * p;
        T = TransmissivityAt<zone, Real>(c, hmid, at.Y);
        G = Real(c.R) * (Real(L) - at.xc) / T;
        head = head + G * p;
        return true;
    });
    return {Value(head), Value(G), last};
}

template <DrainZone zone, class Real>
MarchEnd EnergySteps(const DrainageCase& c, double L, double Hm, std::int64_t first,
                     std::int64_t last, const StopToken& stop) {
    const Real p = c.p;
    Real head = c.EntranceHead;
    StepPlace<Real> at = PlaceOf<Real>(c, first, p);
    Real rest = Real(L) - at.xc;
    Real hmid = c.EntranceHead;
    Real T = TransmissivityAt<zone, Real>(c, hmid, at.Y);
    Real G = Real(c.R) * rest / T + EnergyCorrection(hmid, Hm, rest);
    head = head + G * p;
    if (head > Real(Hm) || G < Real(0.0)) return {Value(head), Value(G), first};
    const std::int64_t stopped = StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        at = PlaceOf<Real>(c, i, p);
        rest = Real(L) - at.xc;
        hmid = head + Real(0.5) * G * p;
        T = TransmissivityAt<zone, Real>(c, hmid, at.Y);
        G = Real(c.R) * rest / T + EnergyCorrection(hmid, Hm, rest);
        head = head + G * p;
        return !(head > Real(Hm) || G < Real(0.0));
    });
    return {Value(head), Value(G), stopped};
}

template <class Real>
MarchEnd RunDarcySteps(const DrainageCase& c, double L, const StopToken& stop) {
    return WithZone(c, [&](auto zone) {
        return DarcySteps<decltype(zone)::value, Real>(c, L, c.FirstStep, c.LastStep, stop);
    });
}

template <class Real>
MarchEnd RunEnergySteps(const DrainageCase& c, double L, double Hm, const StopToken& stop) {
    return WithZone(c, [&](auto zone) {
        return EnergySteps<decltype(zone)::value, Real>(c, L, Hm, c.FirstStep, c.LastStep, stop);
    });
}

// The fast march runs on plain doubles. A fault shows as a value that is no
// longer finite or as a raised status flag; the march is then run again with
// every operation guarded, which stops at the first fault with its own text.
bool FaultSuspected(const MarchEnd& end) {
    return !std::isfinite(end.head) || !std::isfinite(end.gradient) ||
           std::fetestexcept(kWatchedFlags) != 0;
}

}  // namespace

std::int32_t FirstStepFor(double halfWidth, double p) {
    return std::max<std::int32_t>(2, AddSteps(RoundStep(Guarded(halfWidth) / p), 1));
}

void PrepareFlowGeometry(DrainageCase& c) {
    PrepareLayer(c.Kb1, c.Kv1, c.Aniso1, c.Keq1);
    PrepareLayer(c.Kb2, c.Kv2, c.Aniso2, c.Keq2);
    PrepareTransformedGeometry(c);
}

void PrepareIsotropicFlowGeometry(DrainageCase& c) {
    c.Aniso1 = 1;
    c.Aniso2 = 1;
    PrepareTransformedGeometry(c);
}

double Transmissivity(const DrainageCase& c, double h, double Y) {
    return WithZone(c, [&](auto zone) {
        return Value(TransmissivityAt<decltype(zone)::value, Guarded>(c, h, Y));
    });
}

namespace {

// What both marches share: the step count, no step at all keeping the head,
// the fast run and its guarded rerun, and the results into the case.
// run(tag) marches with the number type of the tag (double or Guarded).
template <class RunSteps>
double March(DrainageCase& c, double L, RunSteps run) {
    c.LastStep = RoundStep(Guarded(L) / c.p);
    if (c.LastStep < c.FirstStep) return c.MarchHead;
    std::feclearexcept(kWatchedFlags);
    MarchEnd end = run(double{});
    if (FaultSuspected(end)) end = run(Guarded{});
    c.MarchHead = end.head;
    c.MarchGradient = end.gradient;
    c.MarchStoppedAt = end.lastStepTaken;
    return c.MarchHead;
}

}  // namespace

double MarchDarcy(DrainageCase& c, double L, const StopToken& stop) {
    return March(c, L, [&](auto real) { return RunDarcySteps<decltype(real)>(c, L, stop); });
}

double MarchEnergy(DrainageCase& c, double L, double Hm, const StopToken& stop) {
    return March(c, L,
                 [&](auto real) { return RunEnergySteps<decltype(real)>(c, L, Hm, stop); });
}

namespace {

// The trial after the current one when its march overshoots (the assumed
// midway head is too low), and when it does not.
double TrialAbove(const DrainageCase& c) {
    return Value((Guarded(c.EnergyMidHead) + c.EnergyMidHigh) / 2.0);
}
double TrialBelow(const DrainageCase& c) {
    return Value((Guarded(c.EnergyMidHead) + c.EnergyMidLow) / 2.0);
}

// The next trial of the bisection after a march that ended with `head`.
void AdvanceBisection(DrainageCase& c, double head) {
    c.EnergyMidPrev = c.EnergyMidHead;
    if (head > c.EnergyMidHead) {
        const double next = TrialAbove(c);
        c.EnergyMidLow = c.EnergyMidHead;
        c.EnergyMidHead = next;
    } else {
        const double next = TrialBelow(c);
        c.EnergyMidHigh = c.EnergyMidHead;
        c.EnergyMidHead = next;
    }
}

double ChangeOf(const DrainageCase& c) {
    return Value(Abs(Guarded(c.EnergyMidPrev) - c.EnergyMidHead));
}

// What the bisection does after a march that does not end it.
void BetweenMarches(double change, const BisectionProgress& progress, const StopToken& stop) {
    stop.ThrowIfRequested();
    if (progress) progress(change);
}

double SolveOnOneThread(DrainageCase& c, double L, const BisectionProgress& progress,
                        const StopToken& stop) {
    for (;;) {
        const double head = MarchEnergy(c, L, c.EnergyMidHead, stop);
        const double change = ChangeOf(c);
        if (change < c.Tolerance) return head;
        BetweenMarches(change, progress, stop);
        AdvanceBisection(c, head);
    }
}

// A march that the bisection may make next, run ahead on its own copy of the case.
struct SpeculativeMarch {
    DrainageCase c;
    double Hm = 0;
    double head = 0;
    std::exception_ptr fault;

    void Run(double L, const StopToken& stop) {
        try {
            head = MarchEnergy(c, L, Hm, stop);
        } catch (...) {
            fault = std::current_exception();
        }
    }
};

// Guesses whether the march at the current trial will overshoot (head > Hm),
// from the earlier marches. Most marches stop short of the midpoint: one that
// overshoots stops the earlier the farther its assumed head lies below the
// answer, one whose gradient turns negative the earlier the farther above it.
// The last march of each kind (the two ends of the bracket) give a straight
// line for that signed distance whose zero predicts the outcome. Without them:
// while the search has only gone down it keeps going down; later the last two
// marches that ran to the end without overshooting give a straight line for
// head − Hm.
class OutcomeGuess {
  public:
    bool Overshoots(double Hm) const {
        if (!everUp_) return false;
        // The flags this may raise do not matter: every march clears them first.
        if (below_.known && above_.known) {
            const double span = above_.shortfall - below_.shortfall;
            if (above_.Hm > below_.Hm && span > 0.0)
                return Hm < below_.Hm + (above_.Hm - below_.Hm) * -below_.shortfall / span;
        }
        if (points_ < 2 || !(h_[1] != h_[0])) return !lastUp_;
        const double slope = (f_[1] - f_[0]) / (h_[1] - h_[0]);
        if (!(slope < 0.0)) return !lastUp_;
        const double root = h_[1] - f_[1] / slope;
        return root > Hm;
    }

    void Record(const DrainageCase& c, double Hm, double head) {
        lastUp_ = head > Hm;
        everUp_ = everUp_ || lastUp_;
        const double stoppedShort = static_cast<double>(c.LastStep - c.MarchStoppedAt);
        if (lastUp_) {
            below_ = {Hm, -stoppedShort, true};
        } else {
            above_ = {Hm, stoppedShort, stoppedShort > 0};
        }
        if (lastUp_ || c.MarchStoppedAt != c.LastStep || !std::isfinite(head)) return;
        h_[0] = h_[1];
        f_[0] = f_[1];
        h_[1] = Hm;
        f_[1] = head - Hm;
        if (points_ < 2) ++points_;
    }

  private:
    // A march at an end of the bracket: its assumed head and how many steps
    // short of the midpoint it stopped, negative below the answer.
    struct BracketEnd {
        double Hm = 0;
        double shortfall = 0;
        bool known = false;
    };

    bool everUp_ = false;
    bool lastUp_ = false;
    BracketEnd below_;
    BracketEnd above_;
    int points_ = 0;
    double h_[2] = {0, 0};
    double f_[2] = {0, 0};
};

// The bisection with the march at the current trial run on the calling thread
// and the march(es) at the trial that follows it run ahead on workers: with one
// worker the guessed one, with two both. The marches the one-thread search makes
// are kept, the others discarded, so trials, progress calls, faults and the
// case are exactly those of the one-thread search.
class SpeculativeBisection {
  public:
    SpeculativeBisection(DrainageCase& c, double L, const BisectionProgress& progress,
                         const StopToken& stop)
        : c_(c),
          L_(L),
          progress_(progress),
          stop_(stop),
          ahead_(c.Threads >= 3 ? 2 : 1),
          crew_(static_cast<int>(ahead_.size())) {}

    double Solve() {
        for (;;) {
            const double change = ChangeOf(c_);
            if (change < c_.Tolerance) return MarchEnergy(c_, L_, c_.EnergyMidHead, stop_);
            StartNextTrials();
            double head = MarchEnergy(c_, L_, c_.EnergyMidHead, stop_);
            Advance(change, head);
            if (!AdoptAhead(head)) continue;
            const double nextChange = ChangeOf(c_);
            if (nextChange < c_.Tolerance) return head;
            Advance(nextChange, head);
        }
    }

  private:
    // Progress after a march that does not end the search, then the next trial.
    void Advance(double change, double head) {
        BetweenMarches(change, progress_, stop_);
        guess_.Record(c_, c_.EnergyMidHead, head);
        AdvanceBisection(c_, head);
    }

    void StartNextTrials() {
        const double up = TrialAbove(c_);
        const double down = TrialBelow(c_);
        if (ahead_.size() == 2) {
            StartAhead(0, up);
            StartAhead(1, down);
        } else {
            StartAhead(0, guess_.Overshoots(c_.EnergyMidHead) ? up : down);
        }
    }

    void StartAhead(std::size_t worker, double Hm) {
        crew_.Wait(static_cast<int>(worker));
        SpeculativeMarch& march = ahead_[worker];
        march.c = c_;
        march.Hm = Hm;
        march.fault = nullptr;
        crew_.Start(static_cast<int>(worker), [&march, L = L_, stop = stop_] { march.Run(L, stop); });
    }

    // Takes the march run ahead at the current trial, if there is one: its
    // results into the case, or its fault.
    bool AdoptAhead(double& head) {
        for (std::size_t w = 0; w < ahead_.size(); ++w) {
            if (ahead_[w].Hm != c_.EnergyMidHead) continue;
            crew_.Wait(static_cast<int>(w));
            const SpeculativeMarch& march = ahead_[w];
            if (march.fault) std::rethrow_exception(march.fault);
            c_.LastStep = march.c.LastStep;
            c_.MarchHead = march.c.MarchHead;
            c_.MarchGradient = march.c.MarchGradient;
            c_.MarchStoppedAt = march.c.MarchStoppedAt;
            head = march.head;
            return true;
        }
        return false;
    }

    DrainageCase& c_;
    double L_;
    const BisectionProgress& progress_;
    StopToken stop_;
    OutcomeGuess guess_;
    std::vector<SpeculativeMarch> ahead_;
    SpeculationCrew crew_;  // after ahead_: its jobs write there until it is gone
};

}  // namespace

double SolveEnergyMidHead(DrainageCase& c, double L, double start, double upper,
                          const BisectionProgress& progress, const StopToken& stop) {
    c.EnergyMidHead = start;
    c.EnergyMidHigh = upper;
    c.EnergyMidLow = 0;
    c.EnergyMidPrev = 0;
    if (!WorthSpeculating(c, L)) return SolveOnOneThread(c, L, progress, stop);
    return SpeculativeBisection(c, L, progress, stop).Solve();
}

// ---------------------------------------------------------------------------
// Row selection

ProfileRowSelector::ProfileRowSelector(std::int32_t firstStep, std::int32_t lastStep,
                                       std::int64_t n)
    : first_(firstStep), last_(lastStep), n_(n) {
    // A row other than the first and the last needs n | i, n | 2i or n | 4i,
    // and all of them are multiples of n / gcd(n, 4).
    candidateStride_ = n_ > 0 ? n_ / std::gcd<std::int64_t>(n_, 4) : 1;
}

bool ProfileRowSelector::Gives(std::int64_t i, bool& half, bool& quarter) const {
    // The scan's first candidate, j = 0, already catches the first and the last step.
    if (i == first_ || i == last_) return true;
    if (n_ <= 0) return false;
    // No j below i can hit, so the first hit is at j = i, then 2i, then 4i.
    if (i % n_ == 0) return true;
    if (!half && (2 * i) % n_ == 0 && 2 * i <= last_) {
        half = true;
        return true;
    }
    if (!quarter && (4 * i) % n_ == 0 && 4 * i <= last_) {
        quarter = true;
        return true;
    }
    return false;
}

bool ProfileRowSelector::Select(std::int64_t i) {
    return Gives(i, half_, quarter_);
}

std::int64_t ProfileRowSelector::NextRow(std::int64_t from) const {
    if (from <= first_) return first_;
    std::int64_t candidate = (from + candidateStride_ - 1) / candidateStride_ * candidateStride_;
    for (; candidate < last_; candidate += candidateStride_) {
        bool half = half_;
        bool quarter = quarter_;
        if (Gives(candidate, half, quarter)) return candidate;
    }
    return last_;
}

// ---------------------------------------------------------------------------
// The profile

namespace {

// One step of the energy-balance water table, exactly as the profile table
// defines it. The first step starts at the entrance head and takes no
// correction; it is taken by First so that Next, the body of the long loop, has
// no test for it. It depends on nothing of the Darcy table.
template <DrainZone zone, class Real>
struct EnergyTable {
    const DrainageCase& c;
    Real p = kProfileStep;
    Real F = 0.0, GP = 0.0, T1 = 0.0, T2 = 0.0;

    void First(std::int64_t i) {
        F = c.EntranceHead;
        Take(i, Real(c.EntranceHead), false);
    }

    void Next(std::int64_t i) { Take(i, F + Real(0.5) * GP * p, true); }

    bool AllFinite() const {
        return std::isfinite(Value(F)) && std::isfinite(Value(GP)) && std::isfinite(Value(T1)) &&
               std::isfinite(Value(T2));
    }

  private:
    void Take(std::int64_t i, Real hmid, bool corrected) {
        const StepPlace<Real> at = PlaceOf<Real>(c, i, p);
        const Real rest = Real(c.HalfSpacing) - at.xc;
        T1 = Real(c.R) * rest / TransmissivityAt<zone, Real>(c, hmid, at.Y);
        const Real T2prev = T2;
        T2 = EnergyCorrection(hmid, c.EnergyMidHead, rest);
        GP = T1 + T2;
        if (corrected) Correct(T2prev);
        F = F + GP * p;
        F = F < Real(0.0001) ? Real(0.0001) : F;
    }

    // The gradient corrections as selects: which one applies depends on the
    // data and would make a branch that mispredicts. 0.5·T2prev of a finite
    // T2prev cannot fault, so computing it when it is not used changes nothing.
    void Correct(Real T2prev) {
        const bool reset = GP < Real(0.0) || T2 > Real(0.0);
        GP = reset ? T1 : GP;
        T2 = reset ? Real(0.0) : T2;
        const bool halve = T2 < T2prev;
        const Real half = Real(0.5) * T2prev;
        GP = halve ? T1 : GP;
        T2 = halve ? half : T2;
    }
};

// One step of the Darcy water table.
template <DrainZone zone, class Real>
struct DarcyTable {
    const DrainageCase& c;
    Real p = kProfileStep;
    Real FStar = 0.0, GStarP = 0.0;

    void First(std::int64_t i) {
        FStar = c.EntranceHead;
        Take(i, Real(c.EntranceHead));
    }

    void Next(std::int64_t i) { Take(i, FStar + Real(0.5) * GStarP * p); }

    bool AllFinite() const { return std::isfinite(Value(FStar)) && std::isfinite(Value(GStarP)); }

  private:
    void Take(std::int64_t i, Real hmidStar) {
        const StepPlace<Real> at = PlaceOf<Real>(c, i, p);
        const Real rest = Real(c.HalfSpacing) - at.xc;
        GStarP = Real(c.R) * rest / TransmissivityAt<zone, Real>(c, hmidStar, at.Y);
        FStar = FStar + GStarP * p;
        FStar = FStar < Real(0.0001) ? Real(0.0001) : FStar;
    }
};

// Both tables step by step, the energy balance first within a step: the order
// in which a guarded run meets its faults.
template <DrainZone zone, class Real>
struct ProfileStepper {
    EnergyTable<zone, Real> energy;
    DarcyTable<zone, Real> darcy;

    void First(std::int64_t i) {
        energy.First(i);
        darcy.First(i);
    }
    void Next(std::int64_t i) {
        energy.Next(i);
        darcy.Next(i);
    }
    bool AllFinite() const { return energy.AllFinite() && darcy.AllFinite(); }
};

// Runs the profile again with guarded arithmetic up to step `last`: it stops
// with the fault that the fast run met on its way there.
template <DrainZone zone>
void FindProfileFault(const DrainageCase& c, std::int64_t first, std::int64_t last,
                      double T2start, const StopToken& stop) {
    ProfileStepper<zone, Guarded> guarded{{c}, {c}};
    guarded.energy.T2 = T2start;
    guarded.First(first);
    StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        guarded.Next(i);
        return true;
    });
}

// The values of one table row.
struct ProfileRow {
    double FStar = 0, GStarP = 0, F = 0, GP = 0, T1 = 0, T2 = 0;
    // Whether a value was no longer finite or a watched flag was raised on the
    // way to this row.
    bool faultSuspected = false;
};

void WriteRow(ReportWriter& report, double x, const ProfileRow& row) {
    report.Number(x, 6, 2);
    report.Number(row.FStar, 10, 4);
    report.Number(row.GStarP, 10, 4);
    report.Number(row.F, 10, 4);
    report.Number(row.GP, 10, 4);
    report.Number(row.T1, 10, 4);
    report.Number(row.T2, 10, 4);
    report.EndLine();
}

// The values of both tables at a row step.
template <DrainZone zone>
void KeepRow(ProfileRow& row, const ProfileStepper<zone, double>& s, bool faultSuspected) {
    row.FStar = s.darcy.FStar;
    row.GStarP = s.darcy.GStarP;
    row.F = s.energy.F;
    row.GP = s.energy.GP;
    row.T1 = s.energy.T1;
    row.T2 = s.energy.T2;
    row.faultSuspected = faultSuspected;
}

// The steps that give a table row, in order; the last step always gives one.
std::vector<std::int64_t> RowSteps(std::int32_t first, std::int32_t last, std::int64_t n) {
    ProfileRowSelector selector(first, last, n);
    std::vector<std::int64_t> steps;
    for (std::int64_t i = selector.NextRow(first);; i = selector.NextRow(i + 1)) {
        selector.Select(i);
        steps.push_back(i);
        if (i >= last) return steps;
    }
}

// The fast loop of both tables: every step on plain doubles, and at each row
// step the values and whether a fault may have happened since the previous row.
// The tables run side by side in one loop: their chains are independent, so the
// processor overlaps them and the loop costs about as much as the energy chain
// alone. The tables are a local copy (taken by value): the rows are doubles
// too, and tables the rows might alias would be stored and reloaded at every
// step; and the rows are written once the loop is done, as report text could
// alias anything.
template <DrainZone zone>
void MarchTables(ProfileStepper<zone, double> table, std::int64_t first, std::int64_t last,
                 const std::vector<std::int64_t>& rowSteps, std::vector<ProfileRow>& rows,
                 const StopToken& stop) {
    std::size_t k = 0;
    const auto keep = [&] {
        const bool faultSuspected = !table.AllFinite() || std::fetestexcept(kWatchedFlags) != 0;
        if (faultSuspected) std::feclearexcept(kWatchedFlags);
        KeepRow(rows[k], table, faultSuspected);
        ++k;
    };
    std::feclearexcept(kWatchedFlags);
    table.First(first);
    if (rowSteps[k] == first) keep();
    StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        table.Next(i);
        if (i == rowSteps[k]) keep();
        return true;
    });
}

template <DrainZone zone>
void ProfileRows(DrainageCase& c, ReportWriter& report, std::int64_t n, const StopToken& stop) {
    const std::int64_t first = c.FirstStep;
    const std::int64_t last = c.LastStep;
    const double T2start = c.T2;
    const std::vector<std::int64_t> rowSteps = RowSteps(c.FirstStep, c.LastStep, n);
    std::vector<ProfileRow> rows(rowSteps.size());
    ProfileStepper<zone, double> start{{c}, {c}};
    start.energy.T1 = c.T1;
    start.energy.T2 = c.T2;
    MarchTables(start, first, last, rowSteps, rows, stop);

    for (std::size_t k = 0; k < rows.size(); ++k) {
        // Only a guarded run tells whether and where the arithmetic faulted.
        if (rows[k].faultSuspected) {
            FindProfileFault<zone>(c, first, rowSteps[k], T2start, stop);
            std::feclearexcept(kWatchedFlags);
        }
        WriteRow(report, Value(Guarded(static_cast<double>(rowSteps[k])) * c.p), rows[k]);
    }

    // The last step always gives a row: its values are the midway ones.
    const ProfileRow& midway = rows.back();
    c.X = static_cast<double>(last) * c.p;
    c.F = midway.F;
    c.GP = midway.GP;
    c.FStar = midway.FStar;
    c.GStarP = midway.GStarP;
    c.T1 = midway.T1;
    c.T2 = midway.T2;
}

}  // namespace

void WriteProfile(DrainageCase& c, ReportWriter& report, const StopToken& stop) {
    const std::int32_t rowInterval = RoundStep(Guarded(c.HalfSpacing) / 10.0);
    c.p = kProfileStep;
    std::int32_t n = RoundStep(Guarded(static_cast<double>(rowInterval)) / c.p);
    if (n < 1) n = RoundStep(Guarded(c.HalfSpacing) / c.p);
    c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
    c.LastStep = RoundStep(Guarded(c.HalfSpacing) / c.p);
    c.F = 0;
    c.FStar = 0;
    c.GStarP = 0;
    c.GP = 0;
    if (c.LastStep < c.FirstStep) return;

    WithZone(c, [&](auto zone) { ProfileRows<decltype(zone)::value>(c, report, n, stop); });
}

}  // namespace pelorin
