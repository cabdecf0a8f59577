#pragma once

// The one description of the 13 numbers of a case: the texts of each quantity
// (symbol, unit, the Input sheet's caption, the report's echo line), which
// quantity stands at each position of an aim's input file and with how many
// decimals it is written there, which quantities the aim's report echoes and in
// what order, and what each row of the Input sheet shows under the aim. The
// input checks, the report echo, the input-file writer and the Input sheet all
// read it from here.

#include <array>
#include <optional>
#include <vector>

#include "DrainageCase.h"

namespace pelorin {

enum class Quantity { R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm, S };
inline constexpr int kQuantityCount = 14;
inline constexpr int kFilePositions = 13;

// The texts of a quantity. The sheet's caption and the report's echo label
// say the same thing in slightly different words ("Depth water level" on the
// sheet, "Depth waterlevel" in the report); both stay as users know them.
struct QuantityTexts {
    const char* symbol;      // "Kb1"
    const char* unit;        // "m/day"
    const char* sheetLabel;  // the Input sheet's row caption (57 characters)
    const char* echoLabel;   // the report's echo line up to the value
    int echoDecimals;        // the echoed value's decimals (in width 10)
};
const QuantityTexts& TextsOf(Quantity q);

// How a quantity is echoed in a report: its line up to the value, and the
// value's decimals (in width 10).
struct EchoFormat {
    const char* label;
    int decimals;
};
EchoFormat EchoFormatOf(Quantity q);

// The caption of the Input sheet's row that is no quantity: under the
// conductivity aim it stands where the field of row 12 is hidden.
inline constexpr const char* kFootnoteCaption = "*) Time average";

// What a row of the Input sheet shows under an aim: a quantity (caption and
// field), the footnote caption alone, or nothing.
struct SheetRow {
    enum class Shows { Quantity, Footnote, Nothing };
    Shows shows;
    Quantity quantity;  // for Shows::Quantity
};

// The field of the case that holds a quantity.
double& ValueOf(DrainageCase& c, Quantity q);
double ValueOf(const DrainageCase& c, Quantity q);

struct AimLayout {
    // The quantity at each position of the input file; none where the aim
    // has no number (the conductivity file ends in zeros).
    std::array<std::optional<Quantity>, kFilePositions> file;
    // The decimals each position is written with.
    std::array<int, kFilePositions> fileDecimals;
    // The quantities the report echoes, in order. Conductivity echoes D1,
    // which its input check sets to D2, although its file has no D1.
    std::vector<Quantity> echo;
    // The 13 rows of the Input sheet, top down. They follow the file except
    // under conductivity, whose rows start at row 3.
    std::array<SheetRow, kFilePositions> sheet;
    // The footnote "*) Time average" below the rows (for the time-average Dm).
    bool footnoteShown;
};
const AimLayout& LayoutOf(CalcAim aim);

// Position (1-based) of a quantity in an aim's input file; 0 when the file has
// no such number.
int PositionOf(CalcAim aim, Quantity q);

}  // namespace pelorin
