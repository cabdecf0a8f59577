#pragma once

// A design table from one input file: the cases of every combination of the
// varied quantities' values.

#include <optional>
#include <string>
#include <vector>

#include "CaseTable.h"
#include "InputFile.h"

namespace pelorin::study {

struct Variation {
    Quantity quantity = Quantity::R;
    std::vector<double> values;
};

// Reads "Q=FROM:TO:STEP" or "Q=V1,V2,...". A range runs FROM, FROM + STEP,
// FROM + 2·STEP, ... (each computed from FROM, not summed) as long as it does
// not pass TO by more than a millionth of STEP; a last value within that
// tolerance of TO is TO itself, so 0.001:0.01:0.001 ends at exactly 0.01.
// STEP must not be 0 and must lead from FROM towards TO. Sets `problem` and
// returns nothing when the text is not such a variation.
std::optional<Variation> ParseVariation(const std::string& text, std::string& problem);

inline constexpr std::size_t kMostSweepCases = 1000000;

struct SweepPlan {
    std::string Problem;        // empty when the cases could be made
    std::vector<CaseRow> Rows;  // in the order: method, value of the second, value of the first
};

// The cases of the sweep: the base case with the varied quantities replaced,
// once per method (the water-table depth has one engine, so one method), named
// `stem`-1, `stem`-2, ... A varied quantity must be one the aim uses. With US
// units the varied values are in US units, and the rows show the base case's
// numbers in US units too (with the decimals that give the file's numbers
// again), so that every number of a row is typed in the same units.
SweepPlan PlanSweep(const InputCase& base, const std::string& stem,
                    const std::vector<Variation>& variations, bool bothMethods,
                    UnitSystem units = UnitSystem::SI);

}  // namespace pelorin::study
