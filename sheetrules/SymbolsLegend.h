#pragma once

// The legend of the symbols a report's profile table uses, line by line, as
// the Output sheet shows it under its Symbols button; the page prints the same
// lines, copied into its script from here. The odd spacing lines the texts up
// in the sheet's proportional font.

#include <array>

namespace pelorin {

inline constexpr std::array<const char*, 27> kSymbolsLegend = {
    "Output symbols         ",
    " ",
    "X       = distance from drain (m)",
    "p       = small increment of X (m)",
    "F*      = hydraulic head (m, Darcy)",
    "G*/p  = gradient of F* (m/m)",
    "F       = hydraulic head (m, energy",
    "            balance)",
    "G/p   = gradient of F (m/m)",
    "T1     = energy loss/p  (m/m)",
    "T2     = correction for",
    "            energy input/p (m/m)",
    "",
    "Note: G/p=T1+T2",
    "",
    "Results: the energy head",
    "and depth of an energy",
    "spacing or discharge and",
    "of the W.T. depth come",
    "from the search; of a",
    "Darcy spacing the energy",
    "depth comes from its",
    "energy balance. All other",
    "heads and depths are the",
    "last row of the table,",
    "computed with p=0.00001 m,",
    "so they may differ by mm.",
};

}  // namespace pelorin
