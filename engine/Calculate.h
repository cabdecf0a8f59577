#pragma once

// The one calculation of the program, in memory: a case as its input file
// holds it goes in, and out comes either the refusal of its input check, the
// failure of its run, or its report with the figures the report prints. No
// file is opened, written or removed on the way; the programs read the input
// file and put the report and the error list on the disk themselves (see
// casefiles/CaseFiles.h), and the page and the studies never touch a file.
//
// Every front end (the desktop, pelorin-cli, the studies, the page, the fuzz
// targets and bindings to other languages) calls Calculate, so a case gives
// the same bytes whichever of them runs it.

#include <array>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "RunError.h"
#include "RunSink.h"

namespace pelorin {

// The numbers of an input file, position by position (1 to 13 in the file).
inline constexpr int kCaseNumberCount = 13;

// A case as its input file holds it.
struct CaseInput {
    std::string Title1;
    std::string Title2;
    CalcAim Aim = CalcAim::Spacing;
    CalcMethod Method = CalcMethod::EnergyBalance;
    // The 13 numbers as read, in the order of the file; which quantity each
    // position holds depends on the aim (engine/CaseLayout.h). Positions the
    // aim does not use are not looked at.
    std::array<double, kCaseNumberCount> Numbers{};
    // How many numbers the file held; the others were taken as 0.
    int NumbersRead = kCaseNumberCount;
    // The names the report prints as its input and output files (the lines
    // " Name of input file used:" and " Name of this output file:"). They are
    // texts only: nothing is read or written under these names here. A name
    // with a line break (CR or LF) is refused, as it would break the report.
    std::string InputFileName;
    std::string ReportFileName;
};

// One row of a report's profile table, as numbers.
struct ProfileFigures {
    double X = 0;
    double FStar = 0;   // F*, hydraulic head by Darcy
    double GStarP = 0;  // G*/p
    double F = 0;       // hydraulic head by the energy balance
    double GP = 0;      // G/p
    double T1 = 0;
    double T2 = 0;
};

// The figures of a report, as the numbers it prints (before rounding).
struct CaseResults {
    // The quantity the aim seeks, by the chosen method: the drain spacing (m),
    // the discharge (m/day), the midway water-table depth (m) or the
    // conductivity (m/day); the report prints it with SoughtDecimals decimals.
    double Sought = 0;
    int SoughtDecimals = 0;
    // The midway heads and water-table depths by both methods (3 decimals).
    double HeadDarcy = 0;
    double HeadEnergy = 0;
    double DepthDarcy = 0;
    double DepthEnergy = 0;
    // The rows of the profile table, top down.
    std::vector<ProfileFigures> Profile;
};

enum class CaseEnd {
    Reported,  // the report and its figures
    Refused,   // the input check found errors: ErrorLines
    Failed,    // the run stopped on a fault, found no answer or was stopped
};

struct CaseOutcome {
    CaseEnd End = CaseEnd::Failed;
    // Refused: the lines of the error list, without line ends, exactly as the
    // file Error.lst holds them (each there ended by CR LF).
    std::vector<std::string> ErrorLines;
    // Failed: what stopped the run, and its text as the user is shown it.
    Fault FailureKind = Fault::IoError;
    std::string FailureMessage;
    bool Cancelled() const { return End == CaseEnd::Failed && FailureKind == Fault::Cancelled; }
    // Reported: the report's bytes (lines ended by CR LF) and its figures.
    std::string Report;
    CaseResults Results;
    // The messages of the run (each also given to the sink as it came), in order.
    std::vector<std::string> Messages;
    // The case as the check and the engine left it (derived quantities,
    // flow geometry, the state of the last march).
    DrainageCase Case;
};

// The run of one case: the input check of its aim, then, for an accepted case,
// sink.CaseAccepted() and the engine of its aim and method. Progress lines,
// messages and the stop request go through `sink` while the run lasts; the
// searches may use up to `threads` threads, and the outcome is the same with
// any number. A RunError that the sink throws (from CaseAccepted, say) ends
// the run as a failure like any fault of the engine.
CaseOutcome Calculate(const CaseInput& input, RunSink& sink, int threads = 1);

// What a run says of a file that ends before its 13th number (the missing
// ones run as 0, which stored files may rely on); empty for a whole file.
std::string MissingNumbersMessage(int numbersRead);

// The threads the programs give a run: every core.
int DefaultThreads();

}  // namespace pelorin
