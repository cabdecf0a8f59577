#pragma once

// What a search says when it cannot find its answer (and when a spacing
// leaves no step to march), and the number texts of those messages.

#include <string>
#include <string_view>

#include "DrainageCase.h"
#include "GuardedArithmetic.h"
#include "RunError.h"

namespace pelorin {

// Number text for the messages of a search that found no answer.
std::string MessageNumber(double value, int decimals);

// Whether a march over the half spacing L with the current step takes no step
// at all: the water body of the drain reaches to the midpoint.
inline bool NoStepPossible(const DrainageCase& c, double L) {
    return RoundStep(Guarded(L) / c.p) < c.FirstStep;
}

// A march step as it is usually written: 0.001, not 0.00100.
inline std::string StepText(double step) {
    std::string text = MessageNumber(step, 5);
    while (text.size() > 1 && text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// Ends a search that has no step to march: there is no soil between the
// drains beyond the water body, so no head can be computed.
[[noreturn]] inline void NoSoilBetweenDrains(const DrainageCase& c, std::string_view sought) {
    throw RunError(Fault::SearchFailed,
                   " The " + std::string(sought) + " could not be found: a drain spacing of " +
                       MessageNumber(c.S, 2) + " m leaves no room for a single step of " +
                       StepText(c.p) + " m beyond the water body in the drain (" +
                       MessageNumber(Value(Guarded(2.0) * c.HalfWidth), 3) +
                       " m wide), so there is no flow to compute.");
}

}  // namespace pelorin
