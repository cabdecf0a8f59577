#pragma once

// The numbers of a sweep's chart: the sought quantity against the first varied
// quantity, one line per method and per value of the second. Plain C++, so that
// any drawing (the chart files of pelorin-cli, a window's chart) can use it.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "StudyCase.h"
#include "Sweep.h"

namespace pelorin::study {

struct ChartLine {
    std::string Label;                              // "Energy balance, Dm = 0.7"
    std::vector<std::pair<double, double>> Points;  // (first varied quantity, result)
};

struct SweepChart {
    std::string Title;   // the base case's first title
    std::string XLabel;  // "R (m/day)", "R (in/day)"
    std::string YLabel;  // "Drain spacing (m)", "Drain spacing (ft)"
    std::vector<ChartLine> Lines;
    // Where a result belongs: rows come method by method, then value by value
    // of the second quantity, the first varying fastest.
    Quantity XQuantity = Quantity::R;
    std::size_t PointsPerLine = 1;
};

// The empty lines of a planned sweep, labelled in the units of its rows.
SweepChart ChartFor(const InputCase& base, const SweepPlan& plan,
                    const std::vector<Variation>& variations, bool bothMethods,
                    UnitSystem units = UnitSystem::SI);

enum class ChartFormat { Png, Svg, Pdf };

// The format a chart file's name asks for by its ending (.png, .svg or .pdf,
// in any case); nothing for any other name.
std::optional<ChartFormat> ChartFormatOf(const std::string& fileName);

// Adds a case's point to its line: the value its input file held and the
// result its report printed. A case without a result adds nothing.
void AddToChart(SweepChart& chart, const CaseResult& result);

}  // namespace pelorin::study
