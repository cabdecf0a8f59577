#include "SearchAhead.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "Bisection.h"
#include "GuardedArithmetic.h"
#include "LaneLevel.h"
#include "LaneMarch.h"

namespace pelorin {
OuterTrial DarcyMarchTrial(TrialSetter prepare, DirectionRule answerAbove) {
    return {std::move(prepare),
            [](DrainageCase& c, const RunContext& run, double) {
                return MarchDarcy(c, c.HalfSpacing, run.stop);
            },
            [](const DrainageCase&, double head) { return head; },
            std::move(answerAbove),
            1,
            true};
}

OuterTrial MidHeadTrial(TrialSetter prepare, double start, double upper,
                        DirectionRule answerAbove) {
    return {std::move(prepare),
            [start, upper](DrainageCase& c, const RunContext& run, double expected) {
                return SolveEnergyMidHead(c, c.HalfSpacing, start, upper, {}, run, expected);
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

// Darcy trials share the lanes at every level but the scalar one, and then
// run nothing ahead on other threads: a round already holds the next levels.
bool DarcyTrialsInLanes(const OuterTrial& trial, LaneLevel level) {
    return trial.darcyMarch && level != LaneLevel::Scalar;
}

}  // namespace

SearchAhead::SearchAhead(DrainageCase& c, OuterTrial trial, const RunContext& run)
    : c_(c),
      trial_(std::move(trial)),
      trialRun_{run.stop, std::max(1, run.threads / (RunsAhead(run.threads) + 1)), run.workers},
      level_(CurrentLaneLevel()),
      inLanes_(DarcyTrialsInLanes(trial_, level_)),
      ahead_(run, inLanes_ ? 0 : RunsAhead(run.threads)) {}

double SearchAhead::Run(double trial, const SearchBracket& bracket) {
    double head = 0;
    if (inLanes_ && TakeFromLanes(trial, bracket, head)) return head;
    if (TakeAhead(trial, head)) return head;
    ahead_.DropAll();
    return RunHere(trial, bracket);
}

double SearchAhead::RunHere(double trial, const SearchBracket& bracket) {
    trial_.prepare(c_, trial);
    StartAhead(bracket, trial);
    const double head = trial_.evaluate(c_, trialRun_, ExpectedJudged(trial));
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
        [this, expected = ExpectedJudged(trial)](DrainageCase& copy, const StopToken& stop) {
            return trial_.evaluate(copy, {stop, trialRun_.threads, trialRun_.workers}, expected);
        });
}

// From the straight line through the last two trials' judged values, else
// towards the middle of the bracket.
bool SearchAhead::GuessAnswerAbove(double trial, const SearchBracket& bracket) const {
    if (const std::optional<double> predicted = OnTheLine(trial))
        return trial_.answerAbove(*predicted);
    return trial - bracket.low < bracket.high - trial;
}

// The judged value at `trial` on the straight line through the last two
// trials', when there are two and it gives a finite value. The flags this may
// raise do not matter: every march clears them first.
std::optional<double> SearchAhead::OnTheLine(double trial) const {
    if (known_ < 2 || trials_[1] == trials_[0]) return std::nullopt;
    const double slope = (judged_[1] - judged_[0]) / (trials_[1] - trials_[0]);
    const double predicted = judged_[1] + slope * (trial - trials_[1]);
    if (!std::isfinite(predicted)) return std::nullopt;
    return predicted;
}

// The judged value `trial` is likely to give: on the line through the last
// two trials', else the last one's; 0 before the first trial.
double SearchAhead::ExpectedJudged(double trial) const {
    if (known_ == 0) return 0.0;
    return OnTheLine(trial).value_or(judged_[1]);
}

void SearchAhead::Remember(double trial, double head) {
    trials_[0] = trials_[1];
    judged_[0] = judged_[1];
    trials_[1] = trial;
    judged_[1] = trial_.judged(c_, head);
    known_ = std::min(known_ + 1, 2);
}

// The trial's march from the lane round that holds it, or from a new round
// made from it. A trial no lane could take (one whose march takes no step,
// whose preparation or step count meets a fault, or whose lanes raised a
// floating-point flag) is left to the march on its own, which meets the
// fault itself.
bool SearchAhead::TakeFromLanes(double trial, const SearchBracket& bracket, double& head) {
    auto held = [&] {
        return std::find_if(laneTrials_.begin(), laneTrials_.end(),
                            [&](const LaneTrial& t) { return t.trial == trial; });
    };
    auto found = held();
    if (found == laneTrials_.end()) {
        MarchLaneRound(trial, bracket);
        found = held();
        if (found == laneTrials_.end()) return false;
    }
    c_ = found->c;
    head = c_.MarchHead;
    Remember(trial, head);
    return true;
}

// The trials of a round: `root`, then the bisection's next levels below it,
// as many whole levels as there are lanes for; lanes left over take the
// guessed outcomes' trials of the next level first.
std::vector<double> SearchAhead::PlanLaneRound(double root, const SearchBracket& bracket) const {
    struct Node {
        double trial;
        SearchBracket bracket;
    };
    const std::size_t lanes = static_cast<std::size_t>(LanesOf(level_));
    std::vector<double> plan{root};
    std::vector<Node> level{{root, bracket}};
    while (plan.size() < lanes && !level.empty()) {
        std::vector<Node> next;
        for (const Node& node : level) {
            const bool guess = GuessAnswerAbove(node.trial, node.bracket);
            for (bool above : {guess, !guess}) {
                Node child = node;
                if (NarrowSearch(child.bracket, child.trial, above)) next.push_back(child);
            }
        }
        for (const Node& node : next) {
            if (plan.size() == lanes) break;
            if (std::find(plan.begin(), plan.end(), node.trial) == plan.end())
                plan.push_back(node.trial);
        }
        level = std::move(next);
    }
    return plan;
}

void SearchAhead::MarchLaneRound(double root, const SearchBracket& bracket) {
    laneTrials_.clear();
    DarcyLaneMarch march;
    march.c = &c_;
    march.first = c_.FirstStep;
    for (double trial : PlanLaneRound(root, bracket)) {
        DrainageCase copy = c_;
        try {
            trial_.prepare(copy, trial);
            copy.LastStep = RoundStep(Guarded(copy.HalfSpacing) / copy.p);
        } catch (...) {
            continue;  // met again, with its own text, if the search makes this trial
        }
        if (copy.LastStep < copy.FirstStep) continue;
        march.lanes[march.count++] = DarcyLaneOf(copy);
        laneTrials_.push_back({trial, std::move(copy)});
    }
    if (march.count == 0) return;
    const LaneMarchEnds ends = MarchDarcyLanes(march, level_, trialRun_.stop);
    if (ends.flagRaised) {
        // Some lane may have met a fault; the rest of the search marches
        // its trials one by one, each with its own check.
        laneTrials_.clear();
        inLanes_ = false;
        return;
    }
    for (std::size_t k = 0; k < laneTrials_.size(); ++k) {
        const LaneEnd& end = ends.ends[k];
        DrainageCase& c = laneTrials_[k].c;
        c.MarchHead = end.head;
        c.MarchGradient = end.gradient;
        c.MarchStoppedAt = end.stoppedAt;
    }
    std::erase_if(laneTrials_, [](const LaneTrial& t) {
        return !std::isfinite(t.c.MarchHead) || !std::isfinite(t.c.MarchGradient);
    });
}

}  // namespace pelorin
