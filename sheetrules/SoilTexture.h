#pragma once

// Typical saturated hydraulic conductivities of the USDA soil-texture classes,
// for the first sketch of a design when no measurement exists yet. The table
// is assets/soil-texture-k.csv (the averages of a published analysis of 1845
// soils, whose citation is kTextureSource); a test reads that file and holds
// this copy to it.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "Units.h"

namespace pelorin {

struct TextureClass {
    const char* name;     // "silt loam"
    double ftPerDay;      // as the source tabulates it
    double metresPerDay;  // ft/day x 0.3048, to 4 decimals
};

inline constexpr std::array<TextureClass, 11> kTextureClasses = {{
    {"sand", 49.9, 15.2095},
    {"loamy sand", 44.2, 13.4722},
    {"sandy loam", 9.84, 2.9992},
    {"silt loam", 2.04, 0.6218},
    {"loam", 1.97, 0.6005},
    {"sandy clay loam", 1.79, 0.5456},
    {"clay loam", 0.694, 0.2115},
    {"silty clay loam", 0.482, 0.1469},
    {"sandy clay", 0.615, 0.1875},
    {"silty clay", 0.292, 0.0890},
    {"clay", 0.363, 0.1106},
}};

inline constexpr const char* kTextureSource =
    "Clapp, R.B. and G.M. Hornberger (1978). Empirical equations for some soil hydraulic "
    "properties. Water Resources Research 14: 601-604.";

// The class of this name (any case, blanks around ignored).
const TextureClass* FindTextureClass(std::string_view name);

// The typical conductivity of a class in m/day or ft/day; nothing for an
// unknown class.
std::optional<double> TextureConductivity(std::string_view name, UnitSystem units);

// What stands beside a field filled from the table: "typical for silt loam,
// not measured".
std::string TypicalNote(const TextureClass& texture);

}  // namespace pelorin
