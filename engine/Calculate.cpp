#include "Calculate.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "Engines.h"
#include "InputChecks.h"

namespace pelorin {

namespace {

// Keeps the run's messages for the outcome while passing everything on to the
// caller's sink as it comes.
class KeepingMessages : public RunSink {
  public:
    KeepingMessages(RunSink& sink, std::vector<std::string>& messages)
        : sink_(sink), messages_(messages) {}
    void AddProgressLine(const std::string& line) override { sink_.AddProgressLine(line); }
    void ShowMessage(const std::string& message) override {
        messages_.push_back(message);
        sink_.ShowMessage(message);
    }
    bool StopRequested() override { return sink_.StopRequested(); }
    void CaseAccepted() override { sink_.CaseAccepted(); }

  private:
    RunSink& sink_;
    std::vector<std::string>& messages_;
};

bool HasLineBreak(const std::string& name) {
    return name.find_first_of("\r\n") != std::string::npos;
}

void CopyIdentity(const CaseInput& input, DrainageCase& c) {
    c.Title1 = input.Title1;
    c.Title2 = input.Title2;
    c.Aim = input.Aim;
    c.Method = input.Method;
    c.InputFileName = input.InputFileName;
    c.ReportFileName = input.ReportFileName;
}

void Fail(CaseOutcome& outcome, const RunError& error) {
    outcome.End = CaseEnd::Failed;
    outcome.FailureKind = error.Kind();
    outcome.FailureMessage = error.what();
}

}  // namespace

int DefaultThreads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

EngineReport RunEngine(CalcAim aim, CalcMethod method, DrainageCase& c, RunSink& sink,
                       int threads) {
    const bool darcy = method == CalcMethod::Darcy;
    switch (aim) {
        case CalcAim::Spacing: return darcy ? DarSpac(c, sink, threads) : EneSpac(c, sink, threads);
        case CalcAim::Discharge:
            return darcy ? DarDisc(c, sink, threads) : EneDisc(c, sink, threads);
        case CalcAim::WaterTableDepth: return HydrHead(c, sink, threads);
        case CalcAim::Conductivity:
            return darcy ? DarCond(c, sink, threads) : EneCond(c, sink, threads);
    }
    return HydrHead(c, sink, threads);
}

CaseOutcome Calculate(const CaseInput& input, RunSink& sink, int threads) {
    CaseOutcome outcome;
    DrainageCase& c = outcome.Case;
    CopyIdentity(input, c);
    if (HasLineBreak(input.InputFileName) || HasLineBreak(input.ReportFileName)) {
        Fail(outcome, RunError(Fault::InvalidFilename,
                               "The name of the input file contains a line break (CR or LF), "
                               "which would break the lines of its report. Give the file a name "
                               "without one."));
        return outcome;
    }
    LoadCaseNumbers(input, c);
    if (const std::vector<std::string> errors = CheckInput(input.Aim, c); !errors.empty()) {
        outcome.End = CaseEnd::Refused;
        outcome.ErrorLines = ErrorListLines(errors);
        return outcome;
    }
    KeepingMessages keeping(sink, outcome.Messages);
    try {
        keeping.CaseAccepted();
        EngineReport report = RunEngine(input.Aim, input.Method, c, keeping, threads);
        outcome.End = CaseEnd::Reported;
        outcome.Report = std::move(report.Text);
        outcome.Results = std::move(report.Results);
    } catch (const RunError& error) {
        Fail(outcome, error);
    }
    return outcome;
}

}  // namespace pelorin
