// pelorin-cli: runs drainage cases from their input files without a window.

#include <CLI/CLI.hpp>

#include <charconv>
#include <csignal>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Calculate.h"
#include "CaseFiles.h"
#include "FileSystem.h"
#include "RunError.h"
#include "StudyCommands.h"
#ifdef PELORIN_WITH_GRAPH
#include "GraphCommand.h"
#endif
#ifdef PELORIN_WITH_DOCUMENTS
#include "DesignSheetCommand.h"
#endif

namespace {

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
    StderrSink sink;
    pelorin::FileRunOptions options;
    options.Threads = threads;
    const pelorin::FileRun run = pelorin::RunInputFile(fileName, sink, options);
    for (const std::string& message : run.ReadMessages)
        std::cerr << fileName << ": " << message << '\n';
    if (!run.Ran()) return FileOutcome::Failed;
    const pelorin::CaseOutcome& outcome = run.Outcome;
    FileOutcome result = FileOutcome::Failed;
    switch (outcome.End) {
        case pelorin::CaseEnd::Refused:
            std::cerr << fileName << ": the case was refused by its input check (Error.lst):\n";
            for (const std::string& line : outcome.ErrorLines) std::cerr << line << '\n';
            // The error list that was asked for is not there: a file fault.
            result = run.Notes.empty() ? FileOutcome::Refused : FileOutcome::Failed;
            break;
        case pelorin::CaseEnd::Reported:
            std::cout << run.ReportPath << '\n';
            result = FileOutcome::Reported;
            break;
        case pelorin::CaseEnd::Failed:
            std::cerr << fileName << ": " << outcome.FailureMessage << '\n';
            break;
    }
    for (const std::string& note : run.Notes) std::cerr << fileName << ": " << note << '\n';
    return result;
}

// The count of "--threads N": a whole number from 1 to 1024, else 0. Written
// out rather than left to CLI11, which would also take "0x10" or "010".
int ParseThreads(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || value < 1 || value > 1024) return 0;
    return value;
}

// The usage lines of each command are written here, in the order a user types
// the words, instead of the "[OPTIONS]" form CLI11 composes; the program's own
// usage is those of all its commands.
class UsageFormatter : public CLI::Formatter {
  public:
    void SetUsage(const CLI::App* command, std::vector<std::string> lines) {
        usages_[command] = std::move(lines);
        for (const std::string& line : usages_[command]) allLines_.push_back(line);
    }

    std::string make_usage(const CLI::App* app, std::string) const override {
        const auto found = usages_.find(app);
        return UsageText(found != usages_.end() ? found->second : ProgramUsage());
    }

  private:
    std::vector<std::string> ProgramUsage() const {
        std::vector<std::string> lines = allLines_;
        lines.push_back("pelorin-cli COMMAND --help");
        lines.push_back("pelorin-cli --help | --version");
        return lines;
    }

    static std::string UsageText(const std::vector<std::string>& lines) {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i)
            text += (i == 0 ? "Usage: " : "   or: ") + lines[i] + '\n';
        return text;
    }

    std::map<const CLI::App*, std::vector<std::string>> usages_;
    std::vector<std::string> allLines_;
};

constexpr const char* kProgramFooter =
    "Options end at \"--\": the words after it are file names even when they start\n"
    "with a dash.\n"
    "\n"
    "Exit status: 0 done; 1 a case was refused (run); 2 a file could not be read, a\n"
    "run or a picture failed, or the command line was wrong (with a message naming\n"
    "what is wrong).";

constexpr const char* kRunFooter =
    "Each case is checked first; a refused case leaves its error list in Error.lst\n"
    "(current folder) and prints it, and an accepted one removes an earlier list.\n"
    "Each report's path is printed on standard output; progress lines and messages\n"
    "go to standard error.\n"
    "\n"
    "Exit status: 0 every file gave its report; 1 a case was refused and none failed;\n"
    "2 a file could not be read, an error list could not be written, a run ended with\n"
    "an error, or the command line was wrong.";

struct RunArguments {
    std::string Threads;
    std::vector<std::string> Files;
};

CLI::App* AddRunCommand(CLI::App& cli, UsageFormatter& formatter, RunArguments& arguments) {
    CLI::App* command = cli.add_subcommand(
        "run", "Run each input file; its report is written beside it with the extension .out");
    command->footer(kRunFooter);
    formatter.SetUsage(command, {"pelorin-cli run FILE [FILE ...]",
                                 "pelorin-cli run --threads=N FILE [FILE ...]"});
    command
        ->add_option("-t,--threads", arguments.Threads,
                     "A search uses up to N threads (default: every core); the reports do not "
                     "depend on N")
        ->type_name("N")
        ->check(CLI::Validator(
            [](const std::string& text) {
                return ParseThreads(text) == 0
                           ? "N must be a whole number from 1 to 1024, not \"" + text + "\""
                           : std::string();
            },
            ""));
    command->add_option("FILE", arguments.Files, "Input files (.inp)")->required()->type_name("");
    return command;
}

int RunCommand(const RunArguments& arguments) {
    const int threads =
        arguments.Threads.empty() ? pelorin::DefaultThreads() : ParseThreads(arguments.Threads);
    int status = 0;
    for (const std::string& fileName : arguments.Files) {
        const int outcome = static_cast<int>(RunFile(fileName, threads));
        if (outcome > status) status = outcome;
    }
    return status;
}

#ifdef PELORIN_WITH_GRAPH
CLI::App* AddGraphCommand(CLI::App& cli, UsageFormatter& formatter,
                          pelorin::graph::GraphArguments& arguments) {
    CLI::App* command =
        cli.add_subcommand("graph", "Draw the water table of a report into a picture");
    command->footer(
        "The picture is 623 x 465, a Windows bitmap, or PNG when IMAGE ends in .png;\n"
        "a drawing of the same picture in SVG or PDF when IMAGE ends in .svg or .pdf.\n"
        "\n"
        "Exit status: 0 when the picture is written, else 2.");
    formatter.SetUsage(command, {"pelorin-cli graph [--bw] REPORT IMAGE"});
    command->add_flag_callback(
        "--bw", [&arguments] { arguments.InColour = false; }, "Draw in black and white");
    command->add_option("REPORT", arguments.Report, "A report written by run")
        ->required()
        ->type_name("");
    command->add_option("IMAGE", arguments.Image, "The picture to write")
        ->required()
        ->type_name("");
    return command;
}
#endif

#ifdef PELORIN_WITH_DOCUMENTS
// What "pelorin-cli pdf REPORT OUT.pdf" asks for.
struct PdfArguments {
    std::string Report;
    std::string Pdf;
};

CLI::App* AddPdfCommand(CLI::App& cli, UsageFormatter& formatter, PdfArguments& arguments) {
    CLI::App* command = cli.add_subcommand("pdf", "Make the design sheet of a report as PDF");
    command->footer(
        "The design sheet puts the report on A4 pages: the titles, the input table,\n"
        "the results, the water-table graph and the profile table.\n"
        "\n"
        "Exit status: 0 when the document is written, else 2.");
    formatter.SetUsage(command, {"pelorin-cli pdf REPORT OUT.pdf"});
    command->add_option("REPORT", arguments.Report, "A report written by run")
        ->required()
        ->type_name("");
    command->add_option("OUT.pdf", arguments.Pdf, "The PDF document to write")
        ->required()
        ->type_name("");
    return command;
}
#endif

// The validator of a worker count: the rule of --threads.
CLI::Validator JobsValidator() {
    return CLI::Validator(
        [](const std::string& text) {
            return ParseThreads(text) == 0
                       ? "N must be a whole number from 1 to 1024, not \"" + text + "\""
                       : std::string();
        },
        "");
}

struct BatchArguments {
    pelorin::cli::BatchOptions Options;
    std::string Jobs;
    std::string Shard;
};

CLI::App* AddBatchCommand(CLI::App& cli, UsageFormatter& formatter, BatchArguments& arguments) {
    CLI::App* command = cli.add_subcommand(
        "batch", "Run every row of a table of cases as a run of its own input file would");
    command->footer(
        "CASES.csv has a header row naming its columns: name, title1, title2, aim\n"
        "(Spa/Dis/Hyd/Con or spacing/discharge/depth/conductivity), method (Ene/Dar)\n"
        "and the quantities by their symbols (R, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1,\n"
        "Kb2, Kv2, Dm, S), in any order; ',' or ';' separated (',' decimals allowed in a\n"
        "';' table). RESULTS.csv has one line a row, in the order of the table; progress\n"
        "goes to standard error. Ctrl+C writes the rows finished so far and ends.\n"
        "\n"
        "Exit status: 0 every row ok; 1 some refused and none failed; 2 some failed,\n"
        "or the table could not be read or the results written.");
    formatter.SetUsage(command, {"pelorin-cli batch CASES.csv [--out RESULTS.csv] [--reports DIR] "
                                 "[--jobs N] [--shard K/N]"});
    command
        ->add_option("--out", arguments.Options.OutFile,
                     "Write the results there (default: standard output)")
        ->type_name("RESULTS.csv");
    command
        ->add_option("--reports", arguments.Options.ReportsFolder,
                     "Keep NAME.inp, NAME.out and NAME.lst of every row in DIR")
        ->type_name("DIR");
    command->add_option("-j,--jobs", arguments.Jobs, "Run N cases at once (default: every core)")
        ->type_name("N")
        ->check(JobsValidator());
    command
        ->add_option("--shard", arguments.Shard,
                     "Run only the rows whose number minus one leaves K-1 divided by N")
        ->type_name("K/N")
        ->check(CLI::Validator(
            [](const std::string& text) {
                long k = 0, n = 0;
                return pelorin::cli::ParseShard(text, k, n)
                           ? std::string()
                           : "a shard is K/N with 1 <= K <= N, not \"" + text + "\"";
            },
            ""));
    command->add_option("CASES.csv", arguments.Options.CasesFile, "The table of cases")
        ->required()
        ->type_name("");
    return command;
}

int BatchCommand(BatchArguments& arguments) {
    if (!arguments.Jobs.empty()) arguments.Options.Jobs = ParseThreads(arguments.Jobs);
    if (!arguments.Shard.empty())
        pelorin::cli::ParseShard(arguments.Shard, arguments.Options.ShardIndex,
                                 arguments.Options.ShardCount);
    return pelorin::cli::RunBatchCommand(arguments.Options);
}

struct SweepArguments {
    pelorin::cli::SweepOptions Options;
    std::string Jobs;
    std::string Methods;
};

CLI::App* AddSweepCommand(CLI::App& cli, UsageFormatter& formatter, SweepArguments& arguments) {
    CLI::App* command = cli.add_subcommand(
        "sweep", "Make a design table from one input file over one or two varied quantities");
    command->footer(
        "Every combination of the varied quantities is run as a batch; a range\n"
        "FROM:TO:STEP includes TO when it lies on the grid (within a millionth of a\n"
        "step). The table has the layout of the batch's results; the chart plots the\n"
        "sought quantity against the first varied quantity, one line per method and\n"
        "per value of the second.\n"
        "\n"
        "Exit status: 0 every case ok; 1 some refused and none failed; 2 some failed,\n"
        "or the file could not be read, a variation was wrong or a file not written.");
    formatter.SetUsage(command,
                       {"pelorin-cli sweep FILE --vary Q=FROM:TO:STEP [--vary "
                        "Q2=V1,V2,...] [--methods both] [--out T.csv] [--chart C.png|C.svg]"});
    command
        ->add_option("--vary", arguments.Options.Variations,
                     "A quantity and its values: Q=FROM:TO:STEP or Q=V1,V2,... (twice at most)")
        ->type_name("Q=...")
        ->required()
        ->expected(1, 2)
        ->take_all();
    command
        ->add_option("--methods", arguments.Methods,
                     "both: run every combination by the energy balance and by Darcy")
        ->type_name("both")
        ->check(CLI::IsMember({"both"}));
    command
        ->add_option("--out", arguments.Options.OutFile,
                     "Write the table there (default: standard output)")
        ->type_name("T.csv");
    command->add_option("--chart", arguments.Options.ChartFile, "Draw the chart as PNG or SVG")
        ->type_name("C.png|C.svg");
    command->add_option("-j,--jobs", arguments.Jobs, "Run N cases at once (default: every core)")
        ->type_name("N")
        ->check(JobsValidator());
    command->add_option("FILE", arguments.Options.InputFile, "The input file (.inp)")
        ->required()
        ->type_name("");
    return command;
}

int SweepCommand(SweepArguments& arguments) {
    if (!arguments.Jobs.empty()) arguments.Options.Jobs = ParseThreads(arguments.Jobs);
    arguments.Options.BothMethods = arguments.Methods == "both";
    return pelorin::cli::RunSweepCommand(arguments.Options);
}

// The command being parsed when the command line was found wrong: the last
// command named, or the program itself.
const CLI::App& FailedCommand(const CLI::App& cli) {
    const std::vector<const CLI::App*> named = cli.get_subcommands({});
    for (auto it = named.rbegin(); it != named.rend(); ++it)
        if ((*it)->parsed()) return **it;
    return cli;
}

// What is wrong with the command line, in words. CLI11 reports a missing
// command or file before a word it could not place; that word is named
// instead, as it is the likelier mistake.
std::string WhatIsWrong(const CLI::App& command, const CLI::ParseError& error) {
    const std::vector<std::string> unplaced = command.remaining();
    const bool missing = dynamic_cast<const CLI::RequiredError*>(&error) != nullptr;
    if (missing && !unplaced.empty())
        return (command.get_parent() ? "unexpected argument \"" : "unknown command or option \"") +
               unplaced.front() + "\"";
    if (missing && command.get_parent() == nullptr) return "a command is required";
    return error.what();
}

// Parses the command line. Returns the exit status when the program ends here:
// 0 after --help or --version (on standard output), 2 with a message naming
// what is wrong and the usage (on standard error).
std::optional<int> ParseCommandLine(CLI::App& cli, const UsageFormatter& formatter, int argc,
                                    char** argv) {
    try {
        cli.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        std::cout << cli.help();
        return 0;
    } catch (const CLI::CallForVersion& version) {
        std::cout << version.what() << '\n';
        return 0;
    } catch (const CLI::ParseError& error) {
        const CLI::App& command = FailedCommand(cli);
        const std::string name =
            command.get_parent() ? "pelorin-cli " + command.get_name() : "pelorin-cli";
        std::cerr << name << ": " << WhatIsWrong(command, error) << '\n'
                  << formatter.make_usage(&command, "") << "Run \"" << name
                  << " --help\" for more.\n";
        return 2;
    }
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

    const auto formatter = std::make_shared<UsageFormatter>();
    formatter->label("Positionals", "Arguments");
    CLI::App cli;
    cli.name("pelorin-cli");
    cli.formatter(formatter);
    cli.footer(kProgramFooter);
    cli.set_version_flag("--version", std::string("pelorin-cli ") + PELORIN_VERSION);
    cli.require_subcommand(1);

    RunArguments runArguments;
    const CLI::App* run = AddRunCommand(cli, *formatter, runArguments);
#ifdef PELORIN_WITH_GRAPH
    pelorin::graph::GraphArguments graphArguments;
    const CLI::App* graph = AddGraphCommand(cli, *formatter, graphArguments);
#endif
#ifdef PELORIN_WITH_DOCUMENTS
    PdfArguments pdfArguments;
    const CLI::App* pdf = AddPdfCommand(cli, *formatter, pdfArguments);
#endif
    BatchArguments batchArguments;
    const CLI::App* batch = AddBatchCommand(cli, *formatter, batchArguments);
    SweepArguments sweepArguments;
    const CLI::App* sweep = AddSweepCommand(cli, *formatter, sweepArguments);
    for (CLI::App* command : cli.get_subcommands({})) command->group("Commands");

    if (const std::optional<int> status = ParseCommandLine(cli, *formatter, argc, argv))
        return *status;
    if (run->parsed()) return RunCommand(runArguments);
    if (batch->parsed()) return BatchCommand(batchArguments);
    if (sweep->parsed()) return SweepCommand(sweepArguments);
#ifdef PELORIN_WITH_GRAPH
    if (graph->parsed()) return pelorin::graph::RunGraphCommand(graphArguments);
#endif
#ifdef PELORIN_WITH_DOCUMENTS
    if (pdf->parsed())
        return pelorin::documents::RunPdfCommand(pdfArguments.Report, pdfArguments.Pdf);
#endif
    return 2;
}
