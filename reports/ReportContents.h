#pragma once

// A report taken apart for a document: its titles, what it says the program
// calculates, the input table, the profile table and the result lines, each
// as the text the report gives (nothing is recomputed or reformatted).

#include <string>
#include <vector>

#include "InputFile.h"

namespace pelorin {

// One echoed input: " Time average recharge ...  R    (m/day) :      0.0070".
struct ReportInputRow {
    std::string Quantity;  // "Time average recharge or discharge"
    std::string Symbol;    // "R"
    std::string Unit;      // "m/day"
    std::string Value;     // "0.0070"
};

// A line "label is: value" (or "label: value") of the report.
struct ReportLabelledValue {
    std::string Label;  // blanks collapsed: "Midway hydr. head (Darcy, m) is:"
    std::string Value;
};

struct ReportContents {
    FileStatus Status = FileStatus::Ok;
    std::string Message;  // what to show when Status is not Ok

    std::vector<std::string> About;  // the header lines before the titles, trimmed
    std::string Title1;
    std::string Title2;
    std::vector<ReportLabelledValue> FileNames;  // input file used, this output file
    std::string Module;                          // "EneSpac": the program that wrote it
    std::vector<ReportInputRow> Inputs;
    std::vector<std::string> ProfileColumns;  // "X", "F*", "G*/p", ...
    std::vector<std::vector<std::string>> ProfileRows;
    // The sought quantity, then the midway heads and depths: groups as the
    // report separates them.
    std::vector<std::vector<ReportLabelledValue>> ResultGroups;
};

// The parts of the report's lines; a text that lacks the input table, the
// profile table or the results is Corrupt and says what is missing.
ReportContents ParseReportContents(const std::vector<std::string>& lines,
                                   const std::string& fileName);

// Reads the report and takes it apart.
ReportContents ReadReportContents(const std::string& fileName);

}  // namespace pelorin
