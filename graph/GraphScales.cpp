#include "GraphScales.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>

#include "GuardedArithmetic.h"
#include "RunError.h"

namespace pelorin::graph {
namespace {

using Int = std::int32_t;

Int Round(double x) { return RoundStep(x); }

Int Sub(Int a, Int b) {
    Int difference = 0;
    if (__builtin_sub_overflow(a, b, &difference)) throw RunError(Fault::IntegerOverflow);
    return difference;
}

Int Mul(Int a, Int b) {
    Int product = 0;
    if (__builtin_mul_overflow(a, b, &product)) throw RunError(Fault::IntegerOverflow);
    return product;
}

// 100 below 0.1, 10 below 1, else 1: the factor that shows a range of this
// size with a few significant digits.
Int UnitFactorFor(double largest) {
    if (largest < 0.1) return 100;
    if (largest < 1) return 10;
    return 1;
}

void ScaleValues(std::vector<double>& values, Int factor) {
    for (double& value : values) value = value * factor;
}

// One row of an axis table: for a largest value below `Below`, the ends are
// Step * Round(LowArgument(min)) and Step * Round(HighArgument(max)), and the
// tick count is their difference div Step. The arguments are written exactly
// as their formulas so that halves round the same way.
struct AxisRow {
    double Below;
    Int Decimals;
    Int Step;
    double (*LowArgument)(double);
    double (*HighArgument)(double);
};

constexpr double kAbove = std::numeric_limits<double>::infinity();

// The first height row is handled apart: its tick count is halved, not divided.
constexpr std::array<AxisRow, 4> kHeightRows{{
    {10, 1, 1, [](double m) { return m - 0.4; }, [](double m) { return m + 0.4; }},
    {25, 1, 4, [](double m) { return (m - 2) / 4; }, [](double m) { return (m + 2) / 4; }},
    {50, 1, 5, [](double m) { return (m - 2.5) / 5; }, [](double m) { return (m + 2.5) / 5; }},
    {kAbove, 0, 10, [](double m) { return (m - 5) / 10; }, [](double m) { return (m + 5) / 10; }},
}};

constexpr std::array<AxisRow, 8> kDistanceRows{{
    {10, 1, 1, [](double m) { return m - 0.5; }, [](double m) { return m + 0.5; }},
    {25, 1, 4, [](double m) { return (m - 2) / 4; }, [](double m) { return (m + 2) / 4; }},
    {50, 1, 5, [](double m) { return (m - 2.5) / 5; }, [](double m) { return (m + 2.5) / 5; }},
    {100, 0, 10, [](double m) { return (m - 5) / 10; }, [](double m) { return (m + 5) / 10; }},
    {250, 0, 25, [](double m) { return (2 * m - 25) / 50; },
     [](double m) { return (2 * m + 25) / 50; }},
    {500, 0, 50, [](double m) { return (m - 25) / 50; }, [](double m) { return (m + 25) / 50; }},
    {1000, 0, 100, [](double m) { return (m - 50) / 100; },
     [](double m) { return (m + 50) / 100; }},
    {kAbove, 0, 250, [](double m) { return (2 * m - 250) / 500; },
     [](double m) { return (2 * m + 250) / 500; }},
}};

template <std::size_t N>
const AxisRow& RowFor(const std::array<AxisRow, N>& rows, double largest) {
    for (const AxisRow& row : rows)
        if (largest < row.Below) return row;
    return rows.back();  // NaN: the rounding below refuses it
}

struct Axis {
    Int Low = 0;
    Int High = 0;
    Int Ticks = 0;
    Int Decimals = 0;
};

// Ends that coincide would make the pixel formulas divide by zero; the axis
// then grows by one step upward, which keeps a water table that starts at the
// drain on the axis and shows the lone value at the bottom or left.
Axis ChooseAxis(const AxisRow& row, double smallest, double largest) {
    Axis axis;
    axis.Decimals = row.Decimals;
    axis.Low = Mul(row.Step, Round(row.LowArgument(smallest)));
    axis.High = Mul(row.Step, Round(row.HighArgument(largest)));
    if (axis.High == axis.Low) axis.High = AddSteps(axis.Low, row.Step);
    axis.Ticks = Sub(axis.High, axis.Low) / row.Step;
    return axis;
}

// Forced to 5 or 10 intervals, tick values need not be round: one decimal more.
void ForceTicks(Int& ticks, Int& decimals, Int forced) {
    ticks = forced;
    decimals = AddSteps(decimals, 1);
}

// Display units: the factors, and the profile and extremes multiplied by them.
void ChooseUnits(GraphProfile& profile, GraphScale& scale) {
    scale.HeightUnitFactor = UnitFactorFor(scale.HeightMax);
    if (scale.HeightUnitFactor != 1) {
        ScaleValues(profile.HeadDarcy, scale.HeightUnitFactor);
        ScaleValues(profile.HeadEnergy, scale.HeightUnitFactor);
        scale.HeightMin = scale.HeightMin * scale.HeightUnitFactor;
        scale.HeightMax = scale.HeightMax * scale.HeightUnitFactor;
    }
    scale.DistanceUnitFactor = UnitFactorFor(scale.DistanceMax);
    if (scale.DistanceUnitFactor != 1) {
        ScaleValues(profile.X, scale.DistanceUnitFactor);
        scale.DistanceMin = scale.DistanceMin * scale.DistanceUnitFactor;
        scale.DistanceMax = scale.DistanceMax * scale.DistanceUnitFactor;
    }
}

void ChooseHeightAxis(GraphScale& scale) {
    const AxisRow& row = RowFor(kHeightRows, scale.HeightMax);
    Axis axis = ChooseAxis(row, scale.HeightMin, scale.HeightMax);
    if (row.Step == 1 && axis.Ticks > 10) axis.Ticks = axis.Ticks / 2;
    scale.HeightBottom = axis.Low;
    scale.HeightTop = axis.High;
    scale.HeightTicks = axis.Ticks;
    scale.HeightDecimals = axis.Decimals;
}

void ChooseDistanceAxis(GraphScale& scale) {
    const Axis axis =
        ChooseAxis(RowFor(kDistanceRows, scale.DistanceMax), scale.DistanceMin, scale.DistanceMax);
    scale.DistanceLeft = axis.Low;
    scale.DistanceRight = axis.High;
    scale.DistanceTicks = axis.Ticks;
    scale.DistanceDecimals = axis.Decimals;
}

// Row of the top of a marker: ten pixels above its point.
Int MarkerRow(double head, const GraphScale& scale) {
    const double span = Sub(scale.HeightTop, scale.HeightBottom);
    const Int above = Round((head - scale.HeightBottom) * scale.PlotHeight / span);
    return Sub(Sub(kPlotBottom, above), 10);
}

Int PointColumn(double x, const GraphScale& scale) {
    const double span = Sub(scale.DistanceRight, scale.DistanceLeft);
    return AddSteps(Round((x - scale.DistanceLeft) * scale.PlotWidth / span), kPlotLeft);
}

std::string RefusalOf(const GraphProfile& profile) {
    const int rows = profile.RowCount();
    if (rows == 0) return "The output file holds no watertable profile, so no graph can be made.";
    if (rows > kMaxProfileRows)
        return "The watertable profile has " + std::to_string(rows) +
               " rows; a graph can show at most " + std::to_string(kMaxProfileRows) + ".";
    if (profile.HeadDarcy.size() != profile.X.size() ||
        profile.HeadEnergy.size() != profile.X.size())
        return "The watertable profile is incomplete, so no graph can be made.";
    return {};
}

}  // namespace

void FindProfileExtremes(const GraphProfile& profile, GraphScale& scale) {
    scale.HeightMax = 0;
    scale.DistanceMax = 0;
    scale.HeightMin = 1000000;
    scale.DistanceMin = 1000000;
    for (int i = 0; i < profile.RowCount(); ++i) {
        const double head = profile.HeadDarcy[i];
        const double x = profile.X[i];
        if (head > scale.HeightMax) scale.HeightMax = head;
        if (x > scale.DistanceMax) scale.DistanceMax = x;
        if (head < scale.HeightMin) scale.HeightMin = head;
        if (x < scale.DistanceMin) scale.DistanceMin = x;
    }
    scale.HeightMax = 1.2 * scale.HeightMax;
}

void ChooseGraphScales(GraphProfile& profile, GraphScale& scale) {
    ChooseUnits(profile, scale);
    ChooseHeightAxis(scale);
    ChooseDistanceAxis(scale);
    if (scale.HeightTicks > 10) ForceTicks(scale.HeightTicks, scale.HeightDecimals, 10);
    if (scale.DistanceTicks > 10) ForceTicks(scale.DistanceTicks, scale.DistanceDecimals, 10);
    if (scale.HeightTicks < 5) ForceTicks(scale.HeightTicks, scale.HeightDecimals, 5);
    if (scale.DistanceTicks < 5) ForceTicks(scale.DistanceTicks, scale.DistanceDecimals, 5);
}

void ComputePixelPositions(const GraphProfile& profile, GraphScale& scale) {
    const int rows = profile.RowCount();
    scale.PixelX.assign(rows, 0);
    scale.PixelYDarcy.assign(rows, 0);
    scale.PixelYEnergy.assign(rows, 0);
    for (int i = 0; i < rows; ++i) {
        scale.PixelX[i] = PointColumn(profile.X[i], scale);
        scale.PixelYDarcy[i] = MarkerRow(profile.HeadDarcy[i], scale);
        scale.PixelYEnergy[i] = MarkerRow(profile.HeadEnergy[i], scale);
    }
}

void SetGraphCaptions(GraphScale& scale, std::string_view lengthUnit) {
    const bool metres = lengthUnit == "m";
    const auto unit = [metres, lengthUnit](Int factor) {
        if (factor == 100) return metres ? std::string("cm") : "0.01 " + std::string(lengthUnit);
        if (factor == 10) return metres ? std::string("dm") : "0.1 " + std::string(lengthUnit);
        return std::string(lengthUnit);
    };
    scale.HeightCaption =
        std::string("Watertable height above drain (") + unit(scale.HeightUnitFactor) + ")";
    scale.DistanceCaption =
        std::string("Distance from drain (") + unit(scale.DistanceUnitFactor) + ")";
    scale.LegendDarcy = "x Darcy equation";
    scale.LegendEnergy = "o Energy balance";
    scale.LegendRequested = "- requested line";
}

PreparedGraph PrepareGraph(GraphProfile profileInMetres, std::string_view lengthUnit) {
    PreparedGraph graph;
    graph.Refusal = RefusalOf(profileInMetres);
    if (!graph.Drawable()) return graph;
    graph.DisplayProfile = std::move(profileInMetres);
    try {
        FindProfileExtremes(graph.DisplayProfile, graph.Scale);
        ChooseGraphScales(graph.DisplayProfile, graph.Scale);
        ComputePixelPositions(graph.DisplayProfile, graph.Scale);
        SetGraphCaptions(graph.Scale, lengthUnit);
    } catch (const RunError& error) {
        graph.Refusal = error.what();
    }
    return graph;
}

GraphMarks ChooseGraphMarks(int rowCount, std::string_view methodTag) {
    const bool dense = rowCount >= 10;
    GraphMarks marks;
    marks.DarcyMarkers = {dense ? 3 : 1, rowCount - 1};
    marks.EnergyMarkers = {dense ? 1 : 0, rowCount - 1};
    marks.Segments = {dense ? 2 : 1, rowCount - 1};
    if (methodTag == " Ene") marks.Curve = RequestedCurve::Energy;
    if (methodTag == " Dar") marks.Curve = RequestedCurve::Darcy;
    if (marks.Curve == RequestedCurve::None) marks.Segments = {};
    marks.RequestedLegend = methodTag != " Hyd";
    return marks;
}

namespace {

// Fixed point with `decimals` decimals and a '.' for the point. printf rather
// than std::to_chars, which the C++ library of the WebAssembly build lacks for
// doubles: both round the exact binary value. printf writes the point of the
// locale, which is whatever stands before the last `decimals` digits.
std::string FixedWithDot(double value, int decimals) {
    std::array<char, 400> buffer{};  // room for any double in fixed notation
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return "?";
    const std::string text(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t integerEnd = text.find_first_not_of("-0123456789");
    if (decimals <= 0 || integerEnd == std::string::npos || !std::isfinite(value)) return text;
    return text.substr(0, integerEnd) + "." + text.substr(text.size() - decimals);
}

}  // namespace

std::string FormatTickLabel(double value, int decimals, std::string_view decimalSeparator) {
    std::string digits = FixedWithDot(value, decimals);
    if (digits.front() == '-' && digits.find_first_not_of("-0.") == std::string::npos)
        digits.erase(0, 1);
    const std::size_t point = digits.find('.');
    if (point != std::string::npos) digits.replace(point, 1, decimalSeparator);
    const std::size_t width = static_cast<std::size_t>(decimals) + 2;
    if (digits.size() < width) digits.insert(0, width - digits.size(), ' ');
    return digits;
}

std::vector<AxisTick> HeightAxisTicks(const GraphScale& scale, std::string_view decimalSeparator) {
    std::vector<AxisTick> ticks;
    const double span = Sub(scale.HeightTop, scale.HeightBottom);
    for (Int k = 0; k <= scale.HeightTicks; ++k) {
        const double fraction = static_cast<double>(k) / scale.HeightTicks;
        AxisTick tick;
        tick.Pixel = Round(fraction * scale.PlotHeight + kPlotTop);
        tick.Value = scale.HeightTop - fraction * span;
        tick.Label = FormatTickLabel(tick.Value, scale.HeightDecimals, decimalSeparator);
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

std::vector<DistanceTick> DistanceAxisTicks(const GraphScale& scale,
                                            std::string_view decimalSeparator) {
    std::vector<DistanceTick> ticks;
    const Int span = Sub(scale.DistanceRight, scale.DistanceLeft);
    for (Int k = 0; k <= scale.DistanceTicks; ++k) {
        const double fraction = static_cast<double>(k) / scale.DistanceTicks;
        DistanceTick tick;
        tick.Pixel = Round(fraction * scale.PlotWidth + kPlotLeft);
        tick.LabelLeft = Round(fraction * scale.PlotWidth + 62);
        tick.Value = scale.DistanceLeft + static_cast<double>(Mul(k, span)) / scale.DistanceTicks;
        tick.Label = FormatTickLabel(tick.Value, scale.DistanceDecimals, decimalSeparator);
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

}  // namespace pelorin::graph
