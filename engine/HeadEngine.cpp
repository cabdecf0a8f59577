#include "Engines.h"
#include "ProfileRoutine.h"
#include "ProgressLines.h"
#include "ReportFrame.h"
#include "ReportWriter.h"
#include "ResultBlock.h"
#include "RunMessages.h"
#include "SearchMessages.h"
#include "Speculation.h"

namespace pelorin {
namespace {

constexpr double kHeadStep = 0.00001;

void WriteHeadFrame(ReportWriter& report, const DrainageCase& c) {
    WriteReportHeader(report, c, Module::HydrHead);
    WriteInputEcho(report, c, LayoutOf(CalcAim::WaterTableDepth).echo);
    WriteTableHead(report, Module::HydrHead);
}

// The marches run with the fine step of the profile, so the midway head that
// they find is the one the profile is drawn with.
void PrepareHeadRun(DrainageCase& c) {
    PrepareFlowGeometry(c);
    c.p = kHeadStep;
    c.HalfSpacing = Value(Guarded(c.S) / 2.0);
    c.LastStep = RoundStep(Guarded(c.HalfSpacing) / c.p);
    c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
    c.EnergyMidHead = 500;
    c.EnergyMidHigh = 1000;
    c.EnergyMidLow = 0;
    c.EnergyMidPrev = 0;
    c.EntranceHead = Value(Guarded(2.0) * c.R * c.E * c.HalfSpacing);
    c.Tolerance = 0.0001;
    c.MarchGradient = 0;
    c.MarchHead = 0;
}

// The midway-head bisection with the progress lines between its marches;
// returns the head of its last march.
double SolveMidwayHead(DrainageCase& c, RunSink& sink, const RunContext& run) {
    SpacingClassProgress progress(sink, c.HalfSpacing, c.Tolerance);
    return SolveEnergyMidHead(
        c, c.HalfSpacing, c.EnergyMidHead, c.EnergyMidHigh,
        [&](double change) { progress.Report(change); }, run);
}

}  // namespace

EngineReport HydrHead(DrainageCase& c, RunSink& sink, int threads) {
    const EngineRun engineRun(sink, threads);
    const RunContext& run = engineRun.Context();
    ReportWriter report;
    WriteHeadFrame(report, c);
    PrepareHeadRun(c);
    const double head = SolveMidwayHead(c, sink, run);

    WriteProfile(c, report, run.stop);
    if (head > c.Dw) sink.ShowMessage(kWaterTableAboveSurface);
    report.Line(kSectionEnd);
    WriteMidwayResults(report, " ", {CalcMethod::EnergyBalance, head, Minus(c.Dw, head)},
                       {CalcMethod::Darcy, c.FStar, Minus(c.Dw, c.FStar)});
    report.Line(kSectionEnd);
    // The depth is what this aim seeks; the chosen method says by which method.
    CaseResults& results = report.Results();
    results.Sought = c.Method == CalcMethod::Darcy ? results.DepthDarcy : results.DepthEnergy;
    results.SoughtDecimals = 3;
    return FinishReport(report, run);
}

}  // namespace pelorin
