#include "Engines.h"

#include <algorithm>
#include <thread>

#include "EngineSupport.h"
#include "InputChecks.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "TextReader.h"

namespace pelorin {

namespace {

// A report that would replace its input (the input is a link to the report's
// name, or a hard link of it) is refused before the engine runs. Equal names
// are the engine's own refusal.
void RefuseReportOverInput(const DrainageCase& c) {
    const std::string report = ReportNameFor(c.InputFileName);
    if (report == c.InputFileName ||
        !IsInputFile(InCaseFolder(c, report), InCaseFolder(c, c.InputFileName)))
        return;
    throw RunError(Fault::FileAccessDenied, "The report " + report +
                                                " cannot be written: it is the input file " +
                                                c.InputFileName +
                                                ", which it would overwrite. Give the input file "
                                                "another name.");
}

}  // namespace

int DefaultThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

std::string InputNameRefusal(const std::string& inputFile) {
    if (inputFile.find_first_of("\r\n") == std::string::npos) return {};
    return "The name of the input file contains a line break (CR or LF), which would break the "
           "lines of its report. Give the file a name without one.";
}

namespace {

void RunEngineOf(CalcAim aim, CalcMethod method, DrainageCase& c, RunSink& sink, int threads) {
    const bool darcy = method == CalcMethod::Darcy;
    switch (aim) {
        case CalcAim::Spacing: return darcy ? DarSpac(c, sink, threads) : EneSpac(c, sink, threads);
        case CalcAim::Discharge:
            return darcy ? DarDisc(c, sink, threads) : EneDisc(c, sink, threads);
        case CalcAim::WaterTableDepth: return HydrHead(c, sink, threads);
        case CalcAim::Conductivity:
            return darcy ? DarCond(c, sink, threads) : EneCond(c, sink, threads);
    }
}

// Kv1 at or below R makes the spacing and depth checks cut the layers below
// the drains off (Kb1 = Kb2 = 0). At a drain with no width and no entrance
// resistance the flow then has no area to pass, and a march divides by zero:
// the bare fault would not tell the user which input led there.
bool NoFlowAreaAtDrain(CalcAim aim, const DrainageCase& c) {
    const bool cutOff = aim == CalcAim::Spacing || aim == CalcAim::WaterTableDepth;
    return cutOff && !(c.Kv1 > c.R) && c.HalfWidth == 0 && c.E == 0;
}

}  // namespace

void RunEngine(CalcAim aim, CalcMethod method, DrainageCase& c, RunSink& sink, int threads) {
    RefuseReportOverInput(c);
    try {
        RunEngineOf(aim, method, c, sink, threads);
    } catch (const RunError& fault) {
        if (fault.Kind() == Fault::DivisionByZero && NoFlowAreaAtDrain(aim, c)) {
            sink.ShowMessage(
                " Kv1 is not greater than R, so the layers below the drains carry no flow, and a "
                "pipe without entrance resistance then has no flow area at the drain. Give an "
                "entrance resistance or check Kv1.");
        }
        throw;
    }
}

namespace {

std::vector<std::string> ReadAllLines(const std::string& path) {
    TextReader reader(path);
    std::vector<std::string> lines;
    while (!reader.AtEnd()) lines.push_back(reader.ReadLine());
    return lines;
}

}  // namespace

RunOutcome RunCalculation(const RunRequest& request, RunSink& sink) {
    RunOutcome outcome;
    DrainageCase& c = outcome.Case;
    c.Title1 = request.Title1;
    c.Title2 = request.Title2;
    c.Aim = request.Aim;
    c.Method = request.Method;
    c.InputFileName = request.InputFile;
    c.Folder = request.Folder;
    const std::string inputPath = InCaseFolder(c, request.InputFile);
    if (const std::string refusal = InputNameRefusal(request.InputFile); !refusal.empty())
        throw RunError(Fault::InvalidFilename, refusal);
    if (CheckInput(request.Aim, c, inputPath, request.ErrorListFile)) {
        outcome.Refused = true;
        outcome.ErrorList = ReadAllLines(request.ErrorListFile);
        return outcome;
    }
    RemoveErrorList(request.ErrorListFile, inputPath);
    sink.CaseAccepted();
    RunEngine(request.Aim, request.Method, c, sink, request.Threads);
    outcome.ReportFile = InCaseFolder(c, c.ReportFileName);
    return outcome;
}

}  // namespace pelorin
