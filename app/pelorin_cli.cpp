// pelorin-cli: runs drainage cases from their input files without a window.

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "Engines.h"
#include "FileSystem.h"
#include "InputFile.h"
#include "RunError.h"
#ifdef PELORIN_WITH_GRAPH
#include "GraphCommand.h"
#endif
#ifdef PELORIN_WITH_DOCUMENTS
#include "DesignSheetCommand.h"
#endif

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  pelorin-cli run FILE [FILE ...]   run each input file; its report is written\n"
    "                                    beside it with the extension .out\n"
    "  pelorin-cli run --threads N FILE [FILE ...]\n"
    "                                    the same, a search using up to N threads\n"
    "                                    (default: every core); the reports do not\n"
    "                                    depend on N\n"
#ifdef PELORIN_WITH_GRAPH
    "  pelorin-cli graph [--bw] REPORT IMAGE\n"
    "                                    draw the water table of a report in colour\n"
    "                                    (black and white with --bw) and write it as\n"
    "                                    a Windows bitmap, or PNG, SVG or PDF when\n"
    "                                    IMAGE ends in .png, .svg or .pdf; exit\n"
    "                                    status 0 when written, else 2\n"
#endif
#ifdef PELORIN_WITH_DOCUMENTS
    "  pelorin-cli pdf REPORT OUT.pdf    make the design sheet of a report (titles,\n"
    "                                    input table, results, water-table graph and\n"
    "                                    profile table on A4 pages) and write it as\n"
    "                                    PDF; exit status 0 when written, else 2\n"
#endif
    "  pelorin-cli --help                show this text\n"
    "  pelorin-cli --version             show the version\n"
    "\n"
    "Each case is checked first; a refused case leaves its error list in Error.lst\n"
    "(current folder) and prints it. Progress lines and messages go to standard error.\n"
    "Exit status: 0 every file gave its report; 1 a case was refused and none failed;\n"
    "2 a file could not be read or a run ended with an error.\n";

// Progress lines and messages of a run, one a line on standard error; a
// message is acknowledged at once so the run goes on.
class StderrSink : public pelorin::RunSink {
  public:
    void AddProgressLine(const std::string& line) override { std::cerr << line << '\n'; }
    void ShowMessage(const std::string& message) override { std::cerr << message << '\n'; }
};

enum class FileOutcome { Reported = 0, Refused = 1, Failed = 2 };

// Why a name cannot be run, said before anything is read or written; empty
// when it can. A FIFO or a device is not even opened: it could hang the run or
// be read twice, and its report would land among the devices.
std::string RefusalBeforeReading(const std::string& fileName) {
    if (std::string refusal = pelorin::InputNameRefusal(fileName); !refusal.empty()) return refusal;
    pelorin::NodeInfo info;
    pelorin::InspectFile(fileName, info);
    const bool stream =
        info.Kind == pelorin::NodeKind::Other ||
        (info.Kind == pelorin::NodeKind::Regular && pelorin::LeadsToADescriptor(fileName));
    if (!stream) return {};
    return "not a regular file (a device, a FIFO or a stream): an input file must be a regular "
           "file, beside which its report is written; it was not read";
}

FileOutcome RunFile(const std::string& fileName, int threads) {
    if (const std::string refusal = RefusalBeforeReading(fileName); !refusal.empty()) {
        std::cerr << fileName << ": " << refusal << '\n';
        return FileOutcome::Failed;
    }
    const pelorin::InputReadResult input = pelorin::ReadInputFile(fileName);
    if (input.Status != pelorin::FileStatus::Ok) {
        for (const std::string& message : input.Messages)
            std::cerr << fileName << ": " << message << '\n';
        return FileOutcome::Failed;
    }
    pelorin::RunRequest request;
    request.InputFile = fileName;
    request.Title1 = input.Case.Title1;
    request.Title2 = input.Case.Title2;
    request.Aim = *pelorin::AimFromCode(input.Case.AimCode);
    request.Method = pelorin::MethodFromCode(input.Case.MethodCode);
    request.Threads = threads;
    StderrSink sink;
    try {
        const pelorin::RunOutcome outcome = pelorin::RunCalculation(request, sink);
        if (outcome.Refused) {
            std::cerr << fileName << ": the case was refused by its input check (Error.lst):\n";
            for (const std::string& line : outcome.ErrorList) std::cerr << line << '\n';
            return FileOutcome::Refused;
        }
        std::cout << outcome.ReportFile << '\n';
        return FileOutcome::Reported;
    } catch (const pelorin::RunError& error) {
        std::cerr << fileName << ": " << error.what() << '\n';
        return FileOutcome::Failed;
    }
}

// The count of "--threads N": a whole number from 1 to 1024, else 0.
int ParseThreads(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || value < 1 || value > 1024) return 0;
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    // Before any file is opened: closed standard streams must not be taken by
    // a report, whose lines they would then receive.
    pelorin::KeepStandardStreamsOpen();
    pelorin::RemoveTemporaryFilesOnSignals();
    // A write beyond the file-size limit fails with a "Disk full" message
    // instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (args[0] == "--version") {
        std::cout << "pelorin-cli " << PELORIN_VERSION << '\n';
        return 0;
    }
#ifdef PELORIN_WITH_GRAPH
    if (args[0] == "graph") return pelorin::graph::RunGraphCommand({args.begin() + 1, args.end()});
#endif
#ifdef PELORIN_WITH_DOCUMENTS
    if (args[0] == "pdf") return pelorin::documents::RunPdfCommand({args.begin() + 1, args.end()});
#endif
    std::size_t firstFile = 1;
    int threads = pelorin::DefaultThreads();
    if (args.size() >= 3 && args[0] == "run" && args[1] == "--threads") {
        threads = ParseThreads(args[2]);
        firstFile = 3;
    }
    if (args[0] != "run" || args.size() <= firstFile || threads == 0) {
        std::cerr << kUsage;
        return 2;
    }
    int status = 0;
    for (std::size_t i = firstFile; i < args.size(); ++i) {
        const int outcome = static_cast<int>(RunFile(args[i], threads));
        if (outcome > status) status = outcome;
    }
    return status;
}
