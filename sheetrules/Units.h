#pragma once

// The units a user sees the numbers of a case in. Input files, reports and
// error lists always hold metres and days; a user who thinks in feet and inches
// per day types and reads US customary units, converted here at the edge, once.
// Conversions are exact to the definitions of the foot (0.3048 m) and the inch
// (0.0254 m); a value typed in US units is stored as the SI number the input
// file can hold (its decimals), and shown back with enough decimals that the
// same file number comes out again.

#include <optional>
#include <string>
#include <string_view>

#include "CaseLayout.h"
#include "DrainageCase.h"

namespace pelorin {

enum class UnitSystem { SI, US };

// "si" or "us" (any case); nothing for another word.
std::optional<UnitSystem> UnitSystemFromName(std::string_view name);
const char* UnitSystemName(UnitSystem units);  // "si", "us"

// What a number measures, which decides its unit.
enum class Dimension {
    Length,                // m | ft
    Recharge,              // m/day | in/day
    Conductivity,          // m/day | ft/day
    VerticalConductivity,  // m/day | ft/day (stored with 4 decimals, shown with 4)
    Resistance,            // day/m | day/ft
};
Dimension DimensionOf(Quantity q);
// What the result an aim seeks measures: a spacing or a depth, a discharge, a
// conductivity.
Dimension SoughtDimension(CalcAim aim);

// "m", "ft", "m/day", "in/day", "ft/day", "day/m", "day/ft".
const char* UnitName(Dimension d, UnitSystem units);
inline const char* UnitName(Quantity q, UnitSystem units) {
    return UnitName(DimensionOf(q), units);
}

// A value in the user's units as metres and days, and back. SI is unchanged.
double ToSi(double shown, Dimension d, UnitSystem units);
double FromSi(double si, Dimension d, UnitSystem units);

// The decimals an aim's input file writes a quantity with (3 where the file
// has no place for it).
int FileDecimals(CalcAim aim, Quantity q);

// The number the input file holds for a value typed in the user's units: the
// SI value rounded to the file's decimals as the file writer rounds it, and
// read back as the file reader reads it.
double StoredSiValue(double shown, Quantity q, UnitSystem units, int fileDecimals);

// The fewest decimals, from the least the unit is shown with (ft 3, in/day 3,
// ft/day 3, vertical ft/day 4, day/ft 4; the file's own decimals in SI), with
// which the shown value converts back to the same stored number.
int ShownDecimals(double storedSi, Quantity q, UnitSystem units, int fileDecimals);

// The stored number in the user's units with those decimals ('.' separator).
std::string ShowStoredValue(double storedSi, Quantity q, UnitSystem units, int fileDecimals);

// A result of a run (a spacing, a depth, a head, a discharge, a conductivity)
// in the user's units. siDecimals are the report's; US values get as many,
// except in/day (one fewer, at least 2: an inch is 40 times a metre's
// thousandth) and day/ft (one more).
int ResultDecimals(Dimension d, UnitSystem units, int siDecimals);
std::string ShowResult(double si, Dimension d, UnitSystem units, int siDecimals);

}  // namespace pelorin
