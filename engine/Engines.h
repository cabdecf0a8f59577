#pragma once

#include <string>
#include <vector>

#include "DrainageCase.h"
#include "InputChecks.h"
#include "RunSink.h"

namespace pelorin {

// The seven calculation modules. Each takes a case that its input check has
// accepted (InputFileName set), writes the report beside the input file and
// leaves its results in the case. Faults, a search that cannot end and a stop
// request end a run with RunError; the previous report is then left intact.
// The searches may use up to `threads` threads; the report, the progress lines
// and the messages are the same with any number.
void DarSpac(DrainageCase& c, RunSink& sink, int threads = 1);
void EneSpac(DrainageCase& c, RunSink& sink, int threads = 1);
void DarDisc(DrainageCase& c, RunSink& sink, int threads = 1);
void EneDisc(DrainageCase& c, RunSink& sink, int threads = 1);
void HydrHead(DrainageCase& c, RunSink& sink, int threads = 1);
void DarCond(DrainageCase& c, RunSink& sink, int threads = 1);
void EneCond(DrainageCase& c, RunSink& sink, int threads = 1);

// Why a file of this name cannot be run (its name holds CR or LF, which would
// break the lines of the report and the error list); empty when it can.
std::string InputNameRefusal(const std::string& inputFile);

// The engine of an aim and a method (the water-table depth has one for both).
void RunEngine(CalcAim aim, CalcMethod method, DrainageCase& c, RunSink& sink, int threads = 1);

// The threads the programs give a run: every core.
int DefaultThreads();

// A whole calculation from an input file: the check of the aim, then, for an
// accepted case, the error list deleted, the sink told (CaseAccepted) and the
// engine run. The one dispatcher of both programs.
struct RunRequest {
    std::string InputFile;
    std::string Title1;
    std::string Title2;
    CalcAim Aim = CalcAim::Spacing;
    CalcMethod Method = CalcMethod::EnergyBalance;
    std::string ErrorListFile = kErrorListFile;
    int Threads = 1;  // how many threads the engine's searches may use
    // The folder the input file's name is relative to (empty: the current
    // folder): the report is written there and names the files as a run inside
    // that folder would. The error list's name is taken as it is.
    std::string Folder = {};
};

struct RunOutcome {
    bool Refused = false;
    std::vector<std::string> ErrorList;  // the lines of the error list of a refused case
    std::string ReportFile;              // the report of an accepted case
    DrainageCase Case;
};

RunOutcome RunCalculation(const RunRequest& request, RunSink& sink);

}  // namespace pelorin
