#pragma once

#include <string>
#include <vector>

#include "DrainageCase.h"
#include "RunError.h"

namespace pelorin {

// The error list of a refused case, in the current folder.
inline constexpr const char* kErrorListFile = "Error.lst";

// The input checks: each loads the numbers of its aim from the input file into
// the case, derives the case quantities, tests the case, writes the error list
// and returns whether errors were found (InputErrorsFound). A file that cannot
// be read or an error list that cannot be written throws RunError before any
// error list is written.
bool CheckSpacingInput(DrainageCase& c, const std::string& inputFile,
                       const std::string& errorListFile);
bool CheckDischargeInput(DrainageCase& c, const std::string& inputFile,
                         const std::string& errorListFile);
bool CheckWaterTableDepthInput(DrainageCase& c, const std::string& inputFile,
                               const std::string& errorListFile);
bool CheckConductivityInput(DrainageCase& c, const std::string& inputFile,
                            const std::string& errorListFile);

// The check that belongs to an aim.
bool CheckInput(CalcAim aim, DrainageCase& c, const std::string& inputFile,
                const std::string& errorListFile);

// Whether the folder entry `name` is the input file itself (the same file, by
// device and inode, whatever the spelling): writing or deleting it would
// destroy the input.
bool IsInputFile(const std::string& name, const std::string& inputFile);

// The refusal to write or delete an error list that is the input file.
RunError ErrorListIsInput(const std::string& errorListFile, const std::string& inputFile);

// Deletes the error list before an accepted case runs; a link there is removed,
// not followed. Throws ErrorListIsInput instead of deleting the input file.
void RemoveErrorList(const std::string& errorListFile, const std::string& inputFile);

// The lines of an error list: header, empty line, messages and, when there are
// any, an empty line and the closing request.
std::vector<std::string> ErrorListLines(const std::vector<std::string>& messages);

}  // namespace pelorin
