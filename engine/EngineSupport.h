#pragma once

#include <string>
#include <string_view>

#include "DrainageCase.h"
#include "Engines.h"
#include "GuardedArithmetic.h"
#include "ProfileRoutine.h"
#include "ReportFrame.h"
#include "ReportWriter.h"
#include "RunContext.h"
#include "RunSink.h"

namespace pelorin {

// Helpers that the engines share.

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

// The progress lines of a long calculation, by the class of its half spacing L:
// " Still working ..." for L up to 25 m once the deviation is below 1000
// tolerances; another " Still working ..." for 25 < L < 50 m below 100
// tolerances or for L from 50 m on below 1000; and " Almost done ....." for L
// from 50 m on below 10 tolerances. Each line comes at most once.
class SpacingClassProgress {
  public:
    SpacingClassProgress(RunSink& sink, double halfSpacing, double tolerance)
        : L_(halfSpacing),
          tolerance_(tolerance),
          shortRun_(sink, " Still working ..."),
          longRun_(sink, " Still working ..."),
          almostDone_(sink, " Almost done .....") {}

    void Report(double deviation) {
        const bool within10 = deviation < 10 * tolerance_;
        const bool within100 = deviation < 100 * tolerance_;
        const bool within1000 = deviation < 1000 * tolerance_;
        shortRun_.AddOnceWhen(L_ <= 25 && within1000);
        longRun_.AddOnceWhen((within100 && 25 < L_ && L_ < 50) || (within1000 && L_ >= 50));
        almostDone_.AddOnceWhen(within10 && L_ >= 50);
    }

  private:
    double L_;
    double tolerance_;
    ProgressLine shortRun_;
    ProgressLine longRun_;
    ProgressLine almostDone_;
};

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

// Hands the finished report over. A stop asked for at any time before that,
// even after the last march (while a message of the run waits for the user),
// cancels the run: no report comes out of it.
inline EngineReport FinishReport(ReportWriter& report, const RunContext& run) {
    run.stop.ThrowIfRequested();
    return {report.TakeContents(), report.TakeResults()};
}

// The midway results of one method: its head and the depth of its water table.
struct MidwayResult {
    CalcMethod method;
    double head;
    double depth;
};

// The method as the labels of the midway results name it.
inline const char* MidwayLabelOf(CalcMethod method) {
    return method == CalcMethod::Darcy ? "Darcy, " : "energy,";
}

// Keeps the midway figures of a method among the results of the report.
inline void KeepMidwayFigures(CaseResults& results, const MidwayResult& result) {
    const bool darcy = result.method == CalcMethod::Darcy;
    (darcy ? results.HeadDarcy : results.HeadEnergy) = result.head;
    (darcy ? results.DepthDarcy : results.DepthEnergy) = result.depth;
}

// The two midway heads, then the two midway depths, the first method first;
// `gap` stands between "head"/"depth" and the method.
inline void WriteMidwayResults(ReportWriter& report, std::string_view gap,
                               const MidwayResult& first, const MidwayResult& second) {
    const auto label = [gap](const char* what, CalcMethod method) {
        return std::string(what) + std::string(gap) + "(" + MidwayLabelOf(method) + " m) is: ";
    };
    WriteResult(report, label(" Midway hydr. head", first.method), first.head, 3);
    WriteResult(report, label(" Midway hydr. head", second.method), second.head, 3);
    WriteResult(report, label(" Midway W.T. depth", first.method), first.depth, 3);
    WriteResult(report, label(" Midway W.T. depth", second.method), second.depth, 3);
    KeepMidwayFigures(report.Results(), first);
    KeepMidwayFigures(report.Results(), second);
}

// The main result of a report and the line that follows it: empty, or " #"
// in the conductivity reports.
struct MainResult {
    const char* label;
    double value;
    int decimals;
    const char* after;
};

// The result block after the profile rows: " #", the main result and its
// following line, the midway heads and depths, " #".
inline void WriteResultBlock(ReportWriter& report, const MainResult& main, std::string_view gap,
                             const MidwayResult& first, const MidwayResult& second) {
    report.Line(" #");
    WriteResult(report, main.label, main.value, main.decimals);
    report.Results().Sought = main.value;
    report.Results().SoughtDecimals = main.decimals;
    report.Line(main.after);
    WriteMidwayResults(report, gap, first, second);
    report.Line(" #");
}

}  // namespace pelorin
