#pragma once

// The one description of the 13 numbers of a case: which quantity stands at
// each position of an aim's input file and with how many decimals it is
// written there, which quantities the aim's report echoes and in what order,
// and the label and decimals of each echo line. The input checks, the report
// echo, the input-file writer and the Input sheet all read it from here.

#include <array>
#include <optional>
#include <vector>

#include "DrainageCase.h"

namespace pelorin {

enum class Quantity { R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm, S };
inline constexpr int kQuantityCount = 14;
inline constexpr int kFilePositions = 13;

// How a quantity is echoed in a report: its line up to the value, and the
// value's decimals (in width 10).
struct EchoFormat {
    const char* label;
    int decimals;
};
EchoFormat EchoFormatOf(Quantity q);

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
};
const AimLayout& LayoutOf(CalcAim aim);

// Position (1-based) of a quantity in an aim's input file; 0 when the file has
// no such number.
int PositionOf(CalcAim aim, Quantity q);

}  // namespace pelorin
