#include "CaseLayout.h"

namespace pelorin {
namespace {

using enum Quantity;

// Every position is written with 3 decimals except the first (R with 4, Dm of
// the discharge file with 3) and the vertical permeabilities (4).
constexpr std::array<int, kFilePositions> kDecimalsWithR = {4, 3, 3, 3, 3, 3, 3, 3, 3, 4, 3, 4, 3};
constexpr std::array<int, kFilePositions> kDecimalsWithDm = {3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 3, 4, 3};

const AimLayout kSpacing{{R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm},
                         kDecimalsWithR,
                         {R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, Dm}};
const AimLayout kDischarge{{Dm, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S},
                           kDecimalsWithDm,
                           {Dm, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S}};
const AimLayout kWaterTableDepth{{R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S},
                                 kDecimalsWithR,
                                 {R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, S}};
const AimLayout kConductivity{{R, D2, Dw, Db, E, W, Dm, S, std::nullopt, std::nullopt, std::nullopt,
                               std::nullopt, std::nullopt},
                              kDecimalsWithR,
                              {R, D1, D2, Dw, Db, E, W, Dm, S}};

}  // namespace

EchoFormat EchoFormatOf(Quantity q) {
    switch (q) {
        case R: return {" Time average recharge or discharge         R    (m/day) :  ", 4};
        case D1: return {" Bottom depth of 1st layer below s.s.       D1       (m) :  ", 2};
        case D2: return {" Bottom depth of 2nd layer below s.s.       D2       (m) :  ", 2};
        case Dw: return {" Depth waterlevel in drain below s.s.       Dw       (m) :  ", 2};
        case Db: return {" Depth of drain bottom below s.s.           Db       (m) :  ", 2};
        case E: return {" Entrance resistance at the drain           E    (day/m) :  ", 3};
        case W: return {" Max. width of water body in the drain      W        (m) :  ", 3};
        case Ka: return {" Hydraulic permeability, above drain level  Ka   (m/day) :  ", 3};
        case Kb1: return {" Horizontal permeability, 1st soil layer    Kb1  (m/day) :  ", 3};
        case Kv1: return {" Vertical permeability, 1st soil layer      Kv1  (m/day) :  ", 4};
        case Kb2: return {" Horizontal permeability, 2nd soil layer    Kb2  (m/day) :  ", 3};
        case Kv2: return {" Vertical permeability, 2nd soil layer      Kv2  (m/day) :  ", 4};
        case Dm: return {" Depth watertable midway between drains     Dm       (m) :  ", 2};
        case S: return {" Spacing betweeen the drains                S        (m) :  ", 2};
    }
    return {"", 2};
}

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
