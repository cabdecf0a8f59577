#pragma once

// A case's files: the report named after the input file, the error list of a
// refused case, and the run of one input file from the disk to the disk. The
// calculation itself happens in memory (engine/Calculate.h); this is where its
// outcome meets the file system.

#include <string>
#include <vector>

#include "Calculate.h"
#include "InputFile.h"
#include "ReportNames.h"
#include "RunError.h"
#include "RunSink.h"

namespace pelorin {

// Why a file of this name cannot be run (its name holds CR or LF, which would
// break the lines of the report and the error list); empty when it can.
std::string InputNameRefusal(const std::string& inputFile);

// Whether the folder entry `name` is the input file itself (the same file, by
// device and inode, whatever the spelling): writing or deleting it would
// destroy the input.
bool IsInputFile(const std::string& name, const std::string& inputFile);

// The error list's text: its lines, each ended by CR LF.
std::string ErrorListText(const std::vector<std::string>& lines);

// Writes the error list of a refused case; empty, or why it could not be
// written (it is the input file, or the file layer's fault).
std::string WriteErrorList(const std::string& errorListFile, const std::vector<std::string>& lines,
                           const std::string& inputFile);

// Removes a stale error list before an accepted case runs: a link there is
// removed, not followed, and the input file is never removed. Empty, or a note
// saying why it is still there.
std::string RemoveErrorList(const std::string& errorListFile, const std::string& inputFile);

// How RunInputFile runs a file.
struct FileRunOptions {
    int Threads = 1;  // how many threads the engine's searches may use
    // The error list's name, taken as it is (relative to the current folder).
    std::string ErrorListFile = "Error.lst";
    // The folder the input file's name is relative to (empty: the current
    // folder): the report is written there and names the files as a run
    // inside that folder would.
    std::string Folder = {};
};

// What came of running an input file.
struct FileRun {
    // The reader's word on the file: when it is not Ok, ReadMessages say why
    // and nothing was run.
    FileStatus ReadStatus = FileStatus::Ok;
    std::vector<std::string> ReadMessages;
    Fault ReadFault = Fault::FileNotFound;  // why it could not be opened (CannotOpen)
    CaseOutcome Outcome;
    std::string ReportPath;  // where the report of a Reported case was written
    // Notes on the error list: a refused case whose list could not be written,
    // or a stale list that could not be removed.
    std::vector<std::string> Notes;
    bool Ran() const { return ReadStatus == FileStatus::Ok; }
};

// Runs one input file: read once, calculated in memory, then, for a refused
// case, the error list written; for an accepted one, a stale error list
// removed before the engine starts and the report written beside the input
// file when the run ends normally (a run that fails leaves the previous report
// as it was). A report that would overwrite its input is refused, and a report
// that cannot be begun stops the run before the engine starts.
FileRun RunInputFile(const std::string& inputFile, RunSink& sink, const FileRunOptions& options);

// The same for a case already read (the desktop's, a study's): the case's
// text is not read again, and nothing but the report and the error list is
// written.
FileRun RunCaseFile(const CaseInput& input, RunSink& sink, const FileRunOptions& options);

}  // namespace pelorin
