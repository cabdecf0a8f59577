#pragma once

// The end of every engine's report: the result block after the profile rows,
// with the figures it prints kept as numbers, and the hand-over of the report.

#include <string>
#include <string_view>

#include "Engines.h"
#include "ReportFrame.h"
#include "ReportMarkers.h"
#include "ReportWriter.h"
#include "RunContext.h"

namespace pelorin {

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
    std::string_view after;
};

// The result block after the profile rows: " #", the main result and its
// following line, the midway heads and depths, " #".
inline void WriteResultBlock(ReportWriter& report, const MainResult& main, std::string_view gap,
                             const MidwayResult& first, const MidwayResult& second) {
    report.Line(kSectionEnd);
    WriteResult(report, main.label, main.value, main.decimals);
    report.Results().Sought = main.value;
    report.Results().SoughtDecimals = main.decimals;
    report.Line(main.after);
    WriteMidwayResults(report, gap, first, second);
    report.Line(kSectionEnd);
}

}  // namespace pelorin
