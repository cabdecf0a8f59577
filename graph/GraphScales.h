#pragma once

// Scales of the water-table graph: display units, round axis ends, ticks, pixel
// positions, captions and legend. Plain C++ without any toolkit, so that every
// number of a graph can be checked without drawing it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelorin::graph {

// The canvas and the plot frame inside it, in pixels (y grows downward).
inline constexpr int kCanvasWidth = 623;
inline constexpr int kCanvasHeight = 465;
inline constexpr int kPlotLeft = 70;     // distance axis, left end
inline constexpr int kPlotBottom = 390;  // height axis, bottom end
inline constexpr int kPlotRight = 570;
inline constexpr int kPlotTop = 70;

// The extremes step counts rows with an 8-bit counter; longer profiles are refused.
inline constexpr int kMaxProfileRows = 256;

// The water table of a report: distance from the drain and the Darcy and
// energy-balance heads, row by row in file order.
struct GraphProfile {
    std::vector<double> X;
    std::vector<double> HeadDarcy;   // F*
    std::vector<double> HeadEnergy;  // F

    int RowCount() const { return static_cast<int>(X.size()); }
};

struct GraphScale {
    double HeightMax = 0.0;
    double HeightMin = 0.0;
    double DistanceMax = 0.0;
    double DistanceMin = 0.0;
    std::int32_t HeightUnitFactor = 1;  // 1 m, 10 dm, 100 cm
    std::int32_t DistanceUnitFactor = 1;
    std::int32_t HeightTop = 0;
    std::int32_t HeightBottom = 0;
    std::int32_t DistanceRight = 0;
    std::int32_t DistanceLeft = 0;
    std::int32_t HeightTicks = 0;  // tick intervals, 5 to 10
    std::int32_t DistanceTicks = 0;
    std::int32_t HeightDecimals = 0;
    std::int32_t DistanceDecimals = 0;
    std::int32_t PlotWidth = kPlotRight - kPlotLeft;
    std::int32_t PlotHeight = kPlotBottom - kPlotTop;
    std::vector<std::int32_t> PixelX;        // column of each profile point
    std::vector<std::int32_t> PixelYDarcy;   // row of the top of its "x" marker
    std::vector<std::int32_t> PixelYEnergy;  // row of the top of its "o" marker
    std::string HeightCaption;
    std::string DistanceCaption;
    std::string LegendDarcy;
    std::string LegendEnergy;
    std::string LegendRequested;
};

// The four steps of a graph, in this order. ChooseGraphScales converts the
// profile to the display units in place; ChooseGraphScales and
// ComputePixelPositions throw RunError (range check, integer overflow, invalid
// operation) for values that no 32-bit axis can hold.
void FindProfileExtremes(const GraphProfile& profile, GraphScale& scale);
void ChooseGraphScales(GraphProfile& profile, GraphScale& scale);
void ComputePixelPositions(const GraphProfile& profile, GraphScale& scale);
// `lengthUnit` is the unit the profile was given in: "m" (the display units m,
// dm and cm) or another, such as "ft" (ft, 0.1 ft and 0.01 ft).
void SetGraphCaptions(GraphScale& scale, std::string_view lengthUnit = "m");

// A profile ready to draw: the profile in display units with its scale, or the
// text that says why it cannot be drawn.
struct PreparedGraph {
    std::string Refusal;  // empty when the graph can be drawn
    GraphProfile DisplayProfile;
    GraphScale Scale;

    bool Drawable() const { return Refusal.empty(); }
};

// Runs the four steps on a copy of the profile (in metres, or in the
// `lengthUnit` it was converted to: the same rules then choose the scales of
// the converted values), so that the caller's profile never changes and a
// redraw gives the same graph.
PreparedGraph PrepareGraph(GraphProfile profileInMetres, std::string_view lengthUnit = "m");

// Rows i (0-based) of a run first..last, inclusive; empty when first > last.
struct RowRange {
    int First = 0;
    int Last = -1;

    bool Contains(int row) const { return row >= First && row <= Last; }
    int Count() const { return Last >= First ? Last - First + 1 : 0; }
};

enum class RequestedCurve { None, Darcy, Energy };

// Which markers and which segments of the requested line are drawn. Near the
// drain the rows are dense, so the first markers are left out.
struct GraphMarks {
    RowRange DarcyMarkers;
    RowRange EnergyMarkers;
    RowRange Segments;  // segment i joins row i - 1 to row i
    RequestedCurve Curve = RequestedCurve::None;
    bool RequestedLegend = false;
};

GraphMarks ChooseGraphMarks(int rowCount, std::string_view methodTag);

// One tick of an axis: its pixel (row for the height axis, column for the
// distance axis), its value and its label.
struct AxisTick {
    std::int32_t Pixel = 0;
    double Value = 0.0;
    std::string Label;
};

// Ticks from the top of the height axis down, and from the left of the
// distance axis to the right. The label of a distance tick has its left edge
// at LabelLeft.
std::vector<AxisTick> HeightAxisTicks(const GraphScale& scale, std::string_view decimalSeparator);
struct DistanceTick : AxisTick {
    std::int32_t LabelLeft = 0;
};
std::vector<DistanceTick> DistanceAxisTicks(const GraphScale& scale,
                                            std::string_view decimalSeparator);

// Fixed point with `decimals` decimals, right-aligned in decimals + 2
// characters. A value that rounds to zero is shown without a minus sign.
std::string FormatTickLabel(double value, int decimals, std::string_view decimalSeparator);

}  // namespace pelorin::graph
