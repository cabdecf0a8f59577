#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "DrainageCase.h"
#include "LaneLevel.h"
#include "ProfileRoutine.h"
#include "RunContext.h"
#include "Speculation.h"

namespace pelorin {

struct SearchBracket;

// About how many marches a midway-head bisection takes.
inline constexpr int kMarchesPerBisection = 24;

// How an outer search (over a spacing, a discharge or a conductivity) runs and
// judges one trial.
struct OuterTrial {
    // Puts the trial value into the case, with whatever the search resets before a trial.
    std::function<void(DrainageCase&, double trial)> prepare;
    // Runs the trial's march or midway-head bisection and returns its head,
    // with the stop token and the threads `run` gives it. `expected` is the
    // judged value the trial is likely to give (0 when unknown): a bisection
    // guesses its marches' outcomes from it, with the same result.
    std::function<double(DrainageCase&, const RunContext& run, double expected)> evaluate;
    // The value the direction of the search is taken from (a head), after a trial.
    std::function<double(const DrainageCase&, double head)> judged;
    // Whether the answer lies above the trial, given its judged value.
    std::function<bool(double judged)> answerAbove;
    // About how many marches over the half spacing a trial takes.
    int marches = 1;
    // Whether a trial is one Darcy march over the half spacing, which the
    // trials of a search can share in the vector lanes.
    bool darcyMarch = false;
};

using TrialSetter = std::function<void(DrainageCase&, double trial)>;
using DirectionRule = std::function<bool(double judged)>;

// A trial that is one Darcy march over the half spacing, judged by its head.
OuterTrial DarcyMarchTrial(TrialSetter prepare, DirectionRule answerAbove);

// A trial that is a midway-head bisection from `start` with the upper bound
// `upper`, judged by the assumed midway head it ends on.
OuterTrial MidHeadTrial(TrialSetter prepare, double start, double upper, DirectionRule answerAbove);

// Runs the trials of an outer bisection. With threads to spare, the trial that
// the search will make next is run ahead on a copy of the case while the
// current one runs here: the one the search would make after the current
// trial's outcome, guessed from the last two trials, or both when there are
// threads for both. A trial run ahead is kept only when the search does make
// it, so the trials, their results, faults and the case are exactly those of
// the search on one thread.
//
// Trials of one Darcy march each go into the vector lanes instead: a round
// marches the trial asked for and the next levels of the bisection below it
// together, one trial in each lane, and the trials the search then makes are
// taken from the round while they last.
class SearchAhead {
  public:
    // The trials run here and those run ahead share the threads of `run` and
    // look at its stop token.
    SearchAhead(DrainageCase& c, OuterTrial trial, const RunContext& run = {});
    SearchAhead(const SearchAhead&) = delete;
    SearchAhead& operator=(const SearchAhead&) = delete;

    // Puts `trial` into the case and runs it, or takes its run made ahead;
    // `bracket` is where the search stands before the trial's outcome.
    double Run(double trial, const SearchBracket& bracket);
    // Whether the answer lies above the trial just run, which gave `head`.
    bool AnswerAbove(double head) const { return trial_.answerAbove(trial_.judged(c_, head)); }

  private:
    double RunHere(double trial, const SearchBracket& bracket);
    bool TakeAhead(double trial, double& head);
    void StartAhead(const SearchBracket& bracket, double trial);
    void StartRun(int slot, double trial);
    bool GuessAnswerAbove(double trial, const SearchBracket& bracket) const;
    double ExpectedJudged(double trial) const;
    std::optional<double> OnTheLine(double trial) const;
    void Remember(double trial, double head);
    bool TakeFromLanes(double trial, const SearchBracket& bracket, double& head);
    void MarchLaneRound(double root, const SearchBracket& bracket);
    std::vector<double> PlanLaneRound(double root, const SearchBracket& bracket) const;

    // A trial of the last lane round: the case as its march left it.
    struct LaneTrial {
        double trial;
        DrainageCase c;
    };

    DrainageCase& c_;
    OuterTrial trial_;
    // The context of each trial: the run's stop token, workers and its share of threads.
    RunContext trialRun_;
    // The last two trials and their judged values, newest second.
    int known_ = 0;
    double trials_[2] = {0, 0};
    double judged_[2] = {0, 0};
    LaneLevel level_;
    bool inLanes_;
    std::vector<LaneTrial> laneTrials_;
    RunAhead ahead_;
};

}  // namespace pelorin
