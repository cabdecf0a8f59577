#include "SearchAhead.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Bisection.h"

namespace pelorin {
OuterTrial DarcyMarchTrial(TrialSetter prepare, DirectionRule answerAbove) {
    return {std::move(prepare),
            [](DrainageCase& c, const RunContext& run) {
                return MarchDarcy(c, c.HalfSpacing, run.stop);
            },
            [](const DrainageCase&, double head) { return head; }, std::move(answerAbove)};
}

OuterTrial MidHeadTrial(TrialSetter prepare, double start, double upper,
                        DirectionRule answerAbove) {
    return {std::move(prepare),
            [start, upper](DrainageCase& c, const RunContext& run) {
                return SolveEnergyMidHead(c, c.HalfSpacing, start, upper, {}, run);
            },
            [](const DrainageCase& c, double) { return c.EnergyMidHead; }, std::move(answerAbove),
            kMarchesPerBisection};
}

namespace {

// Both outcomes of a trial with three threads or more, else the guessed one;
// the threads left over go to the trials' own bisections. A trial of a whole
// bisection run ahead gains more than marches of it run ahead: the outcome of a
// trial is easier to guess than that of a march.
int RunsAhead(int threads) { return threads < 2 ? 0 : threads >= 3 ? 2 : 1; }

}  // namespace

SearchAhead::SearchAhead(DrainageCase& c, OuterTrial trial, const RunContext& run)
    : c_(c),
      trial_(std::move(trial)),
      trialRun_{run.stop, std::max(1, run.threads / (RunsAhead(run.threads) + 1)), run.workers},
      ahead_(run, RunsAhead(run.threads)) {}

double SearchAhead::Run(double trial, const SearchBracket& bracket) {
    double head = 0;
    if (TakeAhead(trial, head)) return head;
    ahead_.DropAll();
    return RunHere(trial, bracket);
}

double SearchAhead::RunHere(double trial, const SearchBracket& bracket) {
    trial_.prepare(c_, trial);
    StartAhead(bracket, trial);
    const double head = trial_.evaluate(c_, trialRun_);
    Remember(trial, head);
    return head;
}

// A run made ahead at this trial is taken unless its march took no step: such
// a march keeps the head of the march before it, which the copy did not have.
bool SearchAhead::TakeAhead(double trial, double& head) {
    const AheadRun* run = ahead_.Take(trial);
    if (run == nullptr || run->c.LastStep < run->c.FirstStep) return false;
    c_ = run->c;
    head = run->head;
    Remember(trial, head);
    ahead_.DropAll();
    return true;
}

void SearchAhead::StartAhead(const SearchBracket& bracket, double trial) {
    if (ahead_.Slots() == 0 || !LongEnoughToShare(c_, c_.HalfSpacing, trial_.marches)) return;
    const double up = NextTrial(bracket, trial, true);
    const double down = NextTrial(bracket, trial, false);
    if (ahead_.Slots() == 2) {
        if (up != trial) StartRun(0, up);
        if (down != trial) StartRun(1, down);
    } else {
        const double next = GuessAnswerAbove(trial, bracket) ? up : down;
        if (next != trial) StartRun(0, next);
    }
}

void SearchAhead::StartRun(int slot, double trial) {
    ahead_.Start(
        slot, c_, trial, [&](DrainageCase& copy) { trial_.prepare(copy, trial); },
        [this](DrainageCase& copy, const StopToken& stop) {
            return trial_.evaluate(copy, {stop, trialRun_.threads, trialRun_.workers});
        });
}

// From the straight line through the last two trials' judged values, else
// towards the middle of the bracket.
bool SearchAhead::GuessAnswerAbove(double trial, const SearchBracket& bracket) const {
    // The flags this may raise do not matter: every march clears them first.
    if (known_ == 2 && trials_[1] != trials_[0]) {
        const double slope = (judged_[1] - judged_[0]) / (trials_[1] - trials_[0]);
        const double predicted = judged_[1] + slope * (trial - trials_[1]);
        if (std::isfinite(predicted)) return trial_.answerAbove(predicted);
    }
    return trial - bracket.low < bracket.high - trial;
}

void SearchAhead::Remember(double trial, double head) {
    trials_[0] = trials_[1];
    judged_[0] = judged_[1];
    trials_[1] = trial;
    judged_[1] = trial_.judged(c_, head);
    known_ = std::min(known_ + 1, 2);
}

}  // namespace pelorin
