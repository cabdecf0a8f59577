#include "StudyCase.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "Calculate.h"
#include "CaseFiles.h"
#include "FileSystem.h"
#include "NumberFormat.h"
#include "TextReader.h"

namespace pelorin::study {

namespace {

std::string Lowered(std::string text) {
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

std::optional<CalcAim> AimOfText(const std::string& text) {
    const std::string aim = Lowered(text);
    if (aim == "spa" || aim == "spacing") return CalcAim::Spacing;
    if (aim == "dis" || aim == "discharge") return CalcAim::Discharge;
    if (aim == "hyd" || aim == "depth") return CalcAim::WaterTableDepth;
    if (aim == "con" || aim == "conductivity") return CalcAim::Conductivity;
    return std::nullopt;
}

std::optional<CalcMethod> MethodOfText(const std::string& text, CalcAim aim) {
    const std::string method = Lowered(text);
    if (method == "ene" || method == "energy") return CalcMethod::EnergyBalance;
    if (method == "dar" || method == "darcy") return CalcMethod::Darcy;
    if (method.empty() && aim == CalcAim::WaterTableDepth) return CalcMethod::EnergyBalance;
    return std::nullopt;
}

std::string OneLine(std::string text) {
    std::erase(text, '\r');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string joined;
    for (std::string line : lines) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        if (!joined.empty()) joined += " | ";
        joined += SpacedMessage(line.substr(first));
    }
    return joined;
}

// The run's messages come with its outcome; the stop flag is the one the
// whole study shares.
class CaseSink : public RunSink {
  public:
    explicit CaseSink(const std::atomic<bool>& stop) : stop_(stop) {}
    void AddProgressLine(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }

  private:
    const std::atomic<bool>& stop_;
};

// The results as the report prints them, from the figures the run kept; in
// US units converted from those figures, not from their rounded texts.
void TakeResults(const CaseResults& figures, CalcAim aim, UnitSystem units, CaseResult& result) {
    const auto length = [units](double metres) {
        return ShowResult(metres, Dimension::Length, units, 3);
    };
    result.Result = ShowResult(figures.Sought, SoughtDimension(aim), units, figures.SoughtDecimals);
    result.HeadDarcy = length(figures.HeadDarcy);
    result.HeadEnergy = length(figures.HeadEnergy);
    result.DepthDarcy = length(figures.DepthDarcy);
    result.DepthEnergy = length(figures.DepthEnergy);
}

// The case as its input file would hold it: the row's numbers written by the
// input-file writer and read back by the reader, in memory, so that the
// engine gets the digits the file would give it. With a folder, the file is
// written there too.
struct CaseText {
    std::string Problem;  // empty when the case can run
    CaseInput Input;
};

CaseText CaseTextOf(const InputCase& input, const std::string& inputName,
                    const CaseRunOptions& options) {
    const InputFileText formatted = FormatInputFile(inputName, input);
    if (formatted.Result.Status != FileStatus::Ok) return {formatted.Result.Message, {}};
    if (!options.KeepIn.empty()) {
        const FileWriteResult written = WriteInputFile(inputName, input, options.Folder);
        if (written.Status != FileStatus::Ok) return {written.Message, {}};
    }
    const InputReadResult read = ParseInputFile(formatted.Text, inputName);
    if (read.Status != FileStatus::Ok) return {Joined(read.Messages), {}};
    return {{}, CaseInputOf(read.Case, inputName, ReportNameFor(inputName))};
}

// The run of a case: in memory, or with its report and error list written
// into the folder when the files are kept.
CaseOutcome RunCaseText(const CaseInput& input, const std::string& name,
                        const CaseRunOptions& options, RunSink& sink) {
    if (!!options.KeepIn.empty()) return Calculate(input, sink, options.Threads);
    FileRunOptions files;
    files.Threads = options.Threads;
    files.Folder = options.Folder;
    files.ErrorListFile = options.Folder + "/" + name + ".lst";
    FileRun run = RunCaseFile(input, sink, files);
    // A note of the file layer (an error list that could not be written) goes
    // with the case's message.
    for (const std::string& note : run.Notes) run.Outcome.Messages.push_back(note);
    return std::move(run.Outcome);
}

// Puts the case's files into the kept folder as one set: another study
// writing the same names there at the same time puts its own set before or
// after, never half of it between.
// Removes what a run left in a folder that is not the user's.
void RemoveCaseFiles(const std::string& folder, const std::string& name) {
    for (const char* extension : {".inp", ".out", ".lst"})
        RemoveEntry(folder + "/" + name + extension);
}

void KeepCaseFiles(const std::string& folder, const std::string& keepIn, const std::string& name) {
    PutFilesInPlace(folder, keepIn, {name + ".inp", name + ".out", name + ".lst"});
}

// A field of RESULTS.csv: on one line (a line break becomes a blank, as in a
// title), so that the lines of shards can be joined line by line, and quoted
// when it holds a separator or a quote.
std::string Quoted(const std::string& text) {
    const std::string field = OneLine(text);
    if (field.find_first_of(",\"") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char ch : field) {
        if (ch == '"') quoted += '"';
        quoted += ch;
    }
    return quoted + "\"";
}

}  // namespace

std::optional<double> NumberOfText(std::string text, bool commaDecimals) {
    if (commaDecimals && text.find('.') == std::string::npos)
        std::replace(text.begin(), text.end(), ',', '.');
    if (!text.empty() && text.front() == '+') text.erase(0, 1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string CaseNameProblem(const std::string& name) {
    if (name.empty()) return "the name is empty";
    if (name == "." || name == "..") return "the name " + name + " is not a file name";
    if (name.find('/') != std::string::npos) return "the name " + name + " holds a '/'";
    if (std::any_of(name.begin(), name.end(),
                    [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F; }))
        return "the name holds a control character";
    return {};
}

PreparedCase PrepareCase(const CaseRow& row) {
    PreparedCase prepared;
    if (!row.Defect.empty()) return {row.Defect, {}};
    if (std::string problem = CaseNameProblem(row.Name); !problem.empty()) return {problem, {}};
    const std::optional<CalcAim> aim = AimOfText(row.Aim);
    if (!aim) return {"unknown aim \"" + row.Aim + "\" (Spa, Dis, Hyd or Con)", {}};
    const std::optional<CalcMethod> method = MethodOfText(row.Method, *aim);
    if (!method) return {"unknown method \"" + row.Method + "\" (Ene or Dar)", {}};
    InputCase& input = prepared.Input;
    // A title is one line of the input file: a cell's line breaks become blanks.
    input.Title1 = OneLine(row.Title1);
    input.Title2 = OneLine(row.Title2);
    input.AimCode = AimCodeOf(*aim);
    input.MethodCode = MethodCodeOf(*method);
    input.Values.assign(kInputValueCount, 0.0);
    const AimLayout& layout = LayoutOf(*aim);
    for (int position = 0; position < kFilePositions; ++position) {
        const std::optional<Quantity> q = layout.file[static_cast<std::size_t>(position)];
        if (!q) continue;
        const std::string& text = row.Values[static_cast<std::size_t>(*q)];
        const char* symbol = TextsOf(*q).symbol;
        if (text.empty()) return {std::string("missing value of ") + symbol, {}};
        const std::optional<double> value = NumberOfText(text, row.CommaDecimals);
        if (!value) return {std::string("value of ") + symbol + " is not a number: " + text, {}};
        const int decimals = layout.fileDecimals[static_cast<std::size_t>(position)];
        // A US number becomes here, once, the SI number the input file holds.
        const double si =
            row.Units == UnitSystem::SI ? *value : StoredSiValue(*value, *q, row.Units, decimals);
        // The input file holds a number of at most kMaxNumberLength characters.
        if (FormatFixed(si, 0, decimals).size() > kMaxNumberLength)
            return {std::string("value of ") + symbol + " in row " + std::to_string(row.Row) +
                        " is too large for an input file: " + text,
                    {}};
        input.Values[static_cast<std::size_t>(position)] = si;
    }
    return prepared;
}

bool RunCase(const CaseRow& row, const CaseRunOptions& options, const std::atomic<bool>& stop,
             CaseResult& result) {
    const auto start = std::chrono::steady_clock::now();
    result = CaseResult{};
    result.Row = row.Row;
    result.Name = row.Name;
    result.Aim = row.Aim;
    result.Method = row.Method;
    result.Values = row.Values;
    const auto finish = [&](CaseStatus status, std::string message) {
        result.Status = status;
        result.Message = std::move(message);
        result.Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return true;
    };
    const PreparedCase prepared = PrepareCase(row);
    if (!prepared.Problem.empty()) return finish(CaseStatus::Failed, prepared.Problem);

    const InputCase& input = prepared.Input;
    const CalcAim aim = *AimFromCode(input.AimCode);
    result.Aim = input.AimCode;
    result.Method = input.MethodCode;
    result.Values = {};
    const AimLayout& layout = LayoutOf(aim);
    for (int position = 0; position < kFilePositions; ++position) {
        if (const std::optional<Quantity> q = layout.file[static_cast<std::size_t>(position)]) {
            const double value = input.Values[static_cast<std::size_t>(position)];
            const int decimals = InputDecimals(position + 1, input.AimCode);
            result.Values[static_cast<std::size_t>(*q)] =
                row.Units == UnitSystem::SI ? FormatFixed(value, 0, decimals)
                                            : ShowStoredValue(value, *q, row.Units, decimals);
        }
    }

    const std::string inputName = row.Name + ".inp";
    const CaseText text = CaseTextOf(input, inputName, options);
    if (!text.Problem.empty()) return finish(CaseStatus::Failed, SpacedMessage(text.Problem));

    CaseSink sink(stop);
    const CaseOutcome outcome = RunCaseText(text.Input, row.Name, options, sink);
    // A case the stop cut short has no result; any other failure is one.
    const bool finished = !(outcome.Cancelled() && stop.load());
    switch (outcome.End) {
        case CaseEnd::Refused: {
            std::vector<std::string> lines = outcome.ErrorLines;
            lines.insert(lines.end(), outcome.Messages.begin(), outcome.Messages.end());
            finish(CaseStatus::Refused, Joined(lines));
            break;
        }
        case CaseEnd::Reported:
            TakeResults(outcome.Results, aim, row.Units, result);
            finish(CaseStatus::Ok, Joined(outcome.Messages));
            break;
        case CaseEnd::Failed:
            if (finished) finish(CaseStatus::Failed, Joined({outcome.FailureMessage}));
            break;
    }
    // Kept files go into the reports folder as one set; a case cut short by a
    // stop leaves nothing there.
    if (!options.KeepIn.empty()) {
        if (finished) KeepCaseFiles(options.Folder, options.KeepIn, row.Name);
        RemoveCaseFiles(options.Folder, row.Name);
    }
    return finished;
}

const char* StatusText(CaseStatus status) {
    switch (status) {
        case CaseStatus::Ok: return "ok";
        case CaseStatus::Refused: return "refused";
        case CaseStatus::Failed: return "failed";
    }
    return "failed";
}

std::string ResultsHeaderLine(UnitSystem units) {
    std::string line = "row,name,aim,method";
    // ",R (in/day)"; an SI header keeps the bare names it always had.
    const auto add = [units, &line](const char* name, const char* unit) {
        line += ',';
        line += name;
        if (units == UnitSystem::SI) return;
        line += " (";
        line += unit;
        line += ')';
    };
    for (int q = 0; q < kQuantityCount; ++q) {
        const Quantity quantity = static_cast<Quantity>(q);
        add(TextsOf(quantity).symbol, UnitName(quantity, units));
    }
    line += ",status";
    add("result", "ft for Spa and Hyd; in/day for Dis; ft/day for Con");
    for (const char* name : {"head_darcy", "head_energy", "depth_darcy", "depth_energy"})
        add(name, UnitName(Dimension::Length, units));
    return line + ",message,seconds\n";
}

std::string ResultLine(const CaseResult& result) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", result.Seconds);
    std::vector<std::string> fields{std::to_string(result.Row), Quoted(result.Name),
                                    Quoted(result.Aim), Quoted(result.Method)};
    for (const std::string& value : result.Values) fields.push_back(Quoted(value));
    for (std::string field : {std::string(StatusText(result.Status)), result.Result,
                              result.HeadDarcy, result.HeadEnergy, result.DepthDarcy,
                              result.DepthEnergy, Quoted(result.Message), std::string(seconds)})
        fields.push_back(std::move(field));
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0) line += ',';
        line += fields[k];
    }
    line += '\n';
    return line;
}

}  // namespace pelorin::study
