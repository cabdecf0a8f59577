#include <string>

#include "Bisection.h"
#include "Engines.h"
#include "OuterSearch.h"
#include "ProfileRoutine.h"
#include "ProgressLines.h"
#include "ReportFrame.h"
#include "ReportWriter.h"
#include "ResultBlock.h"
#include "SearchAhead.h"
#include "SearchMessages.h"
#include "Speculation.h"

namespace pelorin {
namespace {

constexpr double kLeastConductivity = 0.001;
constexpr double kGreatestConductivity = 1000;
constexpr double kSearchStep = 0.0001;

void WriteConductivityFrame(ReportWriter& report, const DrainageCase& c, Module module) {
    WriteReportHeader(report, c, module);
    WriteInputEcho(report, c, LayoutOf(CalcAim::Conductivity).echo);
    WriteTableHead(report, module);
}

// The soil is one isotropic medium of conductivity K: every permeability of
// the case, the equivalent ones included, takes the value of the trial.
void SetConductivity(DrainageCase& c, double K) {
    c.Ka = K;
    c.Kb1 = K;
    c.Kv1 = K;
    c.Kb2 = K;
    c.Kv2 = K;
    c.Keq1 = K;
    c.Keq2 = K;
}

// The start-up of both conductivity engines. A spacing that leaves no step to
// march is refused here: no trial would give a head and the search could not
// end. The first trial of K is the numeric value of R.
SearchBracket PrepareConductivityRun(DrainageCase& c) {
    PrepareIsotropicFlowGeometry(c);
    c.p = kSearchStep;
    c.HalfSpacing = Value(Guarded(c.S) / 2.0);
    c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
    c.LastStep = RoundStep(Guarded(c.HalfSpacing) / c.p);
    c.Tolerance = 0.0001;
    c.EntranceHead = EntranceHeadFor(c, c.HalfSpacing);
    if (c.LastStep < c.FirstStep) NoSoilBetweenDrains(c, "hydraulic conductivity");
    return SearchBracket{kLeastConductivity, kGreatestConductivity};
}

std::string EntranceNote(const DrainageCase& c) {
    if (c.EntranceHead < c.TargetHead) return "";
    return " The entrance resistance alone raises the water at the drain by " +
           MessageNumber(c.EntranceHead, 4) + " m, not less than Dw-Dm (" +
           MessageNumber(c.TargetHead, 4) + " m).";
}

RunError ConductivityNotFound(const DrainageCase& c, const SearchBracket& bracket, double K) {
    std::string why;
    switch (StallOf(bracket)) {
        case SearchStall::BelowBracket:
            why = " even the least permeable soil tried (K = " + MessageNumber(K, 3) +
                  " m/day) lets the midway water table fall deeper than Dm.";
            break;
        case SearchStall::AboveBracket:
            why = " even the most permeable soil tried (K = " + MessageNumber(K, 3) +
                  " m/day) holds the midway water table at or above the depth Dm." +
                  EntranceNote(c);
            break;
        case SearchStall::ClosedIn:
            why = " the search narrowed the conductivity down to " + MessageNumber(K, 6) +
                  " m/day without bringing the midway head within 0.0001 m of Dw-Dm.";
            break;
    }
    return RunError(Fault::SearchFailed, " The hydraulic conductivity could not be found:" + why);
}

// A midway head at or above the target means the soil drains too slowly.
DirectionRule ConductivityRule(double target) {
    return [target](double head) { return head >= target; };
}

double SearchConductivityDarcy(DrainageCase& c, SearchBracket& bracket, RunSink& sink,
                               const RunContext& run) {
    SearchAhead trials(c, DarcyMarchTrial(SetConductivity, ConductivityRule(c.TargetHead)), run);
    double K = c.R;
    RunOuterSearch(c, trials, bracket, K, sink,
                   {{}, [&] { return ConductivityNotFound(c, bracket, K); }});
    return K;
}

// The converged midway head decides the direction, the march head the end.
double SearchConductivityEnergy(DrainageCase& c, SearchBracket& bracket, RunSink& sink,
                                const RunContext& run) {
    SpacingClassProgress progress(sink, c.HalfSpacing, c.Tolerance);
    SearchAhead trials(c, MidHeadTrial(SetConductivity, 0.001, 100, ConductivityRule(c.TargetHead)),
                       run);
    double K = c.R;
    RunOuterSearch(c, trials, bracket, K, sink,
                   {[&](double deviation) {
                        if (!(deviation < c.Tolerance)) progress.Report(deviation);
                    },
                    [&] { return ConductivityNotFound(c, bracket, K); }});
    return K;
}

}  // namespace

EngineReport DarCond(DrainageCase& c, RunSink& sink, int threads) {
    const EngineRun engineRun(sink, threads);
    const RunContext& run = engineRun.Context();
    ReportWriter report;
    WriteConductivityFrame(report, c, Module::DarCond);
    SearchBracket bracket = PrepareConductivityRun(c);
    const double K = SearchConductivityDarcy(c, bracket, sink, run);

    // The energy bisection only gives the profile its assumed midway head.
    SolveEnergyMidHead(c, c.HalfSpacing, 500, 1000, {}, run);
    WriteProfile(c, report, run.stop);
    WriteResultBlock(report,
                     {" The average hydraulic conductivity (Darcy, m/d) is: ", K, 3, kSectionEnd},
                     " ", {CalcMethod::Darcy, c.FStar, Minus(c.Dw, c.FStar)},
                     {CalcMethod::EnergyBalance, c.F, Minus(c.Dw, c.F)});
    return FinishReport(report, run);
}

EngineReport EneCond(DrainageCase& c, RunSink& sink, int threads) {
    const EngineRun engineRun(sink, threads);
    const RunContext& run = engineRun.Context();
    ReportWriter report;
    WriteConductivityFrame(report, c, Module::EneCond);
    SearchBracket bracket = PrepareConductivityRun(c);
    const double K = SearchConductivityEnergy(c, bracket, sink, run);

    WriteProfile(c, report, run.stop);
    WriteResultBlock(report,
                     {" The average hydraulic conductivity (Energy, m/d) is: ", K, 3, kSectionEnd},
                     " ", {CalcMethod::EnergyBalance, c.F, Minus(c.Dw, c.F)},
                     {CalcMethod::Darcy, c.FStar, Minus(c.Dw, c.FStar)});
    return FinishReport(report, run);
}

}  // namespace pelorin
