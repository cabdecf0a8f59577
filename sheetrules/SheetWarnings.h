#pragma once

// The warnings a design sheet shows in a box of its own. Where the run that
// made the report is known (the desktop after Save/Run, the page), they are
// the run's own messages. A report alone does not keep them: of a saved
// report the sheet finds the two situations its numbers show, a midway depth
// below 0 (the water table above the soil surface) and, for a spacing,
// Dw - Dm below 0.2 (the short spacing), and says them as the run does.

#include <string>
#include <vector>

#include "ReportContents.h"

namespace pelorin {

// The box's heading, and under it what its lines are, for the two sources.
inline constexpr const char* kRunWarningsHeading = "Warnings of the run";
inline constexpr const char* kRunWarningsNote =
    "Messages given by the run that made this report, in their order.";
inline constexpr const char* kReportWarningsHeading = "Warnings read from the report";
inline constexpr const char* kReportWarningsNote =
    "A report does not keep the messages of its run; these follow from its printed numbers "
    "(a midway depth below 0; for a spacing, Dw-Dm below 0.2).";

struct SheetWarnings {
    bool FromRun = false;  // the run's messages; otherwise read from the report
    std::vector<std::string> Texts;

    bool Any() const { return !Texts.empty(); }
    const char* Heading() const { return FromRun ? kRunWarningsHeading : kReportWarningsHeading; }
    const char* Note() const { return FromRun ? kRunWarningsNote : kReportWarningsNote; }
};

// The messages of the run that made the report, as they came.
SheetWarnings WarningsOfRun(std::vector<std::string> messages);

// What the report's own numbers show: its printed midway depths and, for a
// spacing report, its echoed Dw and Dm.
SheetWarnings WarningsOfReport(const ReportContents& report);

}  // namespace pelorin
