#pragma once

// The lines of a report that its readers find their way by: written by the
// engines (ReportFrame, ResultBlock) and looked for by the report reader
// (reports/). One text each, so that the writer and the readers cannot drift
// apart.

#include <string_view>

namespace pelorin {

// The header lines before the two titles (lines 1 to 10).
inline constexpr int kReportHeaderLines = 10;
// Between the second title and the input-data heading: an empty line, the
// two file names, an empty line.
inline constexpr int kLinesBeforeInputHeading = 4;
// The input-data heading begins with a blank and the module's name; its first
// characters (" Dar", " Ene", " Hyd") tell the graph the method.
inline constexpr int kMethodTagLength = 4;

// The two file-name lines, and what both begin with.
inline constexpr std::string_view kInputFileLabel = " Name of input file used:  ";
inline constexpr std::string_view kOutputFileLabel = " Name of this output file: ";
inline constexpr std::string_view kFileNameLineLead = " Name of";
// What follows the module's name on the input-data heading.
inline constexpr std::string_view kInputHeadingEnd = " input data: ";

// The line before the rows of the water-table profile.
inline constexpr std::string_view kProfileStart = " Output data:";
// The line that ends the profile rows and closes the result block.
inline constexpr std::string_view kSectionEnd = " #";

}  // namespace pelorin
