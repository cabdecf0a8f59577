#include "MidHeadBisection.h"

#include <cmath>
#include <cstdint>

#include "GuardedArithmetic.h"
#include "LaneLevel.h"
#include "LaneMarch.h"
#include "Marches.h"
#include "Speculation.h"

namespace pelorin {

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

// Guesses whether the march at the current trial will overshoot (head > Hm),
// from the earlier marches. Most marches stop short of the midpoint: one that
// overshoots stops the earlier the farther its assumed head lies below the
// answer, one whose gradient turns negative the earlier the farther above it.
// The last march of each kind (the two ends of the bracket) give a straight
// line for that signed distance whose zero predicts the outcome. Without them:
// while the search has only gone down it keeps going down; later the last two
// marches that ran to the end without overshooting give a straight line for
// head − Hm.
//
// A bisection may be given the answer it is expected to end near (an outer
// search's bisections end near one another's): a march then overshoots when
// its assumed head lies below that answer, until one march disagrees, which
// shows that the answer lies nearer than the bracket's halving has come.
class OutcomeGuess {
  public:
    explicit OutcomeGuess(double expected) : expected_(expected), hinted_(expected > 0.0) {}

    bool Overshoots(double Hm) const {
        if (hinted_) return Hm < expected_;
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

    // Whether the guesses still come from the expected answer.
    bool Hinted() const { return hinted_; }

    void Record(const DrainageCase& c, double Hm, double head) {
        lastUp_ = head > Hm;
        if (hinted_ && lastUp_ != (Hm < expected_)) hinted_ = false;
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

    double expected_;
    bool hinted_;
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
                         const RunContext& run, double expected)
        : c_(c),
          L_(L),
          progress_(progress),
          stop_(run.stop),
          guess_(expected),
          ahead_(run, run.threads >= 3 ? 2 : 1) {}

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
        if (ahead_.Slots() == 2) {
            StartAhead(0, up);
            StartAhead(1, down);
        } else {
            StartAhead(0, guess_.Overshoots(c_.EnergyMidHead) ? up : down);
        }
    }

    void StartAhead(int slot, double Hm) {
        ahead_.Start(slot, c_, Hm, nullptr,
                     [Hm, L = L_](DrainageCase& copy, const StopToken& stop) {
                         return MarchEnergy(copy, L, Hm, stop);
                     });
    }

    // Takes the march run ahead at the current trial, if there is one: its
    // results into the case, or its fault. The other one is not needed.
    bool AdoptAhead(double& head) {
        const AheadRun* march = ahead_.Take(c_.EnergyMidHead);
        ahead_.DropAll();
        if (march == nullptr) return false;
        c_.LastStep = march->c.LastStep;
        c_.MarchHead = march->c.MarchHead;
        c_.MarchGradient = march->c.MarchGradient;
        c_.MarchStoppedAt = march->c.MarchStoppedAt;
        head = march->head;
        return true;
    }

    DrainageCase& c_;
    double L_;
    const BisectionProgress& progress_;
    StopToken stop_;
    OutcomeGuess guess_;
    RunAhead ahead_;
};

// Where the bisection stands before a march: the assumed midway head, the
// bracket around it and the head before it.
struct BisectionState {
    double head;
    double low;
    double high;
    double prev;
};

BisectionState StateOf(const DrainageCase& c) {
    return {c.EnergyMidHead, c.EnergyMidLow, c.EnergyMidHigh, c.EnergyMidPrev};
}

bool SameState(const BisectionState& a, const BisectionState& b) {
    return a.head == b.head && a.low == b.low && a.high == b.high && a.prev == b.prev;
}

// The trial after `s` as AdvanceBisection makes it, in plain arithmetic: the
// same values when no fault is met, and a trial planned from a fault is never
// kept (the search checks every trial against its own).
BisectionState StateAfter(const BisectionState& s, bool overshoots) {
    if (overshoots) return {(s.head + s.high) / 2.0, s.head, s.high, s.head};
    return {(s.head + s.low) / 2.0, s.low, s.head, s.head};
}

bool EndsSearch(const BisectionState& s, double tolerance) {
    return std::fabs(s.prev - s.head) < tolerance;
}

// The chance taken for a guessed outcome: one from an expected answer fails
// only once the bracket has come nearer than the answer's distance from it,
// and is taken as almost sure; the others as no better than even, which
// spreads the lanes over whole levels of the tree.
inline constexpr double kHintedChance = 0.95;
inline constexpr double kUnhintedChance = 0.5;

// The bisection with the next levels of its trial tree marched together, one
// trial in each vector lane: node k of the tree is followed by node 2k + 1
// when its march overshoots and by 2k + 2 when it does not, node 0 being the
// current trial. A round marches as many trials as its groups have lanes (those
// the search is most likely to make: whole levels, or deep along the guessed
// path while an expected answer guides it), the first group here and the others on workers, then
// the search walks down the tree: it keeps the march of each trial it makes and the rest are
// discarded, so trials, progress calls, faults and the case are exactly those of the one-lane
// search. A lane's march whose group raised a status flag, or whose result is not finite, is made
// again by MarchEnergy, which finds its fault as the one-lane search does.
class LaneBisection {
  public:
    static constexpr int kMaxGroups = 4;

    LaneBisection(DrainageCase& c, double L, std::int32_t lastStep,
                  const BisectionProgress& progress, const RunContext& run, LaneLevel level,
                  double expected)
        : c_(c),
          L_(L),
          lastStep_(lastStep),
          progress_(progress),
          stop_(run.stop),
          level_(level),
          width_(LanesOf(level)),
          groups_(GroupsFor(c, L, run.threads)),
          guess_(expected),
          ahead_(run, groups_ - 1) {}

    double Solve() {
        for (;;) {
            PlanRound();
            MarchRound();
            if (const double* head = WalkRound()) return *head;
        }
    }

  private:
    // A trial of the round: its node in the tree (children 2k + 1 after an
    // overshoot, 2k + 2 else), where the bisection stands at it, the chance
    // that the search makes it, its guessed outcome and which of its children
    // are planned (bit 1 after an overshoot, bit 2 else).
    struct PlannedTrial {
        std::uint64_t node;
        BisectionState state;
        double chance;
        bool guessUp;
        double guessRight;  // the chance that guessUp is right
        unsigned childrenPlanned;
    };

    static int GroupsFor(const DrainageCase& c, double L, int threads) {
        if (!WorthSpeculating(c, L, threads)) return 1;
        return threads < kMaxGroups ? threads : kMaxGroups;
    }

    int Slots() const { return groups_ * width_; }

    // The trials of a round: the current one, then again and again the child
    // of a planned trial most likely to be made, until the lanes are full. A
    // child is made with the chance of its parent times the chance that the
    // guessed outcome is right (for the guessed child) or wrong (for the other):
    // the lanes follow the guessed path deep while the guesses hold, and
    // spread over whole levels while they fail. A node below one that ends the
    // search is never made; it repeats its parent's trial, which makes its lane
    // no longer.
    void PlanRound() {
        planned_ = 0;
        Plan(0, StateOf(c_), 1.0);
        while (planned_ < Slots()) {
            int parent = 0;
            bool overshoots = false;
            double best = -1.0;
            for (int k = 0; k < planned_; ++k) {
                const PlannedTrial& t = trials_[k];
                for (const bool up : {t.guessUp, !t.guessUp}) {
                    if ((t.childrenPlanned & ChildBit(up)) != 0) continue;
                    const double chance = ChanceOfChild(t, up);
                    if (chance > best) {
                        best = chance;
                        parent = k;
                        overshoots = up;
                    }
                }
            }
            trials_[parent].childrenPlanned |= ChildBit(overshoots);
            const PlannedTrial& t = trials_[parent];
            Plan(2 * t.node + (overshoots ? 1 : 2), Child(t.state, overshoots), best);
        }
    }

    static unsigned ChildBit(bool overshoots) { return overshoots ? 1u : 2u; }

    double ChanceOfChild(const PlannedTrial& parent, bool overshoots) const {
        if (EndsSearch(parent.state, c_.Tolerance)) return 0.0;
        const double right = parent.guessRight;
        return parent.chance * (overshoots == parent.guessUp ? right : 1.0 - right);
    }

    BisectionState Child(const BisectionState& parent, bool overshoots) const {
        return EndsSearch(parent, c_.Tolerance) ? parent : StateAfter(parent, overshoots);
    }

    void Plan(std::uint64_t node, const BisectionState& state, double chance) {
        const double right = guess_.Hinted() ? kHintedChance : kUnhintedChance;
        trials_[planned_++] = {node, state, chance, guess_.Overshoots(state.head), right, 0u};
    }

    int SlotOf(std::uint64_t node) const {
        for (int slot = 0; slot < planned_; ++slot)
            if (trials_[slot].node == node) return slot;
        return -1;
    }

    LaneMarch GroupMarch(const DrainageCase& c, int group) const {
        LaneMarch march;
        march.c = &c;
        march.L = L_;
        march.first = c.FirstStep;
        march.last = lastStep_;
        march.count = width_;
        for (int k = 0; k < width_; ++k) march.Hm[k] = trials_[group * width_ + k].state.head;
        return march;
    }

    // The groups after the first march on workers, each on its own copy of the
    // case, with the heads of the round taken along: the next round may plan
    // before a group it no longer needs has ended.
    void MarchRound() {
        for (int group = 1; group < groups_; ++group) {
            ahead_.Start(group - 1, c_, group, nullptr,
                         [this, group, march = GroupMarch(c_, group)](
                             DrainageCase& copy, const StopToken& stop) mutable {
                             march.c = &copy;
                             ends_[group] = MarchEnergyLanes(march, level_, stop);
                             return 0.0;
                         });
        }
        ends_[0] = MarchEnergyLanes(GroupMarch(c_, 0), level_, stop_);
        for (int group = 1; group < groups_; ++group) taken_[group] = false;
    }

    // Walks down the round's tree as the one-lane search; returns the head
    // that ends the search, or nullptr when the next trial lies beyond it.
    const double* WalkRound() {
        std::uint64_t node = 0;
        int slot = 0;
        for (;;) {
            head_ = MarchOf(slot);
            const double change = ChangeOf(c_);
            if (change < c_.Tolerance) return &head_;
            BetweenMarches(change, progress_, stop_);
            guess_.Record(c_, c_.EnergyMidHead, head_);
            const bool overshoots = head_ > c_.EnergyMidHead;
            AdvanceBisection(c_, head_);
            node = 2 * node + (overshoots ? 1 : 2);
            slot = SlotOf(node);
            if (slot < 0 || !SameState(trials_[slot].state, StateOf(c_))) break;
        }
        ahead_.DropAll();
        return nullptr;
    }

    // The march at the current trial, in lane `slot` of the round: the lane's
    // results into the case, or the march made again on one lane.
    double MarchOf(int slot) {
        const int group = slot / width_;
        if (group > 0 && !taken_[group]) {
            ahead_.Take(group);
            taken_[group] = true;
        }
        const LaneMarchEnds& marched = ends_[group];
        const LaneEnd& end = marched.ends[slot % width_];
        if (marched.flagRaised || !std::isfinite(end.head) || !std::isfinite(end.gradient))
            return MarchEnergy(c_, L_, c_.EnergyMidHead, stop_);
        c_.LastStep = lastStep_;
        c_.MarchHead = end.head;
        c_.MarchGradient = end.gradient;
        c_.MarchStoppedAt = end.stoppedAt;
        return end.head;
    }

    DrainageCase& c_;
    double L_;
    std::int32_t lastStep_;
    const BisectionProgress& progress_;
    StopToken stop_;
    LaneLevel level_;
    int width_;
    int groups_;
    PlannedTrial trials_[kMaxGroups * kMaxLanes] = {};
    int planned_ = 0;
    OutcomeGuess guess_;
    LaneMarchEnds ends_[kMaxGroups];
    bool taken_[kMaxGroups] = {};
    double head_ = 0;
    RunAhead ahead_;
};

}  // namespace

double SolveEnergyMidHead(DrainageCase& c, double L, double start, double upper,
                          const BisectionProgress& progress, const RunContext& run,
                          double expected) {
    c.EnergyMidHead = start;
    c.EnergyMidHigh = upper;
    c.EnergyMidLow = 0;
    c.EnergyMidPrev = 0;
    const LaneLevel level = CurrentLaneLevel();
    if (level != LaneLevel::Scalar) {
        // The step count of every march, with the fault the first march would meet.
        const std::int32_t lastStep = RoundStep(Guarded(L) / c.p);
        if (lastStep >= c.FirstStep)
            return LaneBisection(c, L, lastStep, progress, run, level, expected).Solve();
    }
    if (!WorthSpeculating(c, L, run.threads)) return SolveOnOneThread(c, L, progress, run.stop);
    return SpeculativeBisection(c, L, progress, run, expected).Solve();
}

}  // namespace pelorin
