#include "CaseFiles.h"

#include <optional>
#include <utility>

#include "FileSystem.h"

namespace pelorin {

namespace {

// A fault of the error list names the list and where it should have gone:
// the same fault of the input file reads differently.
std::string ErrorListFault(const std::string& errorListFile, int systemError) {
    const bool here = errorListFile.find('/') == std::string::npos;
    return "The error list " + errorListFile + " cannot be written" +
           (here ? " in the current folder" : "") + ": " + FileFault(systemError).what();
}

std::string ErrorListIsInput(const std::string& errorListFile, const std::string& inputFile) {
    return "The error list " + errorListFile + " cannot be written: it is the input file " +
           inputFile +
           ", which it would overwrite. Give the input file another name or run it "
           "from another folder.";
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

// The file side of an accepted case, at the moment the check has accepted it:
// the stale error list goes, the caller's sink is told, and the report is
// begun beside the input, so that a report that cannot be written stops the
// run before the engine starts.
class CaseFilesSink : public RunSink {
  public:
    CaseFilesSink(RunSink& sink, const CaseInput& input, const FileRunOptions& options,
                  FileRun& run)
        : sink_(sink), input_(input), options_(options), run_(run) {}

    void AddProgressLine(const std::string& line) override { sink_.AddProgressLine(line); }
    void ShowMessage(const std::string& message) override { sink_.ShowMessage(message); }
    bool StopRequested() override { return sink_.StopRequested(); }
    void CaseAccepted() override {
        const std::string inputPath = InFolder(options_.Folder, input_.InputFileName);
        if (std::string note = RemoveErrorList(options_.ErrorListFile, inputPath); !note.empty())
            run_.Notes.push_back(std::move(note));
        sink_.CaseAccepted();
        RefuseReportOverInput(inputPath);
        run_.ReportPath = InFolder(options_.Folder, input_.ReportFileName);
        if (const int error = report_.Begin(run_.ReportPath); error != 0) throw FileFault(error);
    }

    // Puts the finished report in place; a fault ends the run as a failure.
    void WriteReport(CaseOutcome& outcome) {
        int error = report_.Write(outcome.Report);
        if (error == 0) error = report_.Commit();
        if (error == 0) return;
        const RunError fault = FileFault(error);
        outcome.End = CaseEnd::Failed;
        outcome.FailureKind = fault.Kind();
        outcome.FailureMessage = fault.what();
    }

  private:
    // A report that would replace its input (the same name, a link to the
    // report's name, or a hard link of it) is refused before the engine runs.
    void RefuseReportOverInput(const std::string& inputPath) const {
        const std::string& report = input_.ReportFileName;
        if (report == input_.InputFileName) {
            throw RunError(Fault::FileAccessDenied,
                           " The report cannot be written: its name, " + report +
                               ", is the name of the input file, which it would overwrite. Give "
                               "the input file another extension, such as .inp.");
        }
        if (!IsInputFile(InFolder(options_.Folder, report), inputPath)) return;
        throw RunError(Fault::FileAccessDenied,
                       "The report " + report + " cannot be written: it is the input file " +
                           input_.InputFileName +
                           ", which it would overwrite. Give the input file another name.");
    }

    RunSink& sink_;
    const CaseInput& input_;
    const FileRunOptions& options_;
    FileRun& run_;
    FileReplacement report_;
};

}  // namespace

std::string InputNameRefusal(const std::string& inputFile) {
    if (inputFile.find_first_of("\r\n") == std::string::npos) return {};
    return "The name of the input file contains a line break (CR or LF), which would break the "
           "lines of its report. Give the file a name without one.";
}

bool IsInputFile(const std::string& name, const std::string& inputFile) {
    NodeInfo entry;
    NodeInfo input;
    InspectEntry(name, entry);
    InspectFile(inputFile, input);
    return SameFile(entry, input);
}

std::string ErrorListText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string WriteErrorList(const std::string& errorListFile, const std::vector<std::string>& lines,
                           const std::string& inputFile) {
    if (IsInputFile(errorListFile, inputFile)) return ErrorListIsInput(errorListFile, inputFile);
    bool begun = false;
    if (const int error = ReplaceFile(errorListFile, ErrorListText(lines), begun); error != 0)
        return ErrorListFault(errorListFile, error);
    return {};
}

std::string RemoveErrorList(const std::string& errorListFile, const std::string& inputFile) {
    if (IsInputFile(errorListFile, inputFile))
        return "The error list " + errorListFile + " was not removed: it is the input file " +
               inputFile + ".";
    if (const int error = RemoveEntry(errorListFile); error != 0)
        return "The error list " + errorListFile +
               " of an earlier run could not be removed: " + FileFault(error).what();
    return {};
}

FileRun RunCaseFile(const CaseInput& given, RunSink& sink, const FileRunOptions& options) {
    CaseInput input = given;
    if (input.ReportFileName.empty()) input.ReportFileName = ReportNameFor(input.InputFileName);
    FileRun run;
    CaseFilesSink files(sink, input, options, run);
    run.Outcome = Calculate(input, files, options.Threads);
    switch (run.Outcome.End) {
        case CaseEnd::Refused: {
            const std::string inputPath = InFolder(options.Folder, input.InputFileName);
            std::string note =
                WriteErrorList(options.ErrorListFile, run.Outcome.ErrorLines, inputPath);
            if (!note.empty()) run.Notes.push_back(std::move(note));
            break;
        }
        case CaseEnd::Reported: files.WriteReport(run.Outcome); break;
        case CaseEnd::Failed: break;
    }
    if (run.Outcome.End != CaseEnd::Reported) run.ReportPath.clear();
    return run;
}

FileRun RunInputFile(const std::string& inputFile, RunSink& sink, const FileRunOptions& options) {
    const InputReadResult read = ReadInputFile(InFolder(options.Folder, inputFile));
    if (read.Status != FileStatus::Ok) {
        FileRun run;
        run.ReadStatus = read.Status;
        run.ReadMessages = read.Messages;
        run.ReadFault = read.OpenFault;
        return run;
    }
    return RunCaseFile(CaseInputOf(read.Case, inputFile, ReportNameFor(inputFile)), sink, options);
}

}  // namespace pelorin
