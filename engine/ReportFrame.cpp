#include "ReportFrame.h"

#include <string>

#include "ReportMarkers.h"

namespace pelorin {
namespace {

constexpr std::string_view kAuthorLine = " Pelorin, by Tessivar";

constexpr std::string_view kSpacingLines[] = {
    " It also calculates the shape of the watertable for two cases:",
    " (1) Darcy, and (2) the energy balance.",
    " The program allows the introduction of 3 soil layers with",
    " anisotropic hydraulic conductivity.",
    " Calculations can be made for pipe drains or ditches",
    " with or without entrance resistance.",
};

constexpr std::string_view kDischargeLines[] = {
    " It also calculates the shape of the watertable for two cases:",
    " (1) Darcy, and (2)the energy balance",
    " The program allows the introduction of 3 soil layers with",
    " anisotropic hydraulic conductivity.",
    " Calculations can be made for pipe drains or ditches",
    " with or without entrance resistance.",
};

constexpr std::string_view kConductivityLines[] = {
    " The shape of the water table is calculated both with the",
    " Darcy and energy balance equation.",
    " Calculations can be made for pipe drains or ditches",
    " with or without entrance resistance.",
};

constexpr std::string_view kHeadLines[] = {
    " Program HydrHead calculates the shape of the water table",
    " between drains using both the Darcy and the energy balance",
    " equation",
    " The program allows the introduction of 3 soil layers with",
    " anisotropic hydraulic conductivity.",
    " Calculations can be made for pipe drains or ditches",
    " with or without entrance resistance.",
};

template <std::size_t N>
void Lines(ReportWriter& report, const std::string_view (&lines)[N]) {
    for (std::string_view line : lines) report.Line(line);
}

// Lines 1 to 10, always ten of them (kReportHeaderLines) with the tenth empty.
void WriteModuleLines(ReportWriter& report, Module module) {
    switch (module) {
        case Module::DarSpac:
            report.Line();
            report.Line(kAuthorLine);
            report.Line(" Program DarSpac calculates the drain spacing using the Darcy equation.");
            Lines(report, kSpacingLines);
            break;
        case Module::EneSpac:
            report.Line(kAuthorLine);
            report.Line(" Program EneSpac calculates the drain spacing using the energy");
            report.Line(" balance equation.");
            Lines(report, kSpacingLines);
            break;
        case Module::DarDisc:
            report.Line(kAuthorLine);
            report.Line(" Program DarDisc calculates the drain discharge using the Darcy");
            report.Line(" equation");
            Lines(report, kDischargeLines);
            break;
        case Module::EneDisc:
            report.Line(kAuthorLine);
            report.Line(" Program EneDisc calculates the drain discharge using the energy");
            report.Line(" balance equation");
            Lines(report, kDischargeLines);
            break;
        case Module::HydrHead:
            report.Line();
            report.Line(kAuthorLine);
            Lines(report, kHeadLines);
            break;
        case Module::DarCond:
            report.Line();
            report.Line(kAuthorLine);
            report.Line();
            report.Line(" Program DarCond calculates the equivalent hydraulic conductivity.");
            report.Line(" of the soil between drains using the Darcy equation.");
            Lines(report, kConductivityLines);
            break;
        case Module::EneCond:
            report.Line();
            report.Line(kAuthorLine);
            report.Line();
            report.Line(" Program EneCond calculates the equivalent hydraulic conductivity.");
            report.Line(" of the soil between drains using the energy balance equation.");
            Lines(report, kConductivityLines);
            break;
    }
    report.Line();
}

}  // namespace

std::string_view ModuleName(Module module) {
    switch (module) {
        case Module::DarSpac: return "DarSpac";
        case Module::EneSpac: return "EneSpac";
        case Module::DarDisc: return "DarDisc";
        case Module::EneDisc: return "EneDisc";
        case Module::HydrHead: return "HydrHead";
        case Module::DarCond: return "DarCond";
        case Module::EneCond: return "EneCond";
    }
    return "";
}

std::string_view MidwayHeadSource(std::string_view moduleName) {
    constexpr std::string_view kTableOnly =
        "Both midway heads and depths are the last row of the profile table (step 0.00001 m).";
    constexpr std::string_view kEnergySearched =
        "The energy midway head and depth come from the search; the Darcy ones are the last row "
        "of the profile table (step 0.00001 m), whose energy head F may differ from the search's "
        "by millimetres.";
    if (moduleName == "DarSpac")
        return "Both midway heads and the Darcy midway depth are the last row of the profile "
               "table (step 0.00001 m); the energy midway depth comes from the energy balance of "
               "the spacing found.";
    if (moduleName == "EneSpac" || moduleName == "EneDisc" || moduleName == "HydrHead")
        return kEnergySearched;
    if (moduleName == "DarDisc" || moduleName == "DarCond" || moduleName == "EneCond")
        return kTableOnly;
    return {};
}

void WriteReportHeader(ReportWriter& report, const DrainageCase& c, Module module) {
    WriteModuleLines(report, module);
    report.Text("  ");
    report.Line(c.Title1);
    report.Text("  ");
    report.Line(c.Title2);
    report.Line();
    report.Text(kInputFileLabel);
    report.Line(c.InputFileName);
    report.Text(kOutputFileLabel);
    report.Line(c.ReportFileName);
    report.Line();
    report.Text(" ");
    report.Text(ModuleName(module));
    report.Line(kInputHeadingEnd);
    report.Line();
}

void WriteInputEcho(ReportWriter& report, const DrainageCase& c,
                    const std::vector<Quantity>& quantities) {
    for (Quantity q : quantities) {
        const EchoFormat format = EchoFormatOf(q);
        report.Text(format.label);
        report.Number(ValueOf(c, q), 10, format.decimals);
        report.EndLine();
    }
}

void WriteTableHead(ReportWriter& report, Module module) {
    const bool singular =
        module == Module::HydrHead || module == Module::DarDisc || module == Module::EneDisc;
    report.Line();
    report.Line(singular ? " Watertable height (see also the Symbols button):"
                         : " Watertable heights (see also the Symbols button):");
    report.Line("   X       F*        G*/p      F         G/p       T1        T2");
    report.Line(kProfileStart);
}

void WriteResult(ReportWriter& report, std::string_view label, double value, int decimals) {
    report.Text(label);
    report.Number(value, 8, decimals);
    report.EndLine();
}

}  // namespace pelorin
