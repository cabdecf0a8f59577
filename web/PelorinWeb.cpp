// The page's door to the engine. The page hands over the bytes of an input
// file; they are read by the programs' own input-file reader and calculated in
// memory, as pelorin-cli calculates a file on disk, and the report's bytes
// come back. No file system is involved. Input files are written by the
// programs' own writer, and a report's graph is laid out by the graph scales.
// Values typed in US customary units become the SI numbers the input file
// holds here, by the programs' own conversions, and results, profile and graph
// are given back in the units the user chose.

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>
#include <vector>

#include "Calculate.h"
#include "CaseFiles.h"
#include "GraphScales.h"
#include "InputFile.h"
#include "ReportReaders.h"
#include "RunError.h"
#include "Units.h"

namespace pelorin::web {
namespace {

using emscripten::val;

// Reports, titles and messages are single-byte text; embind hands a
// std::string over as UTF-8. So every byte becomes the character of the same
// number on the way out, and back on the way in, and nothing is lost.
std::string Latin1ToUtf8(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const unsigned char byte : bytes) {
        if (byte < 0x80) {
            text.push_back(static_cast<char>(byte));
        } else {
            text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

// The inverse of Latin1ToUtf8; a character beyond U+00FF (which no field of
// the page lets through) becomes '?'.
std::string Utf8ToLatin1(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
            continue;
        }
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (length == 2 && lead <= 0xC3 && i + 1 < text.size()) {
            bytes.push_back(static_cast<char>(((lead & 0x03) << 6) | (text[i + 1] & 0x3F)));
        } else {
            bytes.push_back('?');
        }
        i += length - 1;
    }
    return bytes;
}

val Text(const std::string& bytes) { return val(Latin1ToUtf8(bytes)); }

val TextArray(const std::vector<std::string>& lines) {
    val array = val::array();
    for (const std::string& line : lines) array.call<void>("push", Text(line));
    return array;
}

template <class Number>
val NumberArray(const std::vector<Number>& numbers) {
    val array = val::array();
    for (const Number number : numbers) array.call<void>("push", val(number));
    return array;
}

// Progress lines and messages go to the page's callbacks as they come. The
// page stops a run by ending the worker it runs on, so no stop is asked here.
class PageSink : public RunSink {
  public:
    PageSink(val onProgress, val onMessage)
        : onProgress_(std::move(onProgress)), onMessage_(std::move(onMessage)) {}
    void AddProgressLine(const std::string& line) override { onProgress_(Text(line)); }
    void ShowMessage(const std::string& message) override { onMessage_(Text(message)); }

  private:
    val onProgress_;
    val onMessage_;
};

val Outcome(const char* kind) {
    val result = val::object();
    result.set("outcome", val(kind));
    return result;
}

// The failure's messages as pelorin-cli gives them (with the blank after the
// sentence that opens a program error).
val Failed(std::vector<std::string> messages) {
    for (std::string& message : messages) message = SpacedMessage(message);
    val result = Outcome("failed");
    result.set("messages", TextArray(messages));
    return result;
}

// Bytes for the page: a Uint8Array of their own.
val Bytes(const std::string& bytes) {
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(),
                                            reinterpret_cast<const unsigned char*>(bytes.data())));
}

val GraphOfReportInUnits(const std::string& reportFile, const std::string& reportBytes,
                         const std::string& units);

// "us" is US customary; anything else SI.
UnitSystem UnitsNamed(const std::string& name) {
    return UnitSystemFromName(name).value_or(UnitSystem::SI);
}

std::optional<Quantity> QuantityNamed(const std::string& symbol) {
    for (int q = 0; q < kQuantityCount; ++q)
        if (symbol == TextsOf(static_cast<Quantity>(q)).symbol) return static_cast<Quantity>(q);
    return std::nullopt;
}

// What the sought quantity of an aim measures, and its symbol on the page.
struct Sought {
    const char* symbol;
    Dimension dimension;
};
Sought SoughtOf(CalcAim aim) {
    switch (aim) {
        case CalcAim::Spacing: return {"S", Dimension::Length};
        case CalcAim::Discharge: return {"R", Dimension::Recharge};
        case CalcAim::WaterTableDepth: return {"Dm", Dimension::Length};
        case CalcAim::Conductivity: return {"K", Dimension::Conductivity};
    }
    return {"", Dimension::Length};
}

val Figure(const std::string& name, Dimension d, UnitSystem units, double si, int decimals) {
    val item = val::object();
    item.set("name", val(name));
    item.set("unit", val(UnitName(d, units)));
    item.set("text", val(ShowResult(si, d, units, decimals)));
    return item;
}

// The figures of a report in the chosen units: the sought quantity with the
// report's decimals, the midway heads and depths (3), and the profile's
// distances and heads (the report's 2 and 4 decimals).
val ResultsInUnits(CalcAim aim, const CaseResults& results, UnitSystem units) {
    const Sought sought = SoughtOf(aim);
    val figures = val::array();
    figures.call<void>("push", Figure(sought.symbol, sought.dimension, units, results.Sought,
                                      results.SoughtDecimals));
    const std::pair<const char*, double> midway[] = {
        {"Midway head, Darcy", results.HeadDarcy},
        {"Midway head, energy balance", results.HeadEnergy},
        {"Midway depth, Darcy", results.DepthDarcy},
        {"Midway depth, energy balance", results.DepthEnergy},
    };
    for (const auto& [name, si] : midway)
        figures.call<void>("push", Figure(name, Dimension::Length, units, si, 3));
    val profile = val::array();
    for (const ProfileFigures& row : results.Profile) {
        val line = val::array();
        line.call<void>("push", val(ShowResult(row.X, Dimension::Length, units, 2)));
        line.call<void>("push", val(ShowResult(row.FStar, Dimension::Length, units, 4)));
        line.call<void>("push", val(ShowResult(row.F, Dimension::Length, units, 4)));
        profile.call<void>("push", line);
    }
    val shown = val::object();
    shown.set("unit", val(UnitName(Dimension::Length, units)));
    shown.set("figures", figures);
    shown.set("profile", profile);
    return shown;
}

// Runs the input file `inputFile` with the content `bytes` on one thread:
// "report" with the report's name, bytes, graph and the run's messages, and
// its figures and graph in US units, so that the page shows either without a
// new run; "refused" with the lines of the error list, or "failed" with the
// messages.
val RunInputFile(const std::string& inputFile, const std::string& bytes, val onProgress,
                 val onMessage) {
    if (const std::string refusal = InputNameRefusal(inputFile); !refusal.empty())
        return Failed({refusal});
    const InputReadResult input = ParseInputFile(bytes, inputFile);
    if (input.Status != FileStatus::Ok) return Failed(input.Messages);
    PageSink sink(std::move(onProgress), std::move(onMessage));
    const std::string reportFile = ReportNameFor(inputFile);
    const CaseOutcome outcome = Calculate(CaseInputOf(input.Case, inputFile, reportFile), sink, 1);
    switch (outcome.End) {
        case CaseEnd::Refused: {
            val result = Outcome("refused");
            result.set("errorList", TextArray(outcome.ErrorLines));
            return result;
        }
        case CaseEnd::Reported: {
            val result = Outcome("report");
            result.set("reportFile", val(reportFile));
            result.set("report", Bytes(outcome.Report));
            const CalcAim aim = AimFromCode(input.Case.AimCode).value_or(CalcAim::Spacing);
            result.set("resultsUs", ResultsInUnits(aim, outcome.Results, UnitSystem::US));
            result.set("graph", GraphOfReportInUnits(reportFile, outcome.Report, "si"));
            result.set("graphUs", GraphOfReportInUnits(reportFile, outcome.Report, "us"));
            // The run's warnings, which the report does not keep, for the box
            // beside it.
            result.set("messages", TextArray(outcome.Messages));
            return result;
        }
        case CaseEnd::Failed: break;
    }
    return Failed({outcome.FailureMessage});
}

// The titles, codes and 13 numbers of an input file's bytes, or the messages of
// a file that cannot be used.
val ReadInput(const std::string& inputFile, const std::string& bytes) {
    const InputReadResult input = ParseInputFile(bytes, inputFile);
    val result = val::object();
    result.set("ok", val(input.Status == FileStatus::Ok));
    std::vector<std::string> messages = input.Messages;
    for (std::string& message : messages) message = SpacedMessage(message);
    result.set("messages", TextArray(messages));
    if (input.Status != FileStatus::Ok) return result;
    result.set("title1", Text(input.Case.Title1));
    result.set("title2", Text(input.Case.Title2));
    result.set("aim", val(input.Case.AimCode));
    result.set("method", val(input.Case.MethodCode));
    result.set("values", NumberArray(input.Case.Values));
    return result;
}

// The bytes of an input file in the fixed layout ({bytes}), or what went wrong
// ({error}).
val WriteInput(const std::string& inputFile, const std::string& title1, const std::string& title2,
               const std::string& aimCode, const std::string& methodCode, val values) {
    InputCase inputCase;
    inputCase.Title1 = Utf8ToLatin1(title1);
    inputCase.Title2 = Utf8ToLatin1(title2);
    inputCase.AimCode = aimCode;
    inputCase.MethodCode = methodCode;
    inputCase.Values = emscripten::vecFromJSArray<double>(values);
    const InputFileText formatted = FormatInputFile(inputFile, inputCase);
    val result = val::object();
    if (formatted.Result.Status != FileStatus::Ok)
        result.set("error", val(Latin1ToUtf8(formatted.Result.Message)));
    else
        result.set("bytes", Bytes(formatted.Text));
    return result;
}

// An array of each(quantity, decimals, number) for the numbers of the named
// quantities of an input file of the aim; a name that is no quantity gives
// `other(number)`.
template <class Each, class Other>
val EachQuantity(const std::string& aimCode, val symbols, val numbers, Each each, Other other) {
    const std::vector<std::string> names = emscripten::vecFromJSArray<std::string>(symbols);
    const std::vector<double> values = emscripten::vecFromJSArray<double>(numbers);
    const CalcAim aim = AimFromCode(aimCode).value_or(CalcAim::Spacing);
    val out = val::array();
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
        const std::optional<Quantity> q = QuantityNamed(names[i]);
        out.call<void>("push",
                       q ? val(each(*q, FileDecimals(aim, *q), values[i])) : val(other(values[i])));
    }
    return out;
}

// The numbers an input file of the aim holds for values typed in `units`:
// each converted and rounded to the file's decimals as the writer rounds it.
val StoredValues(const std::string& aimCode, const std::string& units, val symbols, val typed) {
    return EachQuantity(
        aimCode, symbols, typed,
        [&](Quantity q, int decimals, double number) {
            return StoredSiValue(number, q, UnitsNamed(units), decimals);
        },
        [](double number) { return number; });
}

// The texts that show numbers an input file holds in `units`, with enough
// decimals to give the same numbers again.
val ShownValues(const std::string& aimCode, const std::string& units, val symbols, val stored) {
    return EachQuantity(
        aimCode, symbols, stored,
        [&](Quantity q, int decimals, double number) {
            return ShowStoredValue(number, q, UnitsNamed(units), decimals);
        },
        [](double) { return std::string(); });
}

val Ticks(const std::vector<graph::AxisTick>& ticks) {
    val array = val::array();
    for (const graph::AxisTick& tick : ticks) {
        val item = val::object();
        item.set("pixel", val(tick.Pixel));
        item.set("label", val(tick.Label));
        array.call<void>("push", item);
    }
    return array;
}

val DistanceTicks(const std::vector<graph::DistanceTick>& ticks) {
    val array = val::array();
    for (const graph::DistanceTick& tick : ticks) {
        val item = val::object();
        item.set("pixel", val(tick.Pixel));
        item.set("labelLeft", val(tick.LabelLeft));
        item.set("label", val(tick.Label));
        array.call<void>("push", item);
    }
    return array;
}

val Range(graph::RowRange range) {
    val item = val::object();
    item.set("first", val(range.First));
    item.set("last", val(range.Last));
    return item;
}

// Everything the page needs to draw a report's water tables as the desktop
// graph does: titles, captions, legends, ticks, the pixel of every marker and
// which rows carry markers and the requested line. "refusal" says why a
// report gives no graph. In US units the profile is converted to feet first
// and the scales are chosen on the feet by the same rules.
val GraphOfReportInUnits(const std::string& reportFile, const std::string& reportBytes,
                         const std::string& units) {
    val result = val::object();
    const ReportProfileResult report = ParseReportProfile(reportBytes, reportFile);
    if (report.Status != FileStatus::Ok || report.X.empty()) {
        result.set("refusal",
                   Text(report.Message.empty() ? "The report has no profile." : report.Message));
        return result;
    }
    const UnitSystem shownUnits = UnitsNamed(units);
    graph::GraphProfile profile{report.X, report.HeadDarcy, report.HeadEnergy};
    for (std::vector<double>* column : {&profile.X, &profile.HeadDarcy, &profile.HeadEnergy})
        for (double& value : *column) value = FromSi(value, Dimension::Length, shownUnits);
    const graph::PreparedGraph prepared =
        graph::PrepareGraph(std::move(profile), UnitName(Dimension::Length, shownUnits));
    if (!prepared.Drawable()) {
        result.set("refusal", Text(prepared.Refusal));
        return result;
    }
    try {
        const graph::GraphScale& scale = prepared.Scale;
        const graph::GraphMarks marks =
            graph::ChooseGraphMarks(prepared.DisplayProfile.RowCount(), report.MethodTag);
        result.set("title1", Text(report.Title1));
        result.set("title2", Text(report.Title2));
        result.set("methodTag", val(report.MethodTag));
        result.set("heightCaption", Text(scale.HeightCaption));
        result.set("distanceCaption", Text(scale.DistanceCaption));
        result.set("legendDarcy", Text(scale.LegendDarcy));
        result.set("legendEnergy", Text(scale.LegendEnergy));
        result.set("legendRequested", Text(scale.LegendRequested));
        result.set("pixelX", NumberArray(scale.PixelX));
        result.set("pixelYDarcy", NumberArray(scale.PixelYDarcy));
        result.set("pixelYEnergy", NumberArray(scale.PixelYEnergy));
        result.set("heightTicks", Ticks(graph::HeightAxisTicks(scale, ".")));
        result.set("distanceTicks", DistanceTicks(graph::DistanceAxisTicks(scale, ".")));
        result.set("darcyMarkers", Range(marks.DarcyMarkers));
        result.set("energyMarkers", Range(marks.EnergyMarkers));
        result.set("segments", Range(marks.Segments));
        result.set("requested", val(marks.Curve == graph::RequestedCurve::Energy  ? "energy"
                                    : marks.Curve == graph::RequestedCurve::Darcy ? "darcy"
                                                                                  : "none"));
        result.set("requestedLegend", val(marks.RequestedLegend));
    } catch (const RunError& error) {
        result = val::object();
        result.set("refusal", Text(error.what()));
    }
    return result;
}

val GraphOfReport(const std::string& reportFile, const std::string& reportBytes) {
    return GraphOfReportInUnits(reportFile, reportBytes, "si");
}

}  // namespace

EMSCRIPTEN_BINDINGS(pelorin) {
    emscripten::function("runInputFile", &RunInputFile);
    emscripten::function("readInput", &ReadInput);
    emscripten::function("writeInput", &WriteInput);
    emscripten::function("graphOfReport", &GraphOfReport);
    emscripten::function("graphOfReportInUnits", &GraphOfReportInUnits);
    emscripten::function("storedValues", &StoredValues);
    emscripten::function("shownValues", &ShownValues);
}

}  // namespace pelorin::web
