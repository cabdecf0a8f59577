#pragma once

#include <functional>

#include "DrainageCase.h"
#include "RunError.h"
#include "RunSink.h"

namespace pelorin {

struct SearchBracket;
class SearchAhead;

// How near the midway head of the trial a closed-in search ends on must have
// come to the required one: the reports print heads to 0.001 m.
inline constexpr double kClosedInAccuracy = 0.001;

// What an outer search (over a spacing, a discharge or a conductivity) does
// besides running its trials.
struct OuterSearchSteps {
    // Called after every trial with |head − TargetHead|, before the
    // tolerance is tested (progress lines).
    std::function<void(double deviation)> afterTrial;
    // The fault that ends a search that can no longer move and has no answer.
    std::function<RunError()> notFound;
};

// Runs the bisection of an outer search from the trial value `trial` (a field
// of the case or the engine's own) until a trial's head comes within the
// tolerance of TargetHead, and returns that head.
//
// Near the answer the head of a trial moves in steps of the march's grid (about
// 0.0001–0.0002 m), so the bisection may close in on the answer with the
// trials at both ends of its bracket on either side of it and neither within
// the tolerance. It then ends on the end whose head came nearer (the lower end
// on a tie), when that head is within kClosedInAccuracy: the case and `trial`
// are left exactly as that trial left them, and the sink is told how near it
// came. Stuck at an end of its starting bracket, or farther off, the search
// ends with notFound.
double RunOuterSearch(DrainageCase& c, SearchAhead& trials, SearchBracket& bracket, double& trial,
                      RunSink& sink, const OuterSearchSteps& steps);

}  // namespace pelorin
