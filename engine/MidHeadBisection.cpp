#include "MidHeadBisection.h"

#include <cmath>
#include <cstdint>

#include "GuardedArithmetic.h"
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
                         const RunContext& run)
        : c_(c),
          L_(L),
          progress_(progress),
          stop_(run.stop),
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

}  // namespace

double SolveEnergyMidHead(DrainageCase& c, double L, double start, double upper,
                          const BisectionProgress& progress, const RunContext& run) {
    c.EnergyMidHead = start;
    c.EnergyMidHigh = upper;
    c.EnergyMidLow = 0;
    c.EnergyMidPrev = 0;
    if (!WorthSpeculating(c, L, run.threads)) return SolveOnOneThread(c, L, progress, run.stop);
    return SpeculativeBisection(c, L, progress, run).Solve();
}

}  // namespace pelorin
