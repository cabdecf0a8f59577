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

constexpr double kLeastDischarge = 0.0001;
constexpr double kGreatestDischarge = 10;
constexpr double kSearchStep = 0.001;

void WriteDischargeFrame(ReportWriter& report, const DrainageCase& c, Module module) {
    WriteReportHeader(report, c, module);
    WriteInputEcho(report, c, LayoutOf(CalcAim::Discharge).echo);
    WriteTableHead(report, module);
}

// The start-up of both discharge engines; the discharge R starts at the low
// end of the bracket. A spacing that leaves no step to march is refused here:
// every trial would keep the head of the start and the search could not end.
SearchBracket PrepareDischargeRun(DrainageCase& c) {
    PrepareFlowGeometry(c);
    c.p = kSearchStep;
    c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
    const SearchBracket bracket{kLeastDischarge, kGreatestDischarge};
    c.R = bracket.low;
    c.HalfSpacing = Value(Guarded(c.S) / 2.0);
    c.EnergyMidLow = 0;
    c.EnergyMidPrev = 0;
    c.Tolerance = 0.0001;
    c.MarchGradient = 0;
    c.MarchHead = 0;
    if (NoStepPossible(c, c.HalfSpacing)) NoSoilBetweenDrains(c, "drain discharge");
    return bracket;
}

RunError DischargeNotFound(const DrainageCase& c, const SearchBracket& bracket) {
    std::string why;
    switch (StallOf(bracket)) {
        case SearchStall::BelowBracket:
            why = " even the least discharge tried (" + MessageNumber(c.R, 5) +
                  " m/day) holds the midway water table at or above the depth Dm.";
            break;
        case SearchStall::AboveBracket:
            why = " even the greatest discharge tried (" + MessageNumber(c.R, 5) +
                  " m/day) lets the midway water table fall deeper than Dm.";
            break;
        case SearchStall::ClosedIn:
            why = " the search narrowed the discharge down to " + MessageNumber(c.R, 8) +
                  " m/day without bringing the midway head within 0.0001 m of Dw-Dm.";
            break;
    }
    return RunError(Fault::SearchFailed, " The drain discharge could not be found:" + why);
}

void SetDischarge(DrainageCase& c, double R) {
    c.R = R;
    c.EntranceHead = EntranceHeadFor(c, c.HalfSpacing);
}

// A midway head at or above the target means the trial discharge is too large.
DirectionRule DischargeRule(double target) {
    return [target](double head) { return !(head >= target); };
}

void SearchDischargeDarcy(DrainageCase& c, SearchBracket& bracket, RunSink& sink,
                          const RunContext& run) {
    SpacingClassProgress progress(sink, c.HalfSpacing, c.Tolerance);
    SearchAhead trials(c, DarcyMarchTrial(SetDischarge, DischargeRule(c.TargetHead)), run);
    RunOuterSearch(c, trials, bracket, c.R, sink,
                   {[&](double deviation) {
                        if (!(deviation < c.Tolerance)) progress.Report(deviation);
                    },
                    [&] { return DischargeNotFound(c, bracket); }});
}

// Returns the head of the last march of the last midway-head bisection. The
// assumed midway head decides the direction, the march head the end.
double SearchDischargeEnergy(DrainageCase& c, SearchBracket& bracket, RunSink& sink,
                             const RunContext& run) {
    ProgressLine stillWorking(sink, " Still working ...");
    const auto setDischarge = [](DrainageCase& trial, double R) {
        trial.MarchHead = 0;
        trial.MarchGradient = 0;
        SetDischarge(trial, R);
    };
    SearchAhead trials(c, MidHeadTrial(setDischarge, 500, 1000, DischargeRule(c.TargetHead)), run);
    return RunOuterSearch(
        c, trials, bracket, c.R, sink,
        {[&](double deviation) { stillWorking.AddOnceWhen(deviation < 100 * c.Tolerance); },
         [&] { return DischargeNotFound(c, bracket); }});
}

}  // namespace

EngineReport DarDisc(DrainageCase& c, RunSink& sink, int threads) {
    const EngineRun engineRun(sink, threads);
    const RunContext& run = engineRun.Context();
    ReportWriter report;
    WriteDischargeFrame(report, c, Module::DarDisc);
    SearchBracket bracket = PrepareDischargeRun(c);
    SearchDischargeDarcy(c, bracket, sink, run);

    // The energy bisection only gives the profile its assumed midway head.
    c.EntranceHead = EntranceHeadFor(c, c.HalfSpacing);
    SolveEnergyMidHead(c, c.HalfSpacing, 500, 1000, {}, run);
    WriteProfile(c, report, run.stop);
    WriteResultBlock(report, {" Drain discharge (Darcy, m/day) is: ", c.R, 5, ""}, "  ",
                     {CalcMethod::Darcy, c.FStar, Minus(c.Dw, c.FStar)},
                     {CalcMethod::EnergyBalance, c.F, Minus(c.Dw, c.F)});
    return FinishReport(report, run);
}

EngineReport EneDisc(DrainageCase& c, RunSink& sink, int threads) {
    const EngineRun engineRun(sink, threads);
    const RunContext& run = engineRun.Context();
    ReportWriter report;
    WriteDischargeFrame(report, c, Module::EneDisc);
    SearchBracket bracket = PrepareDischargeRun(c);
    const double head = SearchDischargeEnergy(c, bracket, sink, run);

    WriteProfile(c, report, run.stop);
    // The energy head is the search's own, from its coarser step.
    WriteResultBlock(report, {" The discharge (energy, m/day) is: ", c.R, 5, ""}, " ",
                     {CalcMethod::EnergyBalance, head, Minus(c.Dw, head)},
                     {CalcMethod::Darcy, c.FStar, Minus(c.Dw, c.FStar)});
    return FinishReport(report, run);
}

}  // namespace pelorin
