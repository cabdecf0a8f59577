#pragma once

// The arithmetic of the searches' bisections: the next trial, the bracket
// around the answer, and where a search that could not end was stuck.

#include "GuardedArithmetic.h"

namespace pelorin {

// The next trial of a bisection: (a + b)/2, which is exactly (a + b)·0.5.
inline double Midpoint(double a, double b) { return Value((Guarded(a) + b) * 0.5); }

// The bracket of a bisection over a sought quantity (a discharge, a
// conductivity), and whether each end has moved from where it started.
struct SearchBracket {
    double low = 0;
    double high = 0;
    bool lowMoved = false;
    bool highMoved = false;
};

// The trial after `trial`: midway to the bracket end on the side of the answer.
inline double NextTrial(const SearchBracket& bracket, double trial, bool answerAbove) {
    return Midpoint(trial, answerAbove ? bracket.high : bracket.low);
}

// One bisection step: the trial becomes the low end when the answer lies above
// it, else the high end, and the next trial lies midway to the other end.
// Returns false, leaving the trial as it is, when the next trial would equal
// it: the same trial would then be judged the same way for ever, so the
// tolerance cannot be met inside the bracket.
inline bool NarrowSearch(SearchBracket& bracket, double& trial, bool answerAbove) {
    const double next = NextTrial(bracket, trial, answerAbove);
    if (answerAbove) {
        bracket.low = trial;
        bracket.lowMoved = true;
    } else {
        bracket.high = trial;
        bracket.highMoved = true;
    }
    if (next == trial) return false;
    trial = next;
    return true;
}

// Where a bisection that could not end was stuck: below its bracket (the low
// end never moved), above it (the high end never moved), or closed in on a
// value without meeting the tolerance.
enum class SearchStall { BelowBracket, AboveBracket, ClosedIn };

inline SearchStall StallOf(const SearchBracket& bracket) {
    if (!bracket.lowMoved) return SearchStall::BelowBracket;
    if (!bracket.highMoved) return SearchStall::AboveBracket;
    return SearchStall::ClosedIn;
}

}  // namespace pelorin
