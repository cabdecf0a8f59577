#pragma once

#include <string>

#include "Calculate.h"
#include "DrainageCase.h"
#include "RunSink.h"

namespace pelorin {

// What an engine hands back when its run ends normally: the report's text and
// the figures it prints.
struct EngineReport {
    std::string Text;
    CaseResults Results;
};

// The seven calculation modules. Each takes a case that its input check has
// accepted (the names the report prints set) and returns its report, leaving
// its results in the case. Faults, a search that cannot end and a stop
// request end a run with RunError, and no report comes out. The searches may
// use up to `threads` threads; the report, the progress lines and the messages
// are the same with any number.
EngineReport DarSpac(DrainageCase& c, RunSink& sink, int threads = 1);
EngineReport EneSpac(DrainageCase& c, RunSink& sink, int threads = 1);
EngineReport DarDisc(DrainageCase& c, RunSink& sink, int threads = 1);
EngineReport EneDisc(DrainageCase& c, RunSink& sink, int threads = 1);
EngineReport HydrHead(DrainageCase& c, RunSink& sink, int threads = 1);
EngineReport DarCond(DrainageCase& c, RunSink& sink, int threads = 1);
EngineReport EneCond(DrainageCase& c, RunSink& sink, int threads = 1);

// The engine of an aim and a method (the water-table depth has one for both).
EngineReport RunEngine(CalcAim aim, CalcMethod method, DrainageCase& c, RunSink& sink,
                       int threads = 1);

}  // namespace pelorin
