#pragma once

#include <string>

#include "Units.h"

namespace pelorin::documents {

// pelorin-cli pdf [--units si|us] REPORT OUT.pdf: makes the design sheet of a
// report (in the units asked for) and writes it as a PDF document. Returns the exit status: 0 when
// the document was written (its name on standard output), 2 with a message on standard error
// otherwise.
int RunPdfCommand(const std::string& reportFile, const std::string& pdfFile,
                  UnitSystem units = UnitSystem::SI);

}  // namespace pelorin::documents
