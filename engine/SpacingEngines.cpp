#include <algorithm>
#include <string>
#include <utility>

#include "Bisection.h"
#include "Engines.h"
#include "OuterSearch.h"
#include "ProfileRoutine.h"
#include "ProgressLines.h"
#include "ReportFrame.h"
#include "ReportWriter.h"
#include "ResultBlock.h"
#include "RunMessages.h"
#include "SearchAhead.h"
#include "SearchMessages.h"
#include "Speculation.h"

namespace pelorin {
namespace {

constexpr double kWidestHalfSpacing = 1000;

void WriteSpacingFrame(ReportWriter& report, const DrainageCase& c, Module module) {
    WriteReportHeader(report, c, module);
    WriteInputEcho(report, c, LayoutOf(CalcAim::Spacing).echo);
    WriteTableHead(report, module);
}

// The bracket of the half spacing runs from the half width of the water body
// to 1000 m.
SearchBracket PrepareSpacingRun(DrainageCase& c, RunSink& sink) {
    PrepareFlowGeometry(c);
    c.p = 0.01;
    const SearchBracket bracket{c.HalfWidth, kWidestHalfSpacing};
    c.HalfSpacing = c.HalfWidth;
    if (Minus(c.Dw, c.Dm) < kShortSpacingHead) {
        // A short spacing needs a finer step.
        c.p = 0.0001;
        c.HalfSpacing = 0.01;
        sink.ShowMessage(kShortSpacing);
    }
    // The marches start at the edge of the water body in the drain, counted in
    // the step in force: counted in the coarse step, the fine marches of a
    // short spacing would start inside a ditch and overrate the head.
    c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
    c.EnergyMidLow = 0;
    c.EnergyMidPrev = 0;
    c.Tolerance = 0.0001;
    c.MarchHead = 0;
    c.MarchGradient = 0;
    return bracket;
}

RunError SpacingNotFound(const DrainageCase& c, const SearchBracket& bracket) {
    std::string why;
    switch (StallOf(bracket)) {
        case SearchStall::AboveBracket:
            why = " even the widest spacing tried (" + MessageNumber(2 * kWidestHalfSpacing, 0) +
                  " m) keeps the midway water table deeper than Dm. The soil drains this "
                  "recharge too easily for drains to be needed at that depth.";
            break;
        case SearchStall::BelowBracket:
            why = " even the narrowest spacing keeps the midway water table above Dm.";
            break;
        case SearchStall::ClosedIn:
            why = " the search narrowed the spacing down to " +
                  MessageNumber(2 * c.HalfSpacing, 4) +
                  " m without bringing the midway head within 0.0001 m of Dw-Dm.";
            break;
    }
    return RunError(Fault::SearchFailed, " The drain spacing could not be found:" + why);
}

void SetHalfSpacing(DrainageCase& c, double L) {
    c.HalfSpacing = L;
    c.EntranceHead = EntranceHeadFor(c, L);
}

// A midway head below the target means the trial spacing is too narrow.
DirectionRule SpacingRule(double target) {
    return [target](double head) { return head < target; };
}

void SearchSpacingDarcy(DrainageCase& c, SearchBracket& bracket, RunSink& sink,
                        const RunContext& run) {
    SearchAhead trials(c, DarcyMarchTrial(SetHalfSpacing, SpacingRule(c.TargetHead)), run);
    RunOuterSearch(c, trials, bracket, c.HalfSpacing, sink,
                   {{}, [&] { return SpacingNotFound(c, bracket); }});
}

// Whether the Darcy midway head of the profile misses the required head by
// more than the method's own error (a few per cent): the search's coarser
// march then misjudged the head, as it does where the transmissivity near the
// drain is tiny and the first steps' gradients are huge.
bool ProfileMissesTarget(const DrainageCase& c) {
    return AbsDiff(c.FStar, c.TargetHead) > std::max(0.005, Value(Guarded(0.05) * c.TargetHead));
}

// The Darcy spacing search, the energy balance of the spacing found and the
// profile. Where the profile's fine march disagrees with the head the search
// met, the whole search runs again from its start with a step ten times finer,
// down to the profile's own step, where its result stands. A closed-in note is
// given only for the search whose result stands.
void SearchSpacingDarcyUntilProfileAgrees(DrainageCase& c, const SearchBracket& start,
                                          ReportWriter& report, RunSink& sink,
                                          const RunContext& run) {
    const DrainageCase startCase = c;
    for (;;) {
        DeferredMessages searchMessages(sink);
        SearchBracket bracket = start;
        SearchSpacingDarcy(c, bracket, searchMessages, run);
        const double searchStep = c.p;

        c.EntranceHead = EntranceHeadFor(c, c.HalfSpacing);
        SolveEnergyMidHead(c, c.HalfSpacing, 500, 1000, {}, run);
        ReportWriter profile;
        WriteProfile(c, profile, run.stop);
        if (searchStep <= kProfileStep || !ProfileMissesTarget(c)) {
            searchMessages.Deliver();
            report.Text(profile.Contents());
            report.Results().Profile = std::move(profile.Results().Profile);
            return;
        }

        const double misjudged = AbsDiff(c.FStar, c.TargetHead);
        c = startCase;
        c.p = searchStep / 10;
        c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
        sink.ShowMessage(" The spacing was searched again with a step of " + StepText(c.p) +
                         " m: the coarser step misjudged the midway head by " +
                         MessageNumber(misjudged, 3) + " m.");
    }
}

// Returns the head of the last march of the last midway-head bisection. The
// assumed midway head decides the direction, the march head the end.
double SearchSpacingEnergy(DrainageCase& c, SearchBracket& bracket, RunSink& sink,
                           const RunContext& run) {
    ProgressLine stillWorking(sink, " Still working ...");
    const auto setHalfSpacing = [](DrainageCase& trial, double L) {
        trial.MarchHead = 0;
        trial.MarchGradient = 0;
        SetHalfSpacing(trial, L);
    };
    SearchAhead trials(c, MidHeadTrial(setHalfSpacing, 500, 1000, SpacingRule(c.TargetHead)), run);
    return RunOuterSearch(
        c, trials, bracket, c.HalfSpacing, sink,
        {[&](double deviation) { stillWorking.AddOnceWhen(deviation < 100 * c.Tolerance); },
         [&] { return SpacingNotFound(c, bracket); }});
}

}  // namespace

EngineReport DarSpac(DrainageCase& c, RunSink& sink, int threads) {
    const EngineRun engineRun(sink, threads);
    const RunContext& run = engineRun.Context();
    ReportWriter report;
    WriteSpacingFrame(report, c, Module::DarSpac);
    const SearchBracket start = PrepareSpacingRun(c, sink);
    SearchSpacingDarcyUntilProfileAgrees(c, start, report, sink, run);
    WriteResultBlock(
        report, {" The drain spacing (Darcy,  m) is: ", Value(Guarded(2.0) * c.HalfSpacing), 2, ""},
        " ", {CalcMethod::Darcy, c.FStar, Minus(c.Dw, c.FStar)},
        {CalcMethod::EnergyBalance, c.F, Minus(c.Dw, c.EnergyMidHead)});
    return FinishReport(report, run);
}

EngineReport EneSpac(DrainageCase& c, RunSink& sink, int threads) {
    const EngineRun engineRun(sink, threads);
    const RunContext& run = engineRun.Context();
    ReportWriter report;
    WriteSpacingFrame(report, c, Module::EneSpac);
    SearchBracket bracket = PrepareSpacingRun(c, sink);
    const double H = SearchSpacingEnergy(c, bracket, sink, run);

    WriteProfile(c, report, run.stop);
    WriteResultBlock(
        report, {" The drain spacing (energy, m) is: ", Value(Guarded(2.0) * c.HalfSpacing), 2, ""},
        " ", {CalcMethod::EnergyBalance, H, Minus(c.Dw, H)},
        {CalcMethod::Darcy, c.FStar, Minus(c.Dw, c.FStar)});
    return FinishReport(report, run);
}

}  // namespace pelorin
