#include "ReportFrame.h"

#include <string>

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

// Lines 1 to 10, always ten of them with the tenth empty.
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

struct EchoLine {
    std::string_view label;
    int decimals;
};

EchoLine EchoFormat(Quantity q) {
    switch (q) {
        case Quantity::R: return {" Time average recharge or discharge         R    (m/day) :  ", 4};
        case Quantity::D1: return {" Bottom depth of 1st layer below s.s.       D1       (m) :  ", 2};
        case Quantity::D2: return {" Bottom depth of 2nd layer below s.s.       D2       (m) :  ", 2};
        case Quantity::Dw: return {" Depth waterlevel in drain below s.s.       Dw       (m) :  ", 2};
        case Quantity::Db: return {" Depth of drain bottom below s.s.           Db       (m) :  ", 2};
        case Quantity::E: return {" Entrance resistance at the drain           E    (day/m) :  ", 3};
        case Quantity::W: return {" Max. width of water body in the drain      W        (m) :  ", 3};
        case Quantity::Ka: return {" Hydraulic permeability, above drain level  Ka   (m/day) :  ", 3};
        case Quantity::Kb1: return {" Horizontal permeability, 1st soil layer    Kb1  (m/day) :  ", 3};
        case Quantity::Kv1: return {" Vertical permeability, 1st soil layer      Kv1  (m/day) :  ", 4};
        case Quantity::Kb2: return {" Horizontal permeability, 2nd soil layer    Kb2  (m/day) :  ", 3};
        case Quantity::Kv2: return {" Vertical permeability, 2nd soil layer      Kv2  (m/day) :  ", 4};
        case Quantity::Dm: return {" Depth watertable midway between drains     Dm       (m) :  ", 2};
        case Quantity::S: return {" Spacing betweeen the drains                S        (m) :  ", 2};
    }
    return {"", 2};
}

double EchoValue(const DrainageCase& c, Quantity q) {
    switch (q) {
        case Quantity::R: return c.R;
        case Quantity::D1: return c.D1;
        case Quantity::D2: return c.D2;
        case Quantity::Dw: return c.Dw;
        case Quantity::Db: return c.Db;
        case Quantity::E: return c.E;
        case Quantity::W: return c.W;
        case Quantity::Ka: return c.Ka;
        case Quantity::Kb1: return c.Kb1;
        case Quantity::Kv1: return c.Kv1;
        case Quantity::Kb2: return c.Kb2;
        case Quantity::Kv2: return c.Kv2;
        case Quantity::Dm: return c.Dm;
        case Quantity::S: return c.S;
    }
    return 0;
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

void WriteReportHeader(ReportWriter& report, const DrainageCase& c, Module module) {
    WriteModuleLines(report, module);
    report.Text("  ");
    report.Line(c.Title1);
    report.Text("  ");
    report.Line(c.Title2);
    report.Line();
    report.Text(" Name of input file used:  ");
    report.Line(c.InputFileName);
    report.Text(" Name of this output file: ");
    report.Line(c.ReportFileName);
    report.Line();
    report.Text(" ");
    report.Text(ModuleName(module));
    report.Line(" input data: ");
    report.Line();
}

void WriteInputEcho(ReportWriter& report, const DrainageCase& c,
                    std::initializer_list<Quantity> quantities) {
    for (Quantity q : quantities) {
        const EchoLine format = EchoFormat(q);
        report.Text(format.label);
        report.Number(EchoValue(c, q), 10, format.decimals);
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
    report.Line(" Output data:");
}

void WriteResult(ReportWriter& report, std::string_view label, double value, int decimals) {
    report.Text(label);
    report.Number(value, 8, decimals);
    report.EndLine();
}

}  // namespace pelorin
