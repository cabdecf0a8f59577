#pragma once

#include <stdexcept>
#include <string>

namespace pelorin {

// Why a run stopped before its normal end. The arithmetic and file faults carry
// the run-time texts that the user sees; a search or a cancel carries its own.
enum class Fault {
    DivisionByZero,
    InvalidOperation,
    Overflow,
    RangeCheck,
    IntegerOverflow,
    FileNotFound,
    InvalidFilename,
    TooManyOpenFiles,
    FileAccessDenied,
    ReadBeyondEnd,
    DiskFull,
    InvalidNumericInput,
    NumberTooLong,  // more than 64 characters: read as "Invalid numeric input"
    LineTooLong,    // a line beyond the bound of the text reader: a corrupt file
    IoError,
    SearchFailed,
    Cancelled,
};

// The fixed run-time text of a fault (IoError uses the system error number).
std::string FaultText(Fault fault, int systemError = 0);

class RunError : public std::runtime_error {
  public:
    explicit RunError(Fault fault, int systemError = 0);
    RunError(Fault fault, const std::string& message);

    Fault Kind() const noexcept { return kind_; }

  private:
    Fault kind_;
};

// The file fault that a failed system call with this errno stands for.
RunError FileFault(int systemError);

}  // namespace pelorin
