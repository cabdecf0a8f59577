#include "SheetWarnings.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "RunMessages.h"

namespace pelorin {
namespace {

// A number as the report prints it ("-0.498", "1.20"); none for another text.
// Read without the locale, which a program with windows may have set.
std::optional<double> PrintedNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A printed midway depth below 0. "-0.000" counts: its sign is the one of a
// depth that rounded away.
bool AnyDepthAboveSurface(const ReportContents& report) {
    for (const std::vector<ReportLabelledValue>& group : report.ResultGroups) {
        for (const ReportLabelledValue& result : group) {
            if (result.Label.rfind("Midway W.T. depth", 0) != 0) continue;
            const std::optional<double> depth = PrintedNumber(result.Value);
            if (depth && std::signbit(*depth)) return true;
        }
    }
    return false;
}

std::optional<double> EchoedInput(const ReportContents& report, std::string_view symbol) {
    for (const ReportInputRow& input : report.Inputs)
        if (input.Symbol == symbol) return PrintedNumber(input.Value);
    return std::nullopt;
}

// The spacing engines search a short spacing when Dw - Dm is below 0.2; the
// echo prints both with the report's decimals, which is what is known of them.
bool ShortSpacing(const ReportContents& report) {
    if (report.Module != "DarSpac" && report.Module != "EneSpac") return false;
    const std::optional<double> dw = EchoedInput(report, "Dw");
    const std::optional<double> dm = EchoedInput(report, "Dm");
    return dw && dm && *dw - *dm < kShortSpacingHead;
}

}  // namespace

SheetWarnings WarningsOfRun(std::vector<std::string> messages) {
    return SheetWarnings{true, std::move(messages)};
}

SheetWarnings WarningsOfReport(const ReportContents& report) {
    SheetWarnings warnings;
    // In the order a run gives them: the short spacing before its search, the
    // water table after the profile.
    if (ShortSpacing(report)) warnings.Texts.emplace_back(kShortSpacing);
    if (AnyDepthAboveSurface(report)) warnings.Texts.emplace_back(kWaterTableAboveSurface);
    return warnings;
}

}  // namespace pelorin
