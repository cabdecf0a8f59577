// US customary units on pelorin-cli's command line, through the real process
// and real files: a table typed in US units runs the input files and reports
// of the same table typed in SI; the results show US units and say so in the
// header; graph and pdf draw in feet; another word for the units is refused.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CaseLayout.h"
#include "InputFile.h"
#include "NumberFormat.h"
#include "SoilTexture.h"
#include "TestSupport.h"
#include "Units.h"

namespace pelorin {
namespace {

namespace fs = test::fs;
using test::ReadFile;
using test::RunCli;
using test::TempDir;
using test::WriteFile;

struct UnitCase {
    std::string aim, quantity, typedUs, storedSi, shownUs;
};

// tests/data/us-units.csv: the one table of cases every front end is held to.
std::vector<UnitCase> UnitCases() {
    std::ifstream file(PELORIN_SOURCE_DIR "/tests/data/us-units.csv");
    std::vector<UnitCase> cases;
    std::string line;
    bool header = true;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (std::exchange(header, false)) continue;
        std::vector<std::string> cells;
        std::stringstream stream(line);
        for (std::string cell; std::getline(stream, cell, ',');) cells.push_back(cell);
        cases.push_back({cells.at(0), cells.at(1), cells.at(2), cells.at(3), cells.at(4)});
    }
    return cases;
}

Quantity QuantityNamed(const std::string& symbol) {
    for (int q = 0; q < kQuantityCount; ++q)
        if (symbol == TextsOf(static_cast<Quantity>(q)).symbol) return static_cast<Quantity>(q);
    ADD_FAILURE() << "no quantity " << symbol;
    return Quantity::R;
}

// A quick Darcy case of each aim from the examples, as its file holds it.
std::map<Quantity, double> BaseCase(CalcAim aim) {
    const char* file = aim == CalcAim::Spacing        ? "spacing-darcy-short.inp"
                       : aim == CalcAim::Discharge    ? "discharge-darcy-pipe.inp"
                       : aim == CalcAim::Conductivity ? "conductivity-darcy-pipe.inp"
                                                      : "depth-pipe.inp";
    const InputReadResult read = ReadInputFile(std::string(PELORIN_SOURCE_DIR "/Data/") + file);
    EXPECT_EQ(read.Status, FileStatus::Ok) << file;
    std::map<Quantity, double> values;
    for (int k = 0; k < kFilePositions; ++k)
        if (const auto q = LayoutOf(aim).file[static_cast<std::size_t>(k)])
            values[*q] = read.Case.Values[static_cast<std::size_t>(k)];
    return values;
}

const std::string kSiHeader =
    "row,name,aim,method,R,D1,D2,Dw,Db,E,W,Ka,Kb1,Kv1,Kb2,Kv2,Dm,S,status,result,head_darcy,"
    "head_energy,depth_darcy,depth_energy,message,seconds\n";
const std::string kUsHeader =
    "row,name,aim,method,R (in/day),D1 (ft),D2 (ft),Dw (ft),Db (ft),E (day/ft),W (ft),"
    "Ka (ft/day),Kb1 (ft/day),Kv1 (ft/day),Kb2 (ft/day),Kv2 (ft/day),Dm (ft),S (ft),status,"
    "result (ft for Spa and Hyd; in/day for Dis; ft/day for Con),head_darcy (ft),"
    "head_energy (ft),depth_darcy (ft),depth_energy (ft),message,seconds\n";

std::vector<std::vector<std::string>> CsvLines(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::stringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::stringstream stream(line);
        for (std::string cell; std::getline(stream, cell, ',');) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

#ifdef PELORIN_WITH_DOCUMENTS
// The text of a PDF file as pdftotext lays it out, every run of white space
// made one blank.
std::string PdfText(const fs::path& folder, const std::string& file) {
    const std::string text = test::RunProgram("pdftotext", {"-layout", file, "-"}, folder).out;
    std::string simple;
    for (const char ch : text) {
        const bool blank = ch == ' ' || ch == '\n' || ch == '\f' || ch == '\r';
        if (!blank)
            simple += ch;
        else if (!simple.empty() && simple.back() != ' ')
            simple += ' ';
    }
    return simple;
}
#endif

std::map<std::string, std::string> FolderContents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder))
        contents[entry.path().filename().string()] = ReadFile(entry.path());
    return contents;
}

// Every case of the table as a batch row: its quantity typed in US units in
// one table and as the file's SI number in the other, the other numbers of
// its aim's example the same in both (in US units as they are shown back).
TEST(UnitsCli, ATableInUsUnitsRunsTheFilesAndReportsOfTheSameTableInSi) {
    const std::vector<UnitCase> cases = UnitCases();
    ASSERT_GE(cases.size(), 10u);
    std::string us = "name,aim,method";
    std::string si = us;
    for (int q = 0; q < kQuantityCount; ++q) {
        us += std::string(",") + TextsOf(static_cast<Quantity>(q)).symbol;
        si += std::string(",") + TextsOf(static_cast<Quantity>(q)).symbol;
    }
    us += "\n";
    si += "\n";
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const CalcAim aim = *AimFromCode(cases[k].aim);
        const Quantity typed = QuantityNamed(cases[k].quantity);
        const std::string lead = "case" + std::to_string(k + 1) + "," + cases[k].aim + ",Dar";
        us += lead;
        si += lead;
        const std::map<Quantity, double> base = BaseCase(aim);
        for (int q = 0; q < kQuantityCount; ++q) {
            const Quantity quantity = static_cast<Quantity>(q);
            const auto value = base.find(quantity);
            us += ',';
            si += ',';
            if (quantity == typed) {
                us += cases[k].typedUs;
                si += cases[k].storedSi;
            } else if (value != base.end()) {
                const int decimals = FileDecimals(aim, quantity);
                us += ShowStoredValue(value->second, quantity, UnitSystem::US, decimals);
                si += FormatFixed(value->second, 0, decimals);
            }
        }
        us += "\n";
        si += "\n";
    }
    const TempDir dir;
    WriteFile(dir.File("us.csv"), us);
    WriteFile(dir.File("si.csv"), si);
    fs::create_directory(dir.File("us"));
    fs::create_directory(dir.File("si"));
    const auto usRun =
        RunCli({"batch", "us.csv", "--units", "us", "--reports", "us", "--jobs", "2"}, dir.Path());
    const auto siRun = RunCli({"batch", "si.csv", "--reports", "si", "--jobs", "2"}, dir.Path());
    EXPECT_LE(usRun.exitCode, 1) << usRun.err;
    EXPECT_EQ(usRun.exitCode, siRun.exitCode);

    // The same input files, reports and error lists, byte for byte.
    const auto usFiles = FolderContents(dir.File("us"));
    EXPECT_GE(usFiles.size(), 2 * cases.size());
    EXPECT_EQ(usFiles, FolderContents(dir.File("si")));

    // The SI table is today's; the US one names its units and shows each typed
    // value as the file holds it, in US units.
    ASSERT_TRUE(siRun.out.starts_with(kSiHeader)) << siRun.out;
    ASSERT_TRUE(usRun.out.starts_with(kUsHeader)) << usRun.out;
    const auto usRows = CsvLines(usRun.out);
    const auto siRows = CsvLines(siRun.out);
    ASSERT_EQ(usRows.size(), cases.size() + 1);
    ASSERT_EQ(siRows.size(), cases.size() + 1);
    for (std::size_t k = 0; k < cases.size(); ++k) {
        SCOPED_TRACE(cases[k].aim + " " + cases[k].quantity);
        const std::size_t column = 4 + static_cast<std::size_t>(QuantityNamed(cases[k].quantity));
        EXPECT_EQ(usRows[k + 1].at(column), cases[k].shownUs);
        EXPECT_EQ(siRows[k + 1].at(column), cases[k].storedSi);
        // The status and the result: the SI figure in US units.
        EXPECT_EQ(usRows[k + 1].at(18), siRows[k + 1].at(18));
        if (siRows[k + 1].at(18) != "ok") continue;
        const CalcAim aim = *AimFromCode(cases[k].aim);
        const std::string siResult = siRows[k + 1].at(19);
        const double usResult = std::stod(usRows[k + 1].at(19));
        const double back = ToSi(usResult, SoughtDimension(aim), UnitSystem::US);
        EXPECT_NEAR(back, std::stod(siResult), std::stod(siResult) * 2e-3 + 1e-3) << siResult;
        const double headSi = std::stod(siRows[k + 1].at(20));
        EXPECT_NEAR(std::stod(usRows[k + 1].at(20)) * 0.3048, headSi, 0.0005) << headSi;
    }
}

// The sweep's varied values are US numbers, the rest of its table too.
TEST(UnitsCli, ASweepInUsUnitsVariesUsValuesAndShowsThem) {
    const TempDir dir;
    fs::copy_file(PELORIN_SOURCE_DIR "/Data/spacing-darcy-short.inp", dir.File("base.inp"));
    const auto us =
        RunCli({"sweep", "base.inp", "--vary", "R=0.375,0.5", "--units", "US"}, dir.Path());
    const auto si = RunCli({"sweep", "base.inp", "--vary", "R=0.0095,0.0127"}, dir.Path());
    ASSERT_EQ(us.exitCode, 0) << us.err;
    ASSERT_EQ(si.exitCode, 0) << si.err;
    ASSERT_TRUE(us.out.starts_with(kUsHeader));
    const auto usRows = CsvLines(us.out);
    const auto siRows = CsvLines(si.out);
    ASSERT_EQ(usRows.size(), 3u);
    EXPECT_EQ(usRows[1].at(4), "0.374");  // 0.0095 m/day
    EXPECT_EQ(usRows[2].at(4), "0.500");  // 0.0127 m/day
    EXPECT_EQ(usRows[1].at(5), "5.249");  // D1 1.600 m, as shown back
    for (std::size_t row = 1; row < 3; ++row) {
        EXPECT_EQ(usRows[row].at(18), "ok");
        // The spacing in ft from the run's own figure, with the report's 2
        // decimals: within the rounding of both tables of the SI one's.
        const std::string spacing = usRows[row].at(19);
        EXPECT_EQ(spacing.size() - spacing.find('.'), 3u) << spacing;
        EXPECT_NEAR(std::stod(spacing) * 0.3048, std::stod(siRows[row].at(19)),
                    0.005 + 0.005 * 0.3048);
    }
}

// Another word than si or us stops each command before it reads anything.
TEST(UnitsCli, AnUnknownUnitSystemIsAUsageErrorNamingSiAndUs) {
    const TempDir dir;
    fs::copy_file(PELORIN_SOURCE_DIR "/Data/depth-pipe.inp", dir.File("case.inp"));
    WriteFile(dir.File("cases.csv"), "name,aim\n");
    for (const std::vector<std::string>& args : {
             std::vector<std::string>{"batch", "cases.csv", "--units", "metric"},
             {"sweep", "case.inp", "--vary", "R=0.01", "--units", "metric"},
#ifdef PELORIN_WITH_DOCUMENTS
             {"graph", "--units", "metric", "case.out", "case.png"},
             {"pdf", "--units", "metric", "case.out", "case.pdf"},
#endif
         }) {
        SCOPED_TRACE(args.front());
        const auto run = RunCli(args, dir.Path());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("pelorin-cli " + args.front() + ": "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("si (metres and days) or us"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("\"metric\""), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Usage: pelorin-cli " + args.front()), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_FALSE(fs::exists(dir.File("case.png")));
    EXPECT_FALSE(fs::exists(dir.File("case.pdf")));
}

// The batch's help gives every texture preset, in both units, and its source.
TEST(UnitsCli, TheBatchHelpListsTheTexturePresetsAndTheirSource) {
    const TempDir dir;
    const auto help = RunCli({"batch", "--help"}, dir.Path());
    ASSERT_EQ(help.exitCode, 0);
    std::string text;  // the help's words, its lines joined by blanks
    for (const char ch : help.out) text += ch == '\n' ? ' ' : ch;
    for (const TextureClass& texture : kTextureClasses) {
        char values[64];
        std::snprintf(values, sizeof values, " %g = %.4f", texture.ftPerDay, texture.metresPerDay);
        EXPECT_NE(text.find(std::string(texture.name) + values), std::string::npos) << texture.name;
    }
    EXPECT_NE(text.find("silt loam 2.04 = 0.6218"), std::string::npos);
    EXPECT_NE(text.find("Source: Clapp, R.B. and G.M. Hornberger (1978)."), std::string::npos);
    EXPECT_NE(text.find("Water Resources Research 14: 601-604."), std::string::npos);
}

#ifdef PELORIN_WITH_DOCUMENTS
// The worked example of the README: 3/8 in/day, the drains' water level at
// 3.5 ft, 40 ft apart. Its graph and design sheet are in feet; the sheet
// shows the report's SI values beside the US ones; the report stays SI.
TEST(UnitsCli, TheGraphAndTheDesignSheetOfAUsCaseAreInFeet) {
    const TempDir dir;
    WriteFile(dir.File("cases.csv"),
              "name,aim,method,R,D1,D2,Dw,Db,E,W,Ka,Kb1,Kv1,Kb2,Kv2,S\n"
              "tile,depth,Ene,0.375,8,12,3.5,3.6,0,0,2.04,2.04,1,0.694,0.35,40\n");
    fs::create_directory(dir.File("out"));
    const auto batch =
        RunCli({"batch", "cases.csv", "--units", "us", "--reports", "out"}, dir.Path());
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    const std::string report = ReadFile(dir.File("out/tile.out"));
    EXPECT_NE(report.find("0.0095"), std::string::npos);
    EXPECT_EQ(report.find("ft"), std::string::npos);

    const auto graph = RunCli({"graph", "--units", "us", "out/tile.out", "tile.svg"}, dir.Path());
    ASSERT_EQ(graph.exitCode, 0) << graph.err;
    const std::string svg = ReadFile(dir.File("tile.svg"));
    EXPECT_NE(svg.find("Distance from drain (ft)"), std::string::npos);
    EXPECT_NE(svg.find("Watertable height above drain ("), std::string::npos);
    EXPECT_EQ(svg.find("(m)"), std::string::npos);
    EXPECT_NE(svg.find("24.0"), std::string::npos);  // 20 ft half spacing: the axis ends at 24

    const auto pdf = RunCli({"pdf", "--units", "us", "out/tile.out", "tile.pdf"}, dir.Path());
    ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
    const std::string text = PdfText(dir.Path(), "tile.pdf");
    EXPECT_NE(text.find("Report (SI)"), std::string::npos) << text;
    EXPECT_NE(text.find("R in/day 0.374 0.0095 m/day"), std::string::npos) << text;
    // The report echoes lengths with 2 decimals: the sheet shows those numbers.
    EXPECT_NE(text.find("Dw ft 3.510 1.07 m"), std::string::npos) << text;
    EXPECT_NE(text.find("S ft 39.993 12.19 m"), std::string::npos) << text;
    EXPECT_NE(text.find("Vertical permeability, 1st soil layer Kv1 ft/day 1.0000 0.3048 m/day"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Midway W.T. depth (energy, ft) is: 2.654 (0.809 m)"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Distance from drain (ft)"), std::string::npos) << text;
}
#endif

}  // namespace
}  // namespace pelorin
