#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Calculate.h"
#include "DrainageCase.h"
#include "RunError.h"

namespace pelorin {

// The image of one input file: two titles, the aim and method codes, and the
// 13 numbers in the order of the aim.
struct InputCase {
    std::string Title1;
    std::string Title2;
    std::string AimCode;
    std::string MethodCode;
    std::vector<double> Values;
    // How many numbers the file held (the missing ones at the end read as 0).
    int NumbersRead = 0;
};

inline constexpr int kInputValueCount = 13;

// Aim codes "Spa", "Dis", "Hyd", "Con"; method codes "Ene", "Dar".
std::optional<CalcAim> AimFromCode(const std::string& code);
const char* AimCodeOf(CalcAim aim);
// "Dar" is the Darcy method; any other code is the energy balance.
CalcMethod MethodFromCode(const std::string& code);
const char* MethodCodeOf(CalcMethod method);

enum class FileStatus {
    Ok,
    CannotOpen,  // nothing read or written; the caller's case is unchanged
    Corrupt,     // content the program cannot use; the messages say what
    Fault,       // an input/output fault part-way
};

struct InputReadResult {
    FileStatus Status = FileStatus::Ok;
    std::vector<std::string> Messages;      // the texts to show, in order
    Fault OpenFault = Fault::FileNotFound;  // the file layer's fault (CannotOpen)
    InputCase Case;                         // what was read (complete only when Ok)
};

struct FileWriteResult {
    FileStatus Status = FileStatus::Ok;
    std::string Message;
};

// Reads an input file. The titles are the first two lines, line 3 is skipped,
// line 4 holds the codes, then 13 numbers in free format follow; missing
// numbers at the end read as 0.
InputReadResult ReadInputFile(const std::string& fileName);
// The same reading of the bytes of an input file already in memory; the name
// is the one the messages give the file.
InputReadResult ParseInputFile(std::string_view bytes, const std::string& fileName);

// The text an input file of this name holds: the layout below. Fails (Corrupt)
// only on a number too long to be read back.
struct InputFileText {
    FileWriteResult Result;
    std::string Text;
};
InputFileText FormatInputFile(const std::string& fileName, const InputCase& inputCase);

// The case of an input file as the calculation takes it, with the names its
// report prints. The aim code must be known (a read that was Ok).
CaseInput CaseInputOf(const InputCase& file, const std::string& inputFileName,
                      const std::string& reportFileName);

// Writes an input file in the fixed layout: each number right-aligned in ten
// characters with the decimals of its position. A number too wide for its field
// is written after one blank so that the file still reads back. With a folder,
// the file goes there and names itself without it, as one written inside the
// folder would.
FileWriteResult WriteInputFile(const std::string& fileName, const InputCase& inputCase,
                               const std::string& folder = {});

// The decimals of position (1-based) of an aim's numbers in an input file.
int InputDecimals(int position, const std::string& aimCode);

// "The file "name"could not be opened. It may be <middle> programmer should
// incorporate more time." with the middle piece of the operation.
std::string CannotOpenMessage(const std::string& fileName, const std::string& middle);

inline constexpr const char* kProgramErrorText = "A program error occurred.";

}  // namespace pelorin
