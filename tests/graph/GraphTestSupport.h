#pragma once

// Profiles and report files for the graph tests.

#include <cstdio>
#include <string>
#include <vector>

#include "GraphScales.h"

namespace pelorin::graph::test {

struct ProfileRow {
    double X;
    double HeadDarcy;
    double HeadEnergy;
};

inline GraphProfile MakeProfile(const std::vector<ProfileRow>& rows) {
    GraphProfile profile;
    for (const ProfileRow& row : rows) {
        profile.X.push_back(row.X);
        profile.HeadDarcy.push_back(row.HeadDarcy);
        profile.HeadEnergy.push_back(row.HeadEnergy);
    }
    return profile;
}

// A half spacing of 20 m in 13 rows from the drain to midway, with the largest
// Darcy head 0.8 m and energy-balance heads a little lower.
inline std::vector<ProfileRow> HalfSpacing20Rows() {
    const std::vector<double> x{0.00002, 0.25, 0.5, 1, 2, 4, 6, 8, 10, 12, 14, 17, 20};
    std::vector<ProfileRow> rows;
    for (double distance : x) {
        const double shape = distance * (40 - distance) / 400;  // 0 at the drain, 1 midway
        rows.push_back({distance, 0.0001 + 0.7999 * shape, 0.0001 + 0.6 * shape});
    }
    return rows;
}

inline std::vector<ProfileRow> FourRows() {
    return {{0.1, 0.0001, 0.0001}, {1.0, 0.35, 0.30}, {2.0, 0.55, 0.45}, {3.0, 0.60, 0.50}};
}

inline std::vector<ProfileRow> TwoRows() { return {{0.1, 0.0001, 0.0001}, {0.5, 0.2, 0.15}}; }

// A report as the engines write it: ten header lines, the two titles with two
// leading blanks, file names, the line that names the module, an echo, and the
// profile table between " Output data:" and " #". CR LF line ends.
inline std::string ReportText(const std::string& module, const std::vector<ProfileRow>& rows,
                              const std::string& title1 = "Graph  test   case",
                              const std::string& title2 = "Second   title") {
    std::vector<std::string> lines{
        "",
        " Pelorin",
        " Program " + module + " calculates the case.",
        " header line 4",
        " header line 5",
        " header line 6",
        " header line 7",
        " header line 8",
        " header line 9",
        "",
        "  " + title1,
        "  " + title2,
        "",
        " Name of input file used:  case.inp",
        " Name of this output file: case.out",
        "",
        " " + module + " input data: ",
        "",
        " Watertable heights (see also the Symbols button):",
        "   X       F*        G*/p      F         G/p       T1        T2",
        " Output data:"};
    for (const ProfileRow& row : rows) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "%10.5f%10.4f    0.0100%10.4f    0.0100    0.0100    0.0000", row.X,
                      row.HeadDarcy, row.HeadEnergy);
        lines.emplace_back(line);
    }
    lines.emplace_back(" #");
    lines.emplace_back(" The drain spacing (Darcy,  m) is:    40.00");
    lines.emplace_back(" #");
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace pelorin::graph::test
