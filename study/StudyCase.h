#pragma once

// One case of a study: a row turned into an input file by the program's own
// writer and run as `pelorin-cli run NAME.inp` would run it inside its folder,
// and its result line.

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "CaseTable.h"
#include "InputFile.h"

namespace pelorin::study {

enum class CaseStatus { Ok, Refused, Failed };

// The result of one case, the fields of its line of RESULTS.csv as texts, in
// the units of its row.
struct CaseResult {
    long Row = 0;
    std::string Name;
    std::string Aim;     // the aim code ("Spa"), or the row's text when it was not understood
    std::string Method;  // the method code ("Ene")
    // The numbers the input file holds (with its decimals; in US units shown
    // back with the decimals that give them again), by Quantity; empty for a
    // quantity the aim does not use.
    std::array<std::string, kQuantityCount> Values;
    CaseStatus Status = CaseStatus::Failed;
    std::string Result;  // the sought quantity by the chosen method, as the report prints it
    std::string HeadDarcy;
    std::string HeadEnergy;
    std::string DepthDarcy;
    std::string DepthEnergy;
    std::string Message;  // error list, failure text or the run's messages, lines joined by " | "
    double Seconds = 0;
};

// A row made ready to run: its input file's image, or why it cannot run.
struct PreparedCase {
    std::string Problem;  // empty when the row can run
    InputCase Input;
};

// A number as a table or a variation gives it: '.' decimals, or ',' in a ';'
// table; a leading '+' allowed; finite. Nothing when the text is no such number.
std::optional<double> NumberOfText(std::string text, bool commaDecimals);

// Why a name cannot be a case's file name (empty, "." or "..", a '/', a control
// character); empty when it can.
std::string CaseNameProblem(const std::string& name);

// Judges the row: its name, aim ("Spa"/"spacing", ...), method ("Ene"/"Dar";
// may be empty for the water-table depth, which has one engine) and every
// number its aim uses.
PreparedCase PrepareCase(const CaseRow& row);

struct CaseRunOptions {
    std::string Folder;  // where NAME.inp, NAME.out and NAME.lst are written, a private one
    std::string KeepIn;  // where they are put in place after the run (--reports); empty:
                         // they are removed
    int Threads = 1;     // the threads the case's searches may use
};

// Runs one row. Returns false when the stop flag ended the run before its
// result was known (nothing to report for it).
bool RunCase(const CaseRow& row, const CaseRunOptions& options, const std::atomic<bool>& stop,
             CaseResult& result);

// RESULTS.csv: its header line and a result's line (comma-separated, '.'
// decimals, fields quoted as RFC 4180 wants, lines ended by LF). In US units
// the header names the unit of every column of numbers; an SI header names none.
std::string ResultsHeaderLine(UnitSystem units = UnitSystem::SI);
std::string ResultLine(const CaseResult& result);

const char* StatusText(CaseStatus status);

}  // namespace pelorin::study
