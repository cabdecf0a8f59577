#include "TDMPelorin.h"

namespace pelorin {

InputReadResult TDMPelorin::ReadInputFile() {
    InputReadResult result = pelorin::ReadInputFile(CurrentFileName);
    if (result.Status == FileStatus::Ok) Input = result.Case;
    return result;
}

FileWriteResult TDMPelorin::WriteInputFile(const std::string& fileName) const {
    return pelorin::WriteInputFile(fileName, Input);
}

}  // namespace pelorin
