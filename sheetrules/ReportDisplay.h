#pragma once

// How a report is shown: single-byte text, but for the lines that name the
// input file and the report, which hold the names as the system gave them
// (UTF-8 on this system) and are shown so when they are. The Output sheet and
// the page read these numbers from here.

namespace pelorin {

// The report lines that name the input file and the report file (1-based).
inline constexpr int kFirstFileNameLine = 14;
inline constexpr int kLastFileNameLine = 15;

}  // namespace pelorin
