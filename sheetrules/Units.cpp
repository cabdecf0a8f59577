#include "Units.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "NumberFormat.h"
#include "TextReader.h"

namespace pelorin {

namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerInch = 0.0254;
constexpr int kMostShownDecimals = 10;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower;
}

int LeastShownDecimals(Dimension d, UnitSystem units, int fileDecimals) {
    if (units == UnitSystem::SI) return fileDecimals;
    switch (d) {
        case Dimension::VerticalConductivity:
        case Dimension::Resistance: return 4;
        default: return 3;
    }
}

}  // namespace

std::optional<UnitSystem> UnitSystemFromName(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "si") return UnitSystem::SI;
    if (lower == "us") return UnitSystem::US;
    return std::nullopt;
}

const char* UnitSystemName(UnitSystem units) { return units == UnitSystem::US ? "us" : "si"; }

Dimension DimensionOf(Quantity q) {
    switch (q) {
        case Quantity::R: return Dimension::Recharge;
        case Quantity::E: return Dimension::Resistance;
        case Quantity::Ka:
        case Quantity::Kb1:
        case Quantity::Kb2: return Dimension::Conductivity;
        case Quantity::Kv1:
        case Quantity::Kv2: return Dimension::VerticalConductivity;
        default: return Dimension::Length;
    }
}

Dimension SoughtDimension(CalcAim aim) {
    switch (aim) {
        case CalcAim::Discharge: return Dimension::Recharge;
        case CalcAim::Conductivity: return Dimension::Conductivity;
        default: return Dimension::Length;
    }
}

const char* UnitName(Dimension d, UnitSystem units) {
    const bool us = units == UnitSystem::US;
    switch (d) {
        case Dimension::Length: return us ? "ft" : "m";
        case Dimension::Recharge: return us ? "in/day" : "m/day";
        case Dimension::Conductivity:
        case Dimension::VerticalConductivity: return us ? "ft/day" : "m/day";
        case Dimension::Resistance: return us ? "day/ft" : "day/m";
    }
    return "";
}

double ToSi(double shown, Dimension d, UnitSystem units) {
    if (units == UnitSystem::SI) return shown;
    switch (d) {
        case Dimension::Recharge: return shown * kMetresPerInch;
        case Dimension::Resistance:  // day/ft: a foot's resistance spread over 0.3048 m
            return shown / kMetresPerFoot;
        default: return shown * kMetresPerFoot;
    }
}

double FromSi(double si, Dimension d, UnitSystem units) {
    if (units == UnitSystem::SI) return si;
    switch (d) {
        case Dimension::Recharge: return si / kMetresPerInch;
        case Dimension::Resistance: return si * kMetresPerFoot;
        default: return si / kMetresPerFoot;
    }
}

int FileDecimals(CalcAim aim, Quantity q) {
    const int position = PositionOf(aim, q);
    if (position == 0) return 3;
    return LayoutOf(aim).fileDecimals[static_cast<std::size_t>(position - 1)];
}

double StoredSiValue(double shown, Quantity q, UnitSystem units, int fileDecimals) {
    const double si = ToSi(shown, DimensionOf(q), units);
    return ParseReal(FormatFixed(si, 0, fileDecimals)).value_or(si);
}

int ShownDecimals(double storedSi, Quantity q, UnitSystem units, int fileDecimals) {
    const Dimension d = DimensionOf(q);
    const double shown = FromSi(storedSi, d, units);
    int decimals = LeastShownDecimals(d, units, fileDecimals);
    for (; decimals < kMostShownDecimals; ++decimals) {
        const double typed = ParseReal(FormatFixed(shown, 0, decimals)).value_or(shown);
        if (StoredSiValue(typed, q, units, fileDecimals) == storedSi) break;
    }
    return decimals;
}

std::string ShowStoredValue(double storedSi, Quantity q, UnitSystem units, int fileDecimals) {
    return FormatFixed(FromSi(storedSi, DimensionOf(q), units), 0,
                       ShownDecimals(storedSi, q, units, fileDecimals));
}

int ResultDecimals(Dimension d, UnitSystem units, int siDecimals) {
    if (units == UnitSystem::SI) return siDecimals;
    if (d == Dimension::Recharge) return std::max(2, siDecimals - 1);
    if (d == Dimension::Resistance) return siDecimals + 1;
    return siDecimals;
}

std::string ShowResult(double si, Dimension d, UnitSystem units, int siDecimals) {
    return FormatFixed(FromSi(si, d, units), 0, ResultDecimals(d, units, siDecimals));
}

}  // namespace pelorin
