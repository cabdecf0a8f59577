#include "CaseLayout.h"

namespace pelorin {
namespace {

using enum Quantity;

// Every position is written with 3 decimals except the first (R with 4, Dm of
// the discharge file with 3) and the vertical permeabilities (4).
constexpr std::array<int, kFilePositions> kDecimalsWithR = {4, 3, 3, 3, 3, 3, 3, 3, 3, 4, 3, 4, 3};
constexpr std::array<int, kFilePositions> kDecimalsWithDm = {3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 3, 4, 3};

constexpr SheetRow Row(Quantity q) { return {SheetRow::Shows::Quantity, q}; }
constexpr SheetRow kNoRow{SheetRow::Shows::Nothing, R};
constexpr SheetRow kFootnoteRow{SheetRow::Shows::Footnote, R};

const AimLayout kSpacing{{R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm},
                         kDecimalsWithR,
                         {R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm},
                         {Row(R), Row(D1), Row(D2), Row(Dw), Row(Db), Row(E), Row(W), Row(Ka),
                          Row(Kb1), Row(Kv1), Row(Kb2), Row(Kv2), Row(Dm)},
                         true};
const AimLayout kDischarge{{Dm, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S},
                           kDecimalsWithDm,
                           {Dm, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S},
                           {Row(Dm), Row(D1), Row(D2), Row(Dw), Row(Db), Row(E), Row(W), Row(Ka),
                            Row(Kb1), Row(Kv1), Row(Kb2), Row(Kv2), Row(S)},
                           true};
const AimLayout kWaterTableDepth{{R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S},
                                 kDecimalsWithR,
                                 {R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S},
                                 {Row(R), Row(D1), Row(D2), Row(Dw), Row(Db), Row(E), Row(W),
                                  Row(Ka), Row(Kb1), Row(Kv1), Row(Kb2), Row(Kv2), Row(S)},
                                 false};
// Conductivity: the file has 8 numbers (then zeros); the report echoes D1 as
// well; the sheet hides the rows of D1 and of the permeabilities and keeps
// the footnote as a caption in row 12.
const AimLayout kConductivity{{R, D2, Dw, Db, E, W, Dm, S, std::nullopt, std::nullopt, std::nullopt,
                               std::nullopt, std::nullopt},
                              kDecimalsWithR,
                              {R, D1, D2, Dw, Db, E, W, Dm, S},
                              {kNoRow, kNoRow, Row(R), Row(D2), Row(Dw), Row(Db), Row(E), Row(W),
                               Row(Dm), Row(S), kNoRow, kFootnoteRow, kNoRow},
                              false};

constexpr std::array<QuantityTexts, kQuantityCount> kTexts = {{
    {"R", "m/day", "Time average recharge or discharge         R    (m/day) :",
     " Time average recharge or discharge         R    (m/day) :  ", 4},
    {"D1", "m", "Bottom depth of 1st layer below s.s.       D1       (m) :",
     " Bottom depth of 1st layer below s.s.       D1       (m) :  ", 2},
    {"D2", "m", "Bottom depth of 2nd layer below s.s.       D2       (m) :",
     " Bottom depth of 2nd layer below s.s.       D2       (m) :  ", 2},
    {"Dw", "m", "Depth water level in drain below s.s.      Dw       (m) :",
     " Depth waterlevel in drain below s.s.       Dw       (m) :  ", 2},
    {"Db", "m", "Depth of the drain bottom below s.s.       Db       (m) :",
     " Depth of drain bottom below s.s.           Db       (m) :  ", 2},
    {"E", "day/m", "Entrance resistance at the drain           E    (day/m) :",
     " Entrance resistance at the drain           E    (day/m) :  ", 3},
    {"W", "m", "Max. width of water body in the drain      W        (m) :",
     " Max. width of water body in the drain      W        (m) :  ", 3},
    {"Ka", "m/day", "Hydraulic permeability, above drain level  Ka   (m/day) :",
     " Hydraulic permeability, above drain level  Ka   (m/day) :  ", 3},
    {"Kb1", "m/day", "Horizontal permeability, 1st soil layer    Kb1  (m/day) :",
     " Horizontal permeability, 1st soil layer    Kb1  (m/day) :  ", 3},
    {"Kv1", "m/day", "Vertical permeability, 1st soil layer      Kv1  (m/day) :",
     " Vertical permeability, 1st soil layer      Kv1  (m/day) :  ", 4},
    {"Kb2", "m/day", "Horizontal permeability, 2nd soil layer    Kb2  (m/day) :",
     " Horizontal permeability, 2nd soil layer    Kb2  (m/day) :  ", 3},
    {"Kv2", "m/day", "Vertical permeability, 2nd soil layer      Kv2  (m/day) :",
     " Vertical permeability, 2nd soil layer      Kv2  (m/day) :  ", 4},
    {"Dm", "m", "Depth watertable midway between drains *)  Dm       (m) :",
     " Depth watertable midway between drains     Dm       (m) :  ", 2},
    {"S", "m", "Spacing between the parallel drains        S        (m) :",
     " Spacing betweeen the drains                S        (m) :  ", 2},
}};

}  // namespace

const QuantityTexts& TextsOf(Quantity q) { return kTexts[static_cast<std::size_t>(q)]; }

EchoFormat EchoFormatOf(Quantity q) { return {TextsOf(q).echoLabel, TextsOf(q).echoDecimals}; }

namespace {

// The field of a quantity, for a case that may or may not be const.
template <class Case>
auto& FieldOf(Case& c, Quantity q) {
    switch (q) {
        case R: return c.R;
        case D1: return c.D1;
        case D2: return c.D2;
        case Dw: return c.Dw;
        case Db: return c.Db;
        case E: return c.E;
        case W: return c.W;
        case Ka: return c.Ka;
        case Kb1: return c.Kb1;
        case Kv1: return c.Kv1;
        case Kb2: return c.Kb2;
        case Kv2: return c.Kv2;
        case Dm: return c.Dm;
        case S: return c.S;
    }
    return c.S;
}

}  // namespace

double& ValueOf(DrainageCase& c, Quantity q) { return FieldOf(c, q); }

double ValueOf(const DrainageCase& c, Quantity q) { return FieldOf(c, q); }

const AimLayout& LayoutOf(CalcAim aim) {
    switch (aim) {
        case CalcAim::Spacing: return kSpacing;
        case CalcAim::Discharge: return kDischarge;
        case CalcAim::WaterTableDepth: return kWaterTableDepth;
        case CalcAim::Conductivity: return kConductivity;
    }
    return kSpacing;
}

int PositionOf(CalcAim aim, Quantity q) {
    const AimLayout& layout = LayoutOf(aim);
    for (int k = 0; k < kFilePositions; ++k)
        if (layout.file[static_cast<std::size_t>(k)] == q) return k + 1;
    return 0;
}

}  // namespace pelorin
