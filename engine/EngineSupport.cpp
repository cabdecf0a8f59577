#include "EngineSupport.h"

#include "NumberFormat.h"
#include "ReportWriter.h"

namespace pelorin {

void NameReport(DrainageCase& c) {
    c.ReportFileName = ReportNameFor(c.InputFileName);
    if (c.ReportFileName == c.InputFileName) {
        throw RunError(Fault::FileAccessDenied,
                       " The report cannot be written: its name, " + c.ReportFileName +
                           ", is the name of the input file, which it would overwrite. Give the "
                           "input file another extension, such as .inp.");
    }
}

std::string MessageNumber(double value, int decimals) { return FormatFixed(value, 0, decimals); }

}  // namespace pelorin
