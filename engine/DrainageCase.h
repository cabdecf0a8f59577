#pragma once

#include <cstdint>
#include <string>

namespace pelorin {

enum class CalcAim { Spacing, Discharge, WaterTableDepth, Conductivity };
enum class CalcMethod { EnergyBalance, Darcy };

// The one record of a calculation: what the input check loads, what it derives,
// the flow geometry the engine prepares, and the state of the marches and of
// the profile. A run owns it; the check, the engine and the report share it.
struct DrainageCase {
    // Identification
    std::string Title1;
    std::string Title2;
    CalcAim Aim = CalcAim::Spacing;
    CalcMethod Method = CalcMethod::EnergyBalance;
    std::string InputFileName;
    std::string ReportFileName;
    // The folder both names are relative to; empty: the current folder. The
    // report prints the names without it, as a run inside that folder would.
    std::string Folder;

    // Input numbers
    double R = 0, D1 = 0, D2 = 0, Dw = 0, Db = 0, E = 0, W = 0;
    double Ka = 0, Kb1 = 0, Kv1 = 0, Kb2 = 0, Kv2 = 0;
    double Dm = 0, S = 0;

    // Derived by the input check
    double Thick1 = 0, Thick2 = 0, DrainWaterDepth = 0, BottomBelowLayer1 = 0;
    double HalfWidth = 0, TargetHead = 0;

    // Flow geometry, set by PrepareFlowGeometry
    double Aniso1 = 0, Aniso2 = 0, Keq1 = 0, Keq2 = 0;
    double TThick1 = 0, TThick2 = 0, TThick12 = 0;
    double TDrainDepth1 = 0, TDrainDepth2 = 0;
    double WidthExcess = 0, DepthExcess = 0;

    // March state
    double p = 0;
    double HalfSpacing = 0;
    std::int32_t FirstStep = 0;
    std::int32_t LastStep = 0;
    double EntranceHead = 0;
    double EnergyMidHead = 0, EnergyMidLow = 0, EnergyMidHigh = 0, EnergyMidPrev = 0;
    double Tolerance = 0.0001;
    // The head and gradient of the engine's own marches; a march that takes no
    // step leaves them as they were.
    double MarchHead = 0, MarchGradient = 0;
    // The index of the last step the latest march took (an energy march may stop early).
    std::int64_t MarchStoppedAt = 0;

    // Profile state: the values of the last step of WriteProfile
    double X = 0;
    double FStar = 0;   // F*, hydraulic head by Darcy
    double GStarP = 0;  // G*/p, gradient of F*
    double F = 0;       // hydraulic head by the energy balance
    double GP = 0;      // G/p, gradient of F
    double T1 = 0;      // energy loss / p
    double T2 = 0;      // correction for energy input / p
};

// Where the drain bottom lies; it decides how the section carries flow.
enum class DrainZone { InLayer1, InLayer2, BelowLayer2 };

inline DrainZone ZoneOf(const DrainageCase& c) {
    if (c.D1 > c.Db) return DrainZone::InLayer1;
    if (c.D2 > c.Db) return DrainZone::InLayer2;
    return DrainZone::BelowLayer2;
}

}  // namespace pelorin
