// The engine as the Python module pelorin._pelorin: the in-memory calculation
// of one case, the input-file reader and writer, the report's parts, and the
// studies of pelorin-cli batch and sweep. Texts cross as bytes (the files are
// single-byte text); the package above turns them into Python's types.
//
// Every long call runs on a thread of its own with the interpreter lock
// released, while the calling thread looks at Python's signal flags every
// few milliseconds: Ctrl+C (KeyboardInterrupt) sets the run's stop flag, the
// engine ends the run through its stop token, and the exception is raised
// once the run has ended.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Calculate.h"
#include "CaseLayout.h"
#include "CaseTable.h"
#include "InputFile.h"
#include "ReportContents.h"
#include "SoilTexture.h"
#include "StudyCase.h"
#include "StudyRunner.h"
#include "Sweep.h"
#include "Units.h"

namespace py = pybind11;

namespace pelorin::python {

namespace {

constexpr auto kSignalLook = std::chrono::milliseconds(20);

// Runs `work` on its own thread without the interpreter lock. When Python has
// a signal to raise (KeyboardInterrupt), sets `stop`, waits for the work to
// end and raises the signal's exception.
void RunStoppable(const std::function<void()>& work, std::atomic<bool>& stop) {
    std::exception_ptr failure;
    bool interrupted = false;
    {
        py::gil_scoped_release released;
        std::packaged_task<void()> task([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        });
        std::future<void> done = task.get_future();
        std::thread runner(std::move(task));
        while (done.wait_for(kSignalLook) != std::future_status::ready) {
            if (interrupted) continue;
            py::gil_scoped_acquire held;
            if (PyErr_CheckSignals() != 0) {
                interrupted = true;
                stop.store(true);
            }
        }
        runner.join();
    }
    if (interrupted) throw py::error_already_set();
    if (failure) std::rethrow_exception(failure);
}

// The sink of a run from Python: messages are kept by Calculate itself;
// progress lines are not shown; the stop flag is the caller's. For a check
// alone, an accepted case ends before its engine starts.
class StoppableSink : public RunSink {
  public:
    StoppableSink(const std::atomic<bool>& stop, bool checkOnly)
        : stop_(stop), checkOnly_(checkOnly) {}
    void AddProgressLine(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    bool StopRequested() override { return stop_.load(std::memory_order_relaxed); }
    void CaseAccepted() override {
        if (checkOnly_) throw RunError(Fault::Cancelled);
    }

  private:
    const std::atomic<bool>& stop_;
    const bool checkOnly_;
};

py::bytes Bytes(const std::string& text) { return py::bytes(text); }

py::list BytesList(const std::vector<std::string>& lines) {
    py::list list;
    for (const std::string& line : lines) list.append(Bytes(line));
    return list;
}

const char* StatusName(FileStatus status) {
    switch (status) {
        case FileStatus::Ok: return "ok";
        case FileStatus::CannotOpen: return "cannot_open";
        case FileStatus::Corrupt: return "corrupt";
        case FileStatus::Fault: return "fault";
    }
    return "fault";
}

const char* EndName(CaseEnd end) {
    switch (end) {
        case CaseEnd::Reported: return "reported";
        case CaseEnd::Refused: return "refused";
        case CaseEnd::Failed: return "failed";
    }
    return "failed";
}

CalcAim AimOf(const std::string& code) {
    const std::optional<CalcAim> aim = AimFromCode(code);
    if (!aim) throw py::value_error("unknown aim code " + code);
    return *aim;
}

InputCase InputCaseOf(const std::string& title1, const std::string& title2,
                      const std::string& aimCode, const std::string& methodCode,
                      const std::vector<double>& values, int numbersRead) {
    if (values.size() != static_cast<std::size_t>(kInputValueCount))
        throw py::value_error("an input file holds 13 numbers");
    InputCase input;
    input.Title1 = title1;
    input.Title2 = title2;
    input.AimCode = aimCode;
    input.MethodCode = methodCode;
    input.Values = values;
    input.NumbersRead = numbersRead;
    return input;
}

py::tuple InputCaseTuple(const InputCase& input) {
    return py::make_tuple(Bytes(input.Title1), Bytes(input.Title2), input.AimCode, input.MethodCode,
                          input.Values, input.NumbersRead);
}

// The quantity and decimals of each of the 13 positions of an aim's file.
py::list Layout(const std::string& aimCode) {
    const AimLayout& layout = LayoutOf(AimOf(aimCode));
    py::list positions;
    for (int position = 0; position < kFilePositions; ++position) {
        const std::optional<Quantity> q = layout.file[static_cast<std::size_t>(position)];
        py::object symbol = q ? py::object(py::str(TextsOf(*q).symbol)) : py::object(py::none());
        positions.append(py::make_tuple(symbol, InputDecimals(position + 1, aimCode)));
    }
    return positions;
}

py::list QuantitySymbols() {
    py::list symbols;
    for (int q = 0; q < kQuantityCount; ++q)
        symbols.append(py::str(TextsOf(static_cast<Quantity>(q)).symbol));
    return symbols;
}

// Messages as pelorin-cli gives them (a blank after the sentence that opens a
// program error).
std::vector<std::string> Spaced(std::vector<std::string> messages) {
    for (std::string& message : messages) message = SpacedMessage(message);
    return messages;
}

py::tuple ParseInput(const py::bytes& text, const std::string& fileName) {
    const InputReadResult read = ParseInputFile(std::string(text), fileName);
    return py::make_tuple(StatusName(read.Status), BytesList(Spaced(read.Messages)),
                          InputCaseTuple(read.Case));
}

py::tuple FormatInput(const std::string& fileName, const py::bytes& title1, const py::bytes& title2,
                      const std::string& aimCode, const std::string& methodCode,
                      const std::vector<double>& values, int numbersRead) {
    const InputFileText file = FormatInputFile(
        fileName, InputCaseOf(title1, title2, aimCode, methodCode, values, numbersRead));
    return py::make_tuple(StatusName(file.Result.Status), Bytes(file.Result.Message),
                          Bytes(file.Text));
}

py::dict Calculation(const py::bytes& title1, const py::bytes& title2, const std::string& aimCode,
                     const std::string& methodCode, const std::vector<double>& values,
                     int numbersRead, const py::bytes& inputName, const py::bytes& reportName,
                     int threads, bool checkOnly) {
    const InputCase file = InputCaseOf(title1, title2, aimCode, methodCode, values, numbersRead);
    AimOf(aimCode);
    const CaseInput input = CaseInputOf(file, inputName, reportName);
    std::atomic<bool> stop{false};
    CaseOutcome outcome;
    RunStoppable(
        [&] {
            StoppableSink sink(stop, checkOnly);
            outcome = Calculate(input, sink, threads);
        },
        stop);
    py::dict result;
    result["end"] = EndName(outcome.End);
    result["cancelled"] = outcome.Cancelled();
    result["error_lines"] = BytesList(outcome.ErrorLines);
    result["failure"] = Bytes(SpacedMessage(outcome.FailureMessage));
    result["report"] = Bytes(outcome.Report);
    result["messages"] = BytesList(outcome.Messages);
    return result;
}

py::dict ReportParts(const std::vector<std::string>& lines, const std::string& fileName) {
    const ReportContents report = ParseReportContents(lines, fileName);
    py::dict parts;
    parts["status"] = StatusName(report.Status);
    parts["message"] = Bytes(report.Message);
    parts["title1"] = Bytes(report.Title1);
    parts["title2"] = Bytes(report.Title2);
    parts["module"] = report.Module;
    py::list inputs;
    for (const ReportInputRow& row : report.Inputs)
        inputs.append(py::make_tuple(row.Symbol, row.Value));
    parts["inputs"] = inputs;
    parts["profile_columns"] = report.ProfileColumns;
    parts["profile_rows"] = report.ProfileRows;
    py::list groups;
    for (const auto& group : report.ResultGroups) {
        py::list lines;
        for (const ReportLabelledValue& line : group)
            lines.append(py::make_tuple(Bytes(line.Label), line.Value));
        groups.append(lines);
    }
    parts["result_groups"] = groups;
    return parts;
}

// Runs rows as pelorin-cli batch runs them: the lines of RESULTS.csv after
// its header, in the order of the rows.
py::list RunRows(const std::vector<study::CaseRow>& rows, int jobs) {
    study::StudyControl control;
    study::StudyOptions options;
    options.Jobs = jobs > 0 ? jobs : DefaultThreads();
    options.Cores = DefaultThreads();
    std::vector<std::string> lines;
    study::StudyOutcome outcome;
    RunStoppable(
        [&] {
            outcome = study::RunStudy(rows, options, control, [&](const study::CaseResult& result) {
                lines.push_back(study::ResultLine(result));
            });
        },
        control.Stop);
    return BytesList(lines);
}

// The rows of a table (of shard k of n, as --shard K/N takes them, when n > 0).
py::list RunTable(const py::bytes& casesCsv, int jobs, long shardIndex, long shardCount) {
    if (shardCount > 0 && (shardIndex < 1 || shardIndex > shardCount))
        throw py::value_error("no such shard");
    const study::CaseTable table =
        shardCount > 0 ? study::ParseCaseTable(std::string(casesCsv), shardIndex, shardCount)
                       : study::ParseCaseTable(std::string(casesCsv));
    if (!table.Ok) throw py::value_error(table.Message);
    return RunRows(table.Rows, jobs);
}

py::list RunSweep(const py::bytes& inputText, const std::string& fileName, const std::string& stem,
                  const std::vector<std::string>& variationTexts, bool bothMethods, int jobs) {
    const InputReadResult input = ParseInputFile(std::string(inputText), fileName);
    if (input.Status != FileStatus::Ok) {
        std::string message;
        for (const std::string& line : Spaced(input.Messages)) message += line + "\n";
        throw py::value_error(message);
    }
    std::vector<study::Variation> variations;
    for (const std::string& text : variationTexts) {
        std::string problem;
        std::optional<study::Variation> variation = study::ParseVariation(text, problem);
        if (!variation) throw py::value_error(problem);
        variations.push_back(std::move(*variation));
    }
    const study::SweepPlan plan = study::PlanSweep(input.Case, stem, variations, bothMethods);
    if (!plan.Problem.empty()) throw py::value_error(plan.Problem);
    return RunRows(plan.Rows, jobs);
}

// "si" or "us" as a unit system; a ValueError naming both for another word.
UnitSystem UnitsNamed(const std::string& name) {
    const std::optional<UnitSystem> units = UnitSystemFromName(name);
    if (!units) throw py::value_error("units must be \"si\" or \"us\", not \"" + name + "\"");
    return *units;
}

Quantity QuantityNamed(const std::string& symbol) {
    for (int q = 0; q < kQuantityCount; ++q)
        if (symbol == TextsOf(static_cast<Quantity>(q)).symbol) return static_cast<Quantity>(q);
    throw py::value_error("no quantity " + symbol);
}

CalcAim AimCoded(const std::string& code) {
    const std::optional<CalcAim> aim = AimFromCode(code);
    if (!aim) throw py::value_error("no aim " + code);
    return *aim;
}

// A value typed in `units` as the SI number the aim's input file holds.
double StoredValue(double typed, const std::string& symbol, const std::string& aimCode,
                   const std::string& units) {
    const Quantity q = QuantityNamed(symbol);
    return StoredSiValue(typed, q, UnitsNamed(units), FileDecimals(AimCoded(aimCode), q));
}

// The number a file holds, as the user sees it in `units`.
std::string ShownValue(double storedSi, const std::string& symbol, const std::string& aimCode,
                       const std::string& units) {
    const Quantity q = QuantityNamed(symbol);
    return ShowStoredValue(storedSi, q, UnitsNamed(units), FileDecimals(AimCoded(aimCode), q));
}

// What a number measures: a quantity's symbol ("Kv1"), or "length",
// "recharge", "conductivity" for a result.
Dimension DimensionNamed(const std::string& measures) {
    if (measures == "length") return Dimension::Length;
    if (measures == "recharge") return Dimension::Recharge;
    if (measures == "conductivity") return Dimension::Conductivity;
    return DimensionOf(QuantityNamed(measures));
}

// A figure the report prints with `decimals` decimals, in `units`.
std::string ShownResult(double si, const std::string& measures, const std::string& units,
                        int decimals) {
    return ShowResult(si, DimensionNamed(measures), UnitsNamed(units), decimals);
}

double ToUnits(double si, const std::string& measures, const std::string& units) {
    return FromSi(si, DimensionNamed(measures), UnitsNamed(units));
}

std::string UnitOf(const std::string& symbol, const std::string& units) {
    return UnitName(QuantityNamed(symbol), UnitsNamed(units));
}

std::vector<std::string> TextureNames() {
    std::vector<std::string> names;
    for (const TextureClass& texture : kTextureClasses) names.emplace_back(texture.name);
    return names;
}

std::optional<double> TextureK(const std::string& name, const std::string& units) {
    return TextureConductivity(name, UnitsNamed(units));
}

}  // namespace

}  // namespace pelorin::python

PYBIND11_MODULE(_pelorin, module) {
    using namespace pelorin::python;
    module.doc() = "The Pelorin engine; use the package pelorin.";
    module.def("default_threads", &pelorin::DefaultThreads,
               "The threads a run uses by default: every core.");
    module.def("quantity_symbols", &QuantitySymbols, "The symbols of the 14 quantities.");
    module.def("layout", &Layout, py::arg("aim_code"),
               "(symbol or None, decimals) of each of the 13 positions of an aim's input file.");
    module.def("parse_input", &ParseInput, py::arg("text"), py::arg("file_name"),
               "Reads an input file's bytes: (status, messages, case).");
    module.def("format_input", &FormatInput, py::arg("file_name"), py::arg("title1"),
               py::arg("title2"), py::arg("aim_code"), py::arg("method_code"), py::arg("values"),
               py::arg("numbers_read"), "The bytes of an input file: (status, message, text).");
    module.def("calculate", &Calculation, py::arg("title1"), py::arg("title2"), py::arg("aim_code"),
               py::arg("method_code"), py::arg("values"), py::arg("numbers_read"),
               py::arg("input_name"), py::arg("report_name"), py::arg("threads"),
               py::arg("check_only"), "Runs one case in memory (or only its input check).");
    module.def("report_parts", &ReportParts, py::arg("lines"), py::arg("file_name"),
               "A report's lines taken apart.");
    module.def(
        "results_header", [] { return pelorin::study::ResultsHeaderLine(); },
        "The header line of RESULTS.csv.");
    module.def("stored_value", &StoredValue, py::arg("typed"), py::arg("symbol"),
               py::arg("aim_code"), py::arg("units"),
               "A value typed in units (\"si\", \"us\") as the SI number the input file holds.");
    module.def("shown_value", &ShownValue, py::arg("stored"), py::arg("symbol"),
               py::arg("aim_code"), py::arg("units"),
               "The number an input file holds as shown in units, giving it again when typed.");
    module.def("shown_result", &ShownResult, py::arg("si"), py::arg("measures"), py::arg("units"),
               py::arg("decimals"), "A figure of a report in units, as a text.");
    module.def("to_units", &ToUnits, py::arg("si"), py::arg("measures"), py::arg("units"),
               "An SI number in units, unrounded.");
    module.def("unit_of", &UnitOf, py::arg("symbol"), py::arg("units"),
               "The unit of a quantity in a unit system: \"m\", \"ft\", \"in/day\", ...");
    module.def("texture_names", &TextureNames, "The soil-texture classes of the presets.");
    module.def("texture_k", &TextureK, py::arg("name"), py::arg("units"),
               "The typical conductivity of a texture class; None for an unknown class.");
    module.def(
        "texture_source", [] { return std::string(pelorin::kTextureSource); },
        "The publication the texture conductivities come from.");
    module.def(
        "typical_note",
        [](const std::string& name) {
            const pelorin::TextureClass* texture = pelorin::FindTextureClass(name);
            return texture ? pelorin::TypicalNote(*texture) : std::string();
        },
        py::arg("name"), "\"typical for <class>, not measured\"; empty for an unknown class.");
    module.def("run_table", &RunTable, py::arg("cases_csv"), py::arg("jobs"),
               py::arg("shard_index") = 0, py::arg("shard_count") = 0,
               "Runs a table of cases as pelorin-cli batch does: RESULTS.csv's lines.");
    module.def("run_sweep", &RunSweep, py::arg("input_text"), py::arg("file_name"), py::arg("stem"),
               py::arg("variations"), py::arg("both_methods"), py::arg("jobs"),
               "Runs a sweep as pelorin-cli sweep does: RESULTS.csv's lines.");
}
