#pragma once

#include <string_view>
#include <vector>

#include "CaseLayout.h"
#include "DrainageCase.h"
#include "ReportWriter.h"

namespace pelorin {

// The seven calculation modules, each of which writes its own report.
enum class Module { DarSpac, EneSpac, DarDisc, EneDisc, HydrHead, DarCond, EneCond };

std::string_view ModuleName(Module module);

// Where the result lines of a module's report take their midway heads and
// depths from: the search (or the energy balance of the spacing found), or
// the last row of the profile table. The table is recomputed with the step
// 0.00001 m, so its heads may differ from the search's by millimetres. Empty
// for a name that is no module's.
std::string_view MidwayHeadSource(std::string_view moduleName);

// Lines 1 to 18: the module's ten header lines, the titles, both file names and
// the module's input-data heading.
void WriteReportHeader(ReportWriter& report, const DrainageCase& c, Module module);

// One echo line per quantity, in the given order.
void WriteInputEcho(ReportWriter& report, const DrainageCase& c,
                    const std::vector<Quantity>& quantities);

// The empty line, the caption, the column line and " Output data:".
void WriteTableHead(ReportWriter& report, Module module);

// A result line: the label and the value in width 8.
void WriteResult(ReportWriter& report, std::string_view label, double value, int decimals);

}  // namespace pelorin
