#pragma once

// How a report is named after its input file.

#include <string>

namespace pelorin {

// The path with the extension of its file-name part (from its last '.')
// replaced by `extension`, or with `extension` appended when there is none.
std::string WithExtension(const std::string& path, const std::string& extension);

// The report name of an input file: its extension replaced by ".out".
inline std::string ReportNameFor(const std::string& inputFileName) {
    return WithExtension(inputFileName, ".out");
}

}  // namespace pelorin
