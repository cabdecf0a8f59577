// pelorin-cli: runs drainage cases from their input files without a window.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Calculate.h"
#include "CaseFiles.h"
#include "FileSystem.h"
#include "InputFile.h"
#include "LaneLevel.h"
#include "RunError.h"
#include "SoilTexture.h"
#include "StudyCommands.h"
#include "Units.h"
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
    if (stream)
        return "not a regular file (a device, a FIFO or a stream): an input file must be a "
               "regular file, beside which its report is written; it was not read";
    // The reason, not the desktop's dialog text, for a name typed on a command line.
    if (std::string unread = pelorin::NamedFileRefusal(fileName); !unread.empty()) return unread;
    pelorin::NodeInfo report;
    pelorin::InspectEntry(pelorin::ReportNameFor(fileName), report);
    if (report.Kind != pelorin::NodeKind::Folder) return {};
    return "The report " + pelorin::ReportNameFor(fileName) +
           " cannot be written: a folder of that name is in the way. Rename or remove the folder.";
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
        std::cerr << fileName << ": " << pelorin::SpacedMessage(message) << '\n';
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
            std::cerr << fileName << ": " << pelorin::SpacedMessage(outcome.FailureMessage) << '\n';
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

// The help is read on an 80-column terminal and in the manual page made from
// it, whose section indents a command's help by 7 columns: no line is longer
// than 72.
constexpr std::size_t kHelpWidth = 72;
constexpr std::size_t kOptionColumn = 30;
// A usage line that runs on continues under the command's name, after
// "Usage: pelorin-cli ".
constexpr std::size_t kUsageIndent = 19;

// Where the word that begins at `start` ends: at the next blank, but a
// bracketed group ("[--vary Q2=V1,V2,...]") is one word.
std::size_t WordEnd(const std::string& text, std::size_t start) {
    int depth = 0;
    std::size_t end = start;
    for (; end < text.size() && (text[end] != ' ' || depth > 0); ++end) {
        if (text[end] == '[') ++depth;
        if (text[end] == ']' && depth > 0) --depth;
    }
    return end;
}

// The text cut into lines of at most `width` columns at blanks; the lines after
// the first begin with `indent` blanks. A word longer than a line stands alone.
std::string Wrapped(const std::string& text, std::size_t width, std::size_t indent,
                    std::size_t firstColumn = 0) {
    std::string wrapped;
    std::size_t column = firstColumn;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = WordEnd(text, start);
        const std::string word = text.substr(start, end - start);
        if (column > indent && column + 1 + word.size() > width) {
            wrapped += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (start > 0) {
            wrapped += ' ';
            ++column;
        }
        wrapped += word;
        column += word.size();
        start = end + 1;
    }
    return wrapped;
}

// The usage lines of each command are written here, in the order a user types
// the words, instead of the "[OPTIONS]" form CLI11 composes; the program's own
// usage is those of all its commands, each on one line (the manual page's
// synopsis is read from them), shortened to `brief` where given. Options are
// named "-h, --help", as the manual page's reader expects, and long
// descriptions are wrapped.
class UsageFormatter : public CLI::Formatter {
  public:
    void SetUsage(const CLI::App* command, std::vector<std::string> lines,
                  const std::string& brief = {}) {
        usages_[command] = std::move(lines);
        if (!brief.empty()) {
            allLines_.push_back(brief);
            return;
        }
        for (const std::string& line : usages_[command]) allLines_.push_back(line);
    }

    std::string make_usage(const CLI::App* app, std::string) const override {
        const auto found = usages_.find(app);
        return UsageText(found != usages_.end() ? found->second : ProgramUsage());
    }

    std::string make_option_name(const CLI::Option* option, bool isPositional) const override {
        std::string name = CLI::Formatter::make_option_name(option, isPositional);
        if (isPositional) return name;
        for (std::size_t comma = name.find(','); comma != std::string::npos;
             comma = name.find(',', comma + 2))
            name.insert(comma + 1, " ");
        return name;
    }

    std::string make_option(const CLI::Option* option, bool isPositional) const override {
        return TwoColumns(make_option_name(option, isPositional) + make_option_opts(option),
                          make_option_desc(option));
    }

    std::string make_description(const CLI::App* app) const override {
        const std::string description = app->get_description();
        return description.empty() ? std::string() : Wrapped(description, kHelpWidth, 0) + '\n';
    }

    // Each paragraph of the footer (lines broken by hand, paragraphs apart by
    // an empty line) filled again to the width.
    std::string make_footer(const CLI::App* app) const override {
        std::string footer = app->get_footer();
        if (footer.empty()) return {};
        std::string filled;
        std::size_t start = 0;
        while (start <= footer.size()) {
            std::size_t end = footer.find("\n\n", start);
            if (end == std::string::npos) end = footer.size();
            std::string paragraph = footer.substr(start, end - start);
            std::replace(paragraph.begin(), paragraph.end(), '\n', ' ');
            filled += (filled.empty() ? "" : "\n\n") + Wrapped(paragraph, kHelpWidth, 0);
            start = end + 2;
        }
        return filled + '\n';
    }

    std::string make_subcommand(const CLI::App* command) const override {
        return TwoColumns(command->get_display_name(true), command->get_description());
    }

  private:
    // "  name    description", the description from column 30 and wrapped
    // there; below the name when the name reaches that far.
    static std::string TwoColumns(const std::string& name, const std::string& description) {
        std::string line = "  " + name;
        if (line.size() + 1 > kOptionColumn) {
            line += '\n' + std::string(kOptionColumn, ' ');
        } else {
            line += std::string(kOptionColumn - line.size(), ' ');
        }
        return line + Wrapped(description, kHelpWidth, kOptionColumn, kOptionColumn) + '\n';
    }

    std::vector<std::string> ProgramUsage() const {
        std::vector<std::string> lines = allLines_;
        lines.push_back("pelorin-cli COMMAND --help");
        lines.push_back("pelorin-cli --help | --version");
        return lines;
    }

    static std::string UsageText(const std::vector<std::string>& lines) {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i)
            text += Wrapped((i == 0 ? "Usage: " : "   or: ") + lines[i], kHelpWidth, kUsageIndent) +
                    '\n';
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

// "--units si|us": metres and days (the default), or feet, inches per day
// and feet per day. Another word is a usage error naming both.
void AddUnitsOption(CLI::App* command, pelorin::UnitSystem& units, const std::string& what) {
    command
        ->add_option_function<std::string>(
            "--units",
            [&units](const std::string& name) { units = *pelorin::UnitSystemFromName(name); }, what)
        ->type_name("si|us")
        ->check(CLI::Validator(
            [](const std::string& text) {
                return pelorin::UnitSystemFromName(text)
                           ? std::string()
                           : "UNITS must be si (metres and days) or us (feet, in/day, ft/day), "
                             "not \"" +
                                 text + "\"";
            },
            ""));
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
        "With --units us the distances and heights are in feet (ft, 0.1 ft or 0.01 ft\n"
        "by the size of the values, as m, dm or cm are chosen).\n"
        "\n"
        "Exit status: 0 when the picture is written, else 2.");
    formatter.SetUsage(command, {"pelorin-cli graph [--bw] [--units si|us] REPORT IMAGE"});
    command->add_flag_callback(
        "--bw", [&arguments] { arguments.InColour = false; }, "Draw in black and white");
    AddUnitsOption(command, arguments.Units, "Draw the axes in metres (si) or feet (us)");
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
    pelorin::UnitSystem Units = pelorin::UnitSystem::SI;
};

CLI::App* AddPdfCommand(CLI::App& cli, UsageFormatter& formatter, PdfArguments& arguments) {
    CLI::App* command = cli.add_subcommand("pdf", "Make the design sheet of a report as PDF");
    command->footer(
        "The design sheet puts the report on A4 pages: the titles, the input table,\n"
        "the results, the water-table graph and the profile table. With --units us the\n"
        "inputs and results are in US units with the report's SI values beside them,\n"
        "and the graph and the profile's lengths are in feet.\n"
        "\n"
        "Exit status: 0 when the document is written, else 2.");
    formatter.SetUsage(command, {"pelorin-cli pdf [--units si|us] REPORT OUT.pdf"});
    AddUnitsOption(command, arguments.Units, "The sheet in metres and days (si) or US units (us)");
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

// The soil-texture presets for the batch's help: each class with its
// typical conductivity in ft/day and m/day, and the table's source.
std::string TexturePresetsHelp() {
    std::string help =
        "Typical saturated conductivities of the USDA soil-texture classes, for a first "
        "sketch when no measurement exists (ft/day = m/day), not measured:";
    for (const pelorin::TextureClass& texture : pelorin::kTextureClasses) {
        char values[64];
        std::snprintf(values, sizeof values, " %g = %.4f", texture.ftPerDay, texture.metresPerDay);
        help += std::string(texture.name == pelorin::kTextureClasses.front().name ? " " : "; ") +
                texture.name + values;
    }
    return help + ". Source: " + pelorin::kTextureSource;
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
        "With --units us the table's numbers are in feet (depths, W, S), inches per day\n"
        "(R), feet per day (the conductivities) and days per foot (E): each becomes the\n"
        "number in metres and days its input file holds. RESULTS.csv then shows the\n"
        "numbers in US units, those of the files with the decimals that give them\n"
        "again, and its header names the units; reports and input files stay in SI.\n"
        "\n" +
        TexturePresetsHelp() +
        "\n\n"
        "Exit status: 0 every row ok; 1 some refused and none failed; 2 some failed,\n"
        "or the table could not be read or the results written.");
    formatter.SetUsage(command,
                       {"pelorin-cli batch CASES.csv [--out RESULTS.csv] [--reports DIR] "
                        "[--jobs N] [--shard K/N] [--units si|us]"},
                       "pelorin-cli batch CASES.csv [OPTIONS]");
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
    AddUnitsOption(command, arguments.Options.Units,
                   "The table's numbers and the results in metres and days (si, the default) "
                   "or US units (us)");
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
    const CLI::Option* Chart = nullptr;
};

CLI::App* AddSweepCommand(CLI::App& cli, UsageFormatter& formatter, SweepArguments& arguments) {
    CLI::App* command = cli.add_subcommand(
        "sweep", "Make a design table from one input file over one or two varied quantities");
    command->footer(
        "Every combination of the varied quantities is run as a batch; a range\n"
        "FROM:TO:STEP includes TO when it lies on the grid (within a millionth of a\n"
        "step). The table has the layout of the batch's results; the chart plots the\n"
        "sought quantity against the first varied quantity, one line per method and\n"
        "per value of the second. With --units us the varied values are in US units\n"
        "(as for batch), and the table and the chart show US units.\n"
        "\n"
        "Exit status: 0 every case ok; 1 some refused and none failed; 2 some failed,\n"
        "or the file could not be read, a variation was wrong or a file not written.");
    formatter.SetUsage(command,
                       {"pelorin-cli sweep FILE --vary Q=FROM:TO:STEP [--vary "
                        "Q2=V1,V2,...] [--methods both] [--out T.csv] [--chart C.png|C.svg|C.pdf] "
                        "[--jobs N] [--units si|us]"},
                       "pelorin-cli sweep FILE --vary Q=FROM:TO:STEP [OPTIONS]");
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
        // The one choice is named by the type; the check adds no second name.
        ->check(CLI::IsMember({"both"}).description(""));
    command
        ->add_option("--out", arguments.Options.OutFile,
                     "Write the table there (default: standard output)")
        ->type_name("T.csv");
    arguments.Chart = command
                          ->add_option("--chart", arguments.Options.ChartFile,
                                       "Draw the chart as PNG, SVG or PDF, by the name's ending")
                          ->type_name("C.png|C.svg|C.pdf");
    command->add_option("-j,--jobs", arguments.Jobs, "Run N cases at once (default: every core)")
        ->type_name("N")
        ->check(JobsValidator());
    AddUnitsOption(command, arguments.Options.Units,
                   "The varied values, the table and the chart in metres and days (si, the "
                   "default) or US units (us)");
    command->add_option("FILE", arguments.Options.InputFile, "The input file (.inp)")
        ->required()
        ->type_name("");
    return command;
}

int SweepCommand(SweepArguments& arguments) {
    if (!arguments.Jobs.empty()) arguments.Options.Jobs = ParseThreads(arguments.Jobs);
    arguments.Options.BothMethods = arguments.Methods == "both";
    arguments.Options.ChartGiven = arguments.Chart->count() > 0;
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

// PELORIN_SIMD forces the instruction set of the lane marches (the tests run
// every level); a level the processor lacks ends the program at once.
std::optional<int> ChooseLanes() {
    const char* forced = std::getenv("PELORIN_SIMD");
    const pelorin::LaneLevelChoice choice = pelorin::ChooseLaneLevel(forced ? forced : "");
    if (!choice.refusal.empty()) {
        std::cerr << "pelorin-cli: " << choice.refusal << '\n';
        return 2;
    }
    pelorin::SetLaneLevel(choice.level);
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = ChooseLanes()) return *status;
    // Before any file is opened: closed standard streams must not be taken by
    // a report, whose lines they would then receive.
    pelorin::KeepStandardStreamsOpen();
    // Every command ends by an ending signal (HUP, INT, QUIT, PIPE, ...) after
    // removing its temporary files; a write beyond the file-size limit is no
    // such signal: it fails with a "Disk full" message instead.
    pelorin::RemoveTemporaryFilesOnSignals();

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
        return pelorin::documents::RunPdfCommand(pdfArguments.Report, pdfArguments.Pdf,
                                                 pdfArguments.Units);
#endif
    return 2;
}
