// Prints what the page knows about cases, fields and graphs as a script
// (tables.js), from the desktop program's own tables: the choices of the aim and
// method boxes, each aim's rows with their captions, the quantities at the
// positions of the input file and their decimals (engine/CaseLayout,
// sheetrules/InputRows), the number text of a field and the longest number a
// file holds (sheetrules/FieldNumbers, engine/TextReader), the plausibility
// rules (sheetrules/PlausibilityRules), the Symbols legend
// (sheetrules/SymbolsLegend), the heading and note of the run's warnings
// (sheetrules/SheetWarnings), the lines of a report that name files
// (sheetrules/ReportDisplay), the captions and units of US customary units
// and the soil-texture presets with their source (sheetrules/Units,
// sheetrules/SoilTexture), and the graph's frame and palettes
// (graph/GraphScales, graph/GraphFrame). scripts/web builds and runs it with
// the host's compiler; PELORIN_VERSION names the program on the graph.

#include <cstdio>
#include <string>
#include <vector>

#include "CaseLayout.h"
#include "FieldNumbers.h"
#include "FileNameRules.h"
#include "GraphFrame.h"
#include "GraphScales.h"
#include "InputFile.h"
#include "InputRows.h"
#include "PlausibilityRules.h"
#include "ReportDisplay.h"
#include "SheetWarnings.h"
#include "SoilTexture.h"
#include "SymbolsLegend.h"
#include "TextReader.h"

namespace {

using pelorin::CalcAim;
using pelorin::Quantity;

constexpr CalcAim kAims[] = {CalcAim::Spacing, CalcAim::Discharge, CalcAim::WaterTableDepth,
                             CalcAim::Conductivity};

// A JavaScript string literal. The texts are ASCII; anything else is escaped.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted.push_back('\\');
            quoted.push_back(c);
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted.push_back(c);
        }
    }
    return quoted + "\"";
}

std::string Symbol(Quantity q) { return Quoted(pelorin::TextsOf(q).symbol); }
std::string Flag(bool on) { return on ? "true" : "false"; }
std::string Integer(int n) { return std::to_string(n); }

// A double as the shortest text that reads back as the same double.
std::string Number(double value) {
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::stod(text) == value) break;
    }
    return text;
}

template <class Items, class Item>
std::string List(const Items& items, Item item) {
    std::string list = "[";
    bool first = true;
    for (const auto& element : items) {
        list += (first ? "" : ", ") + item(element);
        first = false;
    }
    return list + "]";
}

void PrintAim(CalcAim aim) {
    const pelorin::RowLayout rows = pelorin::LayoutRows(aim);
    const pelorin::AimLayout& file = pelorin::LayoutOf(aim);
    std::printf("    %s: {\n", pelorin::AimCodeOf(aim));
    std::printf("      captions: %s,\n", List(rows.Captions, Quoted).c_str());
    const pelorin::RowLayout usRows = pelorin::LayoutRows(aim, pelorin::UnitSystem::US);
    std::printf("      captionsUs: %s,\n", List(usRows.Captions, Quoted).c_str());
    std::printf("      captionVisible: %s,\n", List(rows.CaptionVisible, Flag).c_str());
    std::printf("      fieldVisible: %s,\n", List(rows.FieldVisible, Flag).c_str());
    std::printf("      fileQuantities: %s,\n",
                List(file.file, [](const std::optional<Quantity>& q) {
                    return q ? Symbol(*q) : std::string("null");
                }).c_str());
    std::printf("      fileDecimals: %s,\n", List(file.fileDecimals, Integer).c_str());
    std::printf("      footnoteVisible: %s,\n    },\n", Flag(rows.FootnoteVisible).c_str());
}

const char* RelationText(pelorin::Relation relation) {
    switch (relation) {
        case pelorin::Relation::Greater: return "\">\"";
        case pelorin::Relation::GreaterOrEqual: return "\">=\"";
        case pelorin::Relation::Equal: return "\"==\"";
    }
    return "null";
}

void PrintRule(const pelorin::PlausibilityRule& rule) {
    const pelorin::RuleCondition& c = rule.Condition;
    std::printf(
        "    { aims: %s, everyNumber: %s, left: %s, compare: %s, factor: %s, right: %s, "
        "text: %s, zeroed: %s },\n",
        List(rule.Aims, [](CalcAim aim) { return Quoted(pelorin::AimCodeOf(aim)); }).c_str(),
        Flag(c.EveryNumber).c_str(), c.EveryNumber ? "null" : Symbol(c.Left).c_str(),
        RelationText(c.Compare), Number(c.Factor).c_str(),
        c.Right ? Symbol(*c.Right).c_str() : "null", Quoted(rule.Text).c_str(),
        List(rule.Zeroed, Symbol).c_str());
}

std::string Colour(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb));
    return Quoted(text);
}

std::string Inks(const pelorin::graph::InkColours& inks) {
    static const char* const names[pelorin::graph::kInkCount] = {
        "canvas", "canvasText", "panel",  "axis",     "secondTitle",
        "label",  "darcy",      "energy", "requested"};
    std::string object = "{ ";
    for (int i = 0; i < pelorin::graph::kInkCount; ++i)
        object += std::string(i == 0 ? "" : ", ") + names[i] + ": " + Colour(inks[i]);
    return object + " }";
}

std::string Point(pelorin::graph::FramePoint point) {
    return "{ x: " + Integer(point.X) + ", y: " + Integer(point.Y) + " }";
}

void PrintGraph() {
    namespace g = pelorin::graph;
    std::printf("  graph: {\n");
    std::printf("    canvasWidth: %d, canvasHeight: %d,\n", g::kCanvasWidth, g::kCanvasHeight);
    std::printf("    plotLeft: %d, plotBottom: %d, plotRight: %d, plotTop: %d,\n", g::kPlotLeft,
                g::kPlotBottom, g::kPlotRight, g::kPlotTop);
    std::printf("    panel: { left: %d, top: %d, right: %d, bottom: %d },\n", g::kPanelArea.Left,
                g::kPanelArea.Top, g::kPanelArea.Right, g::kPanelArea.Bottom);
    const std::pair<const char*, g::FramePoint> places[] = {
        {"title1At", g::kTitle1At},
        {"footerAt", g::kFooterAt},
        {"title2At", g::kTitle2At},
        {"distanceCaptionAt", g::kDistanceCaptionAt},
        {"heightCaptionAt", g::kHeightCaptionAt},
        {"legendDarcyAt", g::kLegendDarcyAt},
        {"legendEnergyAt", g::kLegendEnergyAt},
        {"legendRequestedAt", g::kLegendRequestedAt},
    };
    for (const auto& [name, point] : places)
        std::printf("    %s: %s,\n", name, Point(point).c_str());
    std::printf("    tickLength: %d, heightLabelGap: %d, distanceLabelTop: %d,\n", g::kTickLength,
                g::kHeightLabelGap, g::kDistanceLabelTop);
    std::printf("    requestedLineBelow: %d, largeFontPixels: %d, smallFontPixels: %d,\n",
                g::kRequestedLineBelow, g::kLargeFontPixels, g::kSmallFontPixels);
    std::printf("    footer: %s,\n", Quoted(std::string("Pelorin ") + PELORIN_VERSION).c_str());
    std::printf("    inks: { colour: %s,\n            blackAndWhite: %s },\n",
                Inks(g::kColourInks).c_str(), Inks(g::kBlackAndWhiteInks).c_str());
    std::printf("  },\n");
}

// The soil-texture presets: each class with its typical conductivity in both
// unit systems and the note that marks a field filled from it.
void PrintTextures() {
    std::printf("  textures: [\n");
    for (const pelorin::TextureClass& texture : pelorin::kTextureClasses)
        std::printf("    { name: %s, si: %s, us: %s, note: %s },\n", Quoted(texture.name).c_str(),
                    Number(texture.metresPerDay).c_str(), Number(texture.ftPerDay).c_str(),
                    Quoted(pelorin::TypicalNote(texture)).c_str());
    std::printf("  ],\n");
    std::printf("  textureSource: %s,\n", Quoted(pelorin::kTextureSource).c_str());
    std::printf("  presetQuantities: %s,\n",
                List(std::vector<Quantity>{Quantity::Ka, Quantity::Kb1, Quantity::Kv1,
                                           Quantity::Kb2, Quantity::Kv2},
                     Symbol)
                    .c_str());
}

}  // namespace

int main() {
    std::printf("// Made by scripts/web from the program's tables; do not edit.\n");
    // globalThis: the page, its worker and node (the tests) alike.
    std::printf("globalThis.PelorinTables = {\n");
    std::printf("  aimChoices: %s,\n", List(pelorin::kAimChoices, Quoted).c_str());
    std::printf("  methodChoices: %s,\n", List(pelorin::kMethodChoices, Quoted).c_str());
    std::printf("  methodCodes: [%s, %s],\n",
                Quoted(pelorin::MethodCodeOf(pelorin::CalcMethod::EnergyBalance)).c_str(),
                Quoted(pelorin::MethodCodeOf(pelorin::CalcMethod::Darcy)).c_str());
    std::printf("  rowCount: %d,\n", pelorin::kRowCount);
    std::printf("  methodMatters: { ");
    for (CalcAim aim : kAims)
        std::printf("%s: %s, ", pelorin::AimCodeOf(aim),
                    Flag(pelorin::MethodChoiceMatters(aim)).c_str());
    std::printf("},\n");
    std::printf("  footnoteCaption: %s,\n", Quoted(pelorin::kFootnoteCaption).c_str());
    std::vector<std::string> quantities;
    for (int q = 0; q < pelorin::kQuantityCount; ++q) {
        const pelorin::QuantityTexts& texts = pelorin::TextsOf(static_cast<Quantity>(q));
        const char* usUnit = pelorin::UnitName(static_cast<Quantity>(q), pelorin::UnitSystem::US);
        quantities.push_back("{ symbol: " + Quoted(texts.symbol) + ", unit: " + Quoted(texts.unit) +
                             ", unitUs: " + Quoted(usUnit) + " }");
    }
    std::printf("  quantities: %s,\n",
                List(quantities, [](const std::string& s) { return s; }).c_str());
    std::printf("  rows: {\n");
    for (CalcAim aim : kAims) PrintAim(aim);
    std::printf("  },\n");
    std::printf("  numberPattern: %s,\n", Quoted(pelorin::kFieldNumberPattern).c_str());
    std::printf("  maxNumberLength: %d,\n", static_cast<int>(pelorin::kMaxNumberLength));
    std::printf("  foreignTitles: [%s, %s],\n", Quoted(pelorin::kForeignTitlesLead).c_str(),
                Quoted(pelorin::kForeignTitlesEnd).c_str());
    std::printf("  rules: [\n");
    for (const pelorin::PlausibilityRule& rule : pelorin::PlausibilityRules()) PrintRule(rule);
    std::printf("  ],\n");
    std::printf("  symbolsLegend: %s,\n", List(pelorin::kSymbolsLegend, Quoted).c_str());
    std::printf("  runWarnings: { heading: %s, note: %s },\n",
                Quoted(pelorin::kRunWarningsHeading).c_str(),
                Quoted(pelorin::kRunWarningsNote).c_str());
    std::printf("  fileNameLines: [%d, %d],\n", pelorin::kFirstFileNameLine,
                pelorin::kLastFileNameLine);
    PrintTextures();
    PrintGraph();
    std::printf("};\n");
    std::printf("if (typeof module !== 'undefined') module.exports = globalThis.PelorinTables;\n");
    return 0;
}
