#include "RunError.h"

#include <cerrno>

namespace pelorin {

std::string FaultText(Fault fault, int systemError) {
    switch (fault) {
        case Fault::DivisionByZero: return "Floating point division by zero";
        case Fault::InvalidOperation: return "Invalid floating point operation";
        case Fault::Overflow: return "Floating point overflow";
        case Fault::RangeCheck: return "Range check error";
        case Fault::IntegerOverflow: return "Integer overflow";
        case Fault::FileNotFound: return "File not found";
        case Fault::InvalidFilename: return "Invalid filename";
        case Fault::TooManyOpenFiles: return "Too many open files";
        case Fault::FileAccessDenied: return "File access denied";
        case Fault::ReadBeyondEnd: return "Read beyond end of file";
        case Fault::DiskFull: return "Disk full";
        case Fault::InvalidNumericInput:
        case Fault::NumberTooLong: return "Invalid numeric input";
        case Fault::LineTooLong: return "A line is longer than 16 MiB";
        case Fault::IoError: return "I/O error " + std::to_string(systemError);
        case Fault::SearchFailed: return "The search found no answer";
        case Fault::Cancelled: return "The run was cancelled";
    }
    return "I/O error " + std::to_string(systemError);
}

RunError::RunError(Fault fault, int systemError)
    : std::runtime_error(FaultText(fault, systemError)), kind_(fault) {}

RunError::RunError(Fault fault, const std::string& message)
    : std::runtime_error(message), kind_(fault) {}

RunError FileFault(int systemError) {
    switch (systemError) {
        case ENOENT:
        case ENOTDIR: return RunError(Fault::FileNotFound);
        case ENAMETOOLONG:
        case EINVAL:
        case EISDIR: return RunError(Fault::InvalidFilename);
        case EMFILE:
        case ENFILE: return RunError(Fault::TooManyOpenFiles);
        case EACCES:
        case EPERM:
        case EROFS:
        case EEXIST: return RunError(Fault::FileAccessDenied);
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return RunError(Fault::DiskFull);
        default: return RunError(Fault::IoError, systemError);
    }
}

}  // namespace pelorin
