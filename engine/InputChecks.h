#pragma once

#include <string>
#include <vector>

#include "Calculate.h"
#include "DrainageCase.h"

namespace pelorin {

// The name of the error list a refused case leaves beside its input file.
inline constexpr const char* kErrorListFile = "Error.lst";

// Puts the numbers of the input into the fields of the case, by the positions
// of its aim's input file (the zeros that end a conductivity file are not
// looked at).
void LoadCaseNumbers(const CaseInput& input, DrainageCase& c);

// The input checks: each derives the case quantities from the loaded numbers,
// tests the case and returns the messages of the tests that failed, in order;
// none when the case is accepted.
std::vector<std::string> CheckSpacingInput(DrainageCase& c);
std::vector<std::string> CheckDischargeInput(DrainageCase& c);
std::vector<std::string> CheckWaterTableDepthInput(DrainageCase& c);
std::vector<std::string> CheckConductivityInput(DrainageCase& c);

// The check that belongs to an aim.
std::vector<std::string> CheckInput(CalcAim aim, DrainageCase& c);

// The lines of an error list: header, empty line, messages and, when there are
// any, an empty line and the closing request.
std::vector<std::string> ErrorListLines(const std::vector<std::string>& messages);

}  // namespace pelorin
