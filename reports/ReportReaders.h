#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "InputFile.h"

namespace pelorin {

// Every line of a text file, for display.
struct ReportLinesResult {
    FileStatus Status = FileStatus::Ok;
    std::string Message;  // what to show when Status is not Ok
    std::vector<std::string> Lines;
};

ReportLinesResult ReadReportLines(const std::string& fileName);

// The titles, the method tag and the profile table of a report, for the graph.
struct ReportProfileResult {
    FileStatus Status = FileStatus::Ok;
    std::string Message;
    bool TitlesRead = false;  // the titles and the tag were reached
    std::string Title1;       // runs of blanks collapsed to one
    std::string Title2;
    std::string MethodTag;  // " Dar", " Ene" or " Hyd": the start of line 17
    std::vector<double> X;
    std::vector<double> HeadDarcy;   // F*
    std::vector<double> HeadEnergy;  // F
};

// A report lacking the line " Output data:" or the line " #" after it gives no
// rows and says so (Status Corrupt); a row that does not begin with four
// numbers ends the reading with the run-time text (Status Fault), keeping the
// rows read before it.
ReportProfileResult ReadReportProfile(const std::string& fileName);
// The same reading of a report already in memory; the name is the one the
// messages give it.
ReportProfileResult ParseReportProfile(std::string_view bytes, const std::string& fileName);

// Every run of blanks in the text becomes a single blank.
std::string CollapseBlanks(std::string text);

}  // namespace pelorin
