#pragma once

#include <string>
#include <vector>

#include "InputFile.h"
#include "ReportReaders.h"

namespace pelorin {

// The desktop's session: the case being edited, the current file name, and
// what was last read back from a report. It holds file state only; showing
// messages is the caller's business, so every operation returns what it has to
// say (an empty text when all went well).
class DesktopSession {
  public:
    InputCase Input;
    std::string CurrentFileName;

    // The error list of the latest refused case, and where its file is.
    std::vector<std::string> ErrorLines;
    std::string ErrorListFile;

    // Lines of the last file read for display.
    std::vector<std::string> ReportLines;
    int ReportLineCount = 0;

    // Tag and profile of the last report read for the graph; the titles go to
    // Input.Title1 and Input.Title2.
    std::string ReportMethodTag;
    std::vector<double> ProfileX;
    std::vector<double> ProfileHeadDarcy;
    std::vector<double> ProfileHeadEnergy;
    int ProfileRowCount = 0;

    // Reads CurrentFileName into Input. On any failure Input stays as it was.
    InputReadResult ReadInputFile();
    // Writes Input to the named file.
    FileWriteResult WriteInputFile(const std::string& fileName) const;

    // Reads every line of the file; a file that cannot be opened changes nothing.
    std::string ReadReportLines(const std::string& fileName);
    // Reads titles, tag and profile. With no rows the arrays keep their old
    // contents and ProfileRowCount becomes 0; after a fault part-way the rows
    // read so far are kept and counted.
    std::string ReadReportProfile(const std::string& fileName);
};

}  // namespace pelorin
