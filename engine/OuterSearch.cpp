#include "OuterSearch.h"

#include <optional>
#include <utility>

#include "Bisection.h"
#include "SearchAhead.h"
#include "SearchMessages.h"

namespace pelorin {
namespace {

// The trials at the two ends of the bracket: the case each left and its head.
class BracketEnds {
  public:
    // After a trial that did not meet the tolerance: it becomes the low end
    // when the answer lies above it, else the high end.
    void Keep(const DrainageCase& c, double trial, double head, bool answerAbove) {
        (answerAbove ? low_ : high_) = End{c, trial, head};
    }

    // The end whose head came nearer the target, the lower one on a tie.
    struct End {
        DrainageCase c;
        double trial;
        double head;
    };
    // With its distance from the target.
    std::optional<std::pair<const End*, double>> NearerEnd(double target) const {
        if (!low_ || !high_) return std::nullopt;
        const double lowDeviation = AbsDiff(low_->head, target);
        const double highDeviation = AbsDiff(high_->head, target);
        if (lowDeviation <= highDeviation) return std::pair{&*low_, lowDeviation};
        return std::pair{&*high_, highDeviation};
    }

  private:
    std::optional<End> low_;
    std::optional<End> high_;
};

}  // namespace

double RunOuterSearch(DrainageCase& c, SearchAhead& trials, SearchBracket& bracket, double& trial,
                      RunSink& sink, const OuterSearchSteps& steps) {
    BracketEnds ends;
    for (;;) {
        StopToken(sink).ThrowIfRequested();
        const double head = trials.Run(trial, bracket);
        const double deviation = AbsDiff(head, c.TargetHead);
        if (steps.afterTrial) steps.afterTrial(deviation);
        if (deviation < c.Tolerance) return head;
        const bool answerAbove = trials.AnswerAbove(head);
        ends.Keep(c, trial, head, answerAbove);
        if (NarrowSearch(bracket, trial, answerAbove)) continue;

        const auto nearer = ends.NearerEnd(c.TargetHead);
        if (StallOf(bracket) != SearchStall::ClosedIn || !nearer ||
            !(nearer->second < kClosedInAccuracy)) {
            throw steps.notFound();
        }
        const BracketEnds::End& end = *nearer->first;
        c = end.c;
        trial = end.trial;
        sink.ShowMessage(" The midway head came within " + MessageNumber(nearer->second, 5) +
                         " m of the required one; the result has that accuracy.");
        return end.head;
    }
}

}  // namespace pelorin
