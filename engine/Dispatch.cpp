#include <cstdio>

#include "Engines.h"
#include "InputChecks.h"
#include "ReportWriter.h"
#include "TextReader.h"

namespace pelorin {

void RunEngine(CalcAim aim, CalcMethod method, DrainageCase& c, RunSink& sink) {
    const bool darcy = method == CalcMethod::Darcy;
    switch (aim) {
        case CalcAim::Spacing: return darcy ? DarSpac(c, sink) : EneSpac(c, sink);
        case CalcAim::Discharge: return darcy ? DarDisc(c, sink) : EneDisc(c, sink);
        case CalcAim::WaterTableDepth: return HydrHead(c, sink);
        case CalcAim::Conductivity: return darcy ? DarCond(c, sink) : EneCond(c, sink);
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
    if (CheckInput(request.Aim, c, request.InputFile, request.ErrorListFile)) {
        outcome.Refused = true;
        outcome.ErrorList = ReadAllLines(request.ErrorListFile);
        return outcome;
    }
    std::remove(request.ErrorListFile.c_str());
    c.Threads = request.Threads;
    RunEngine(request.Aim, request.Method, c, sink);
    outcome.ReportFile = c.ReportFileName;
    return outcome;
}

}  // namespace pelorin
