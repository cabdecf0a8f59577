#pragma once

#include <initializer_list>
#include <string_view>

#include "DrainageCase.h"
#include "ReportWriter.h"

namespace pelorin {

// The seven calculation modules, each of which writes its own report.
enum class Module { DarSpac, EneSpac, DarDisc, EneDisc, HydrHead, DarCond, EneCond };

std::string_view ModuleName(Module module);

// The quantities that a report echoes, each with its fixed label and format.
enum class Quantity { R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm, S };

// Lines 1 to 18: the module's ten header lines, the titles, both file names and
// the module's input-data heading.
void WriteReportHeader(ReportWriter& report, const DrainageCase& c, Module module);

// One echo line per quantity, in the given order.
void WriteInputEcho(ReportWriter& report, const DrainageCase& c,
                    std::initializer_list<Quantity> quantities);

// The empty line, the caption, the column line and " Output data:".
void WriteTableHead(ReportWriter& report, Module module);

// A result line: the label and the value in width 8.
void WriteResult(ReportWriter& report, std::string_view label, double value, int decimals);

}  // namespace pelorin
