#pragma once

#include <string>
#include <vector>

#include "InputFile.h"

namespace pelorin {

// The data module: the case being edited, the current file name, and what was
// last read back from a report. It holds file state only; showing messages is
// the caller's business, so every operation returns what it has to say.
class TDMPelorin {
public:
    InputCase Input;
    std::string CurrentFileName;

    // Reads CurrentFileName into Input. On any failure Input stays as it was.
    InputReadResult ReadInputFile();
    // Writes Input to the named file.
    FileWriteResult WriteInputFile(const std::string& fileName) const;
};

}  // namespace pelorin
