#pragma once

#include <string>

#include "DrainageCase.h"
#include "GuardedArithmetic.h"
#include "RunSink.h"

namespace pelorin {

// Helpers that the engines share.

inline void StopIfRequested(RunSink& sink) {
    if (sink.StopRequested()) throw RunError(Fault::Cancelled);
}

// The head at the drain edge caused by the entrance resistance: 2·R·L·E.
inline double EntranceHeadFor(const DrainageCase& c, double L) {
    return Value(Guarded(2.0) * c.R * L * c.E);
}

// The next trial of a bisection: (a + b)/2, which is exactly (a + b)·0.5.
inline double Midpoint(double a, double b) { return Value((Guarded(a) + b) * 0.5); }

inline double Minus(double a, double b) { return Value(Guarded(a) - b); }
inline double AbsDiff(double a, double b) { return Value(Abs(Guarded(a) - b)); }

// Number text for the messages of a search that found no answer.
std::string MessageNumber(double value, int decimals);

// A one-shot progress line: added the first time its condition holds.
class ProgressLine {
public:
    ProgressLine(RunSink& sink, const char* text) : sink_(sink), text_(text) {}
    void AddOnceWhen(bool condition) {
        if (!shown_ && condition) {
            sink_.AddProgressLine(text_);
            shown_ = true;
        }
    }

private:
    RunSink& sink_;
    const char* text_;
    bool shown_ = false;
};

}  // namespace pelorin
