#pragma once

// The 13 value rows of the Input sheet as texts: what each row means under
// each aim, and the per-quantity memory that carries values opened from a file
// to wherever a quantity shows up under another aim. No widgets here; the
// Input sheet copies these texts to and from its fields.

#include <array>
#include <string>
#include <vector>

#include "CaseLayout.h"
#include "DrainageCase.h"
#include "Units.h"

namespace pelorin {

inline constexpr int kRowCount = 13;

// The items of the aim box, in the order of CalcAim, and of the method box, in
// the order of CalcMethod.
inline constexpr std::array<const char*, 4> kAimChoices = {
    "The drain spacing is to be calculated", "The drain discharge is to be calculated",
    "Calculate the depth of the water table", "Calculate the hydraulic conductivity"};
inline constexpr std::array<const char*, 2> kMethodChoices = {"Use the new energy balance method",
                                                              "Use the classical Darcy method"};

// The memory holds one text per Quantity (CaseLayout.h), in its order.

// Whether the method box chooses between two engines for the aim: the depth
// of the water table has one engine for both methods.
inline constexpr bool MethodChoiceMatters(CalcAim aim) { return aim != CalcAim::WaterTableDepth; }

// The row caption of a quantity (57 characters).
const char* RowCaption(Quantity q);
// The same caption naming the unit of `units` ("R   (in/day) :"), as wide.
std::string RowCaption(Quantity q, UnitSystem units);

// Captions and visibility of the rows under an aim (rows 0-based here), as the
// case layout gives them.
struct RowLayout {
    std::array<std::string, kRowCount> Captions;
    std::array<bool, kRowCount> CaptionVisible{};
    std::array<bool, kRowCount> FieldVisible{};
    bool FootnoteVisible = true;
};
RowLayout LayoutRows(CalcAim aim, UnitSystem units = UnitSystem::SI);

// The row texts, the memory and the two aims of the sheet.
struct InputRows {
    std::array<std::string, kRowCount> Rows;
    std::array<std::string, kQuantityCount> Memory;
    CalcAim CurrentAim = CalcAim::Spacing;
    CalcAim PreviousAim = CalcAim::Spacing;

    InputRows();  // all rows and memories "0", spacing

    std::string& Row(int oneBased) { return Rows[static_cast<std::size_t>(oneBased - 1)]; }
    std::string& M(Quantity q) { return Memory[static_cast<std::size_t>(q)]; }
    // The memory text, "0" when it is empty.
    std::string MOrZero(Quantity q) const;
};

// Moves the rows from the layout of PreviousAim to that of CurrentAim.
void FillRowsForAim(InputRows& rows);
// Rows 2 to 12 (and 1 and 13 for the first three aims) from the memory.
void RestoreStandardRows(InputRows& rows);
// After a file has been loaded into the rows in file order: fills the memory
// and, for conductivity, moves the rows into their layout.
void RememberFieldTexts(InputRows& rows);

// The 13 numbers of a case from the row texts, in the order of the aim.
// Throws ConversionError for a text that is no number.
std::vector<double> ValuesFromRows(CalcAim aim, const std::array<std::string, kRowCount>& rows,
                                   char systemSeparator);
// The same rows typed in `units`: each number becomes the one the input file
// holds for it (its SI value rounded to the file's decimals).
std::vector<double> ValuesFromRows(CalcAim aim, const std::array<std::string, kRowCount>& rows,
                                   char systemSeparator, UnitSystem units);

// The text a field of the aim shows for a number its input file holds, in
// `units`, with the decimals that give that number again.
std::string StoredFieldText(double storedSi, Quantity q, UnitSystem units, CalcAim aim,
                            char systemSeparator);

}  // namespace pelorin
