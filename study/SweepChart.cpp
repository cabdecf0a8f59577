#include "SweepChart.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace pelorin::study {

namespace {

std::string SoughtCaption(CalcAim aim, UnitSystem units) {
    const std::string unit = std::string(" (") + UnitName(SoughtDimension(aim), units) + ")";
    switch (aim) {
        case CalcAim::Spacing: return "Drain spacing" + unit;
        case CalcAim::Discharge: return "Drain discharge" + unit;
        case CalcAim::WaterTableDepth: return "Midway water-table depth" + unit;
        case CalcAim::Conductivity: return "Hydraulic conductivity" + unit;
    }
    return "";
}

std::string ShortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool ReadNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && ptr == end;
}

}  // namespace

SweepChart ChartFor(const InputCase& base, const SweepPlan& plan,
                    const std::vector<Variation>& variations, bool bothMethods, UnitSystem units) {
    SweepChart chart;
    const CalcAim aim = AimFromCode(base.AimCode).value_or(CalcAim::Spacing);
    chart.Title = base.Title1;
    chart.XQuantity = variations.front().quantity;
    const QuantityTexts& x = TextsOf(chart.XQuantity);
    chart.XLabel = std::string(x.symbol) + " (" +
                   (units == UnitSystem::SI ? x.unit : UnitName(chart.XQuantity, units)) + ")";
    chart.YLabel = SoughtCaption(aim, units);
    chart.PointsPerLine = std::max<std::size_t>(1, variations.front().values.size());
    for (std::size_t first = 0; first < plan.Rows.size(); first += chart.PointsPerLine) {
        const CaseRow& row = plan.Rows[first];
        std::string label = row.Method == "Dar" ? "Darcy" : "Energy balance";
        if (aim == CalcAim::WaterTableDepth && !bothMethods) label = "Water-table depth";
        if (variations.size() == 2) {
            const Quantity second = variations[1].quantity;
            double value = 0;
            ReadNumber(row.Values[static_cast<std::size_t>(second)], value);
            label += std::string(", ") + TextsOf(second).symbol + " = " + ShortNumber(value);
        }
        chart.Lines.push_back({label, {}});
    }
    return chart;
}

void AddToChart(SweepChart& chart, const CaseResult& result) {
    double x = 0, y = 0;
    if (result.Status != CaseStatus::Ok || result.Row < 1 ||
        !ReadNumber(result.Values[static_cast<std::size_t>(chart.XQuantity)], x) ||
        !ReadNumber(result.Result, y))
        return;
    const std::size_t line = static_cast<std::size_t>(result.Row - 1) / chart.PointsPerLine;
    if (line < chart.Lines.size()) chart.Lines[line].Points.emplace_back(x, y);
}

std::optional<ChartFormat> ChartFormatOf(const std::string& fileName) {
    std::string ending = fileName.size() >= 4 ? fileName.substr(fileName.size() - 4) : "";
    for (char& ch : ending) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (ending == ".png") return ChartFormat::Png;
    if (ending == ".svg") return ChartFormat::Svg;
    if (ending == ".pdf") return ChartFormat::Pdf;
    return std::nullopt;
}

}  // namespace pelorin::study
