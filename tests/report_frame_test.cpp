#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "CaseFiles.h"
#include "DrainageCase.h"
#include "Engines.h"
#include "ReportFrame.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "RunSink.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::SplitCrLf;
using test::TempDir;
using test::WriteCase;
using test::WriteFile;
using test::fs::exists;

// ---------------------------------------------------------------------------
// The report name

struct NameCase {
    const char* input;
    const char* report;
};

class ReportName : public ::testing::TestWithParam<NameCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const NameCase& k) { return out << k.input; }

TEST_P(ReportName, ReplacesTheExtensionOfTheFileName) {
    EXPECT_EQ(ReportNameFor(GetParam().input), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ReportName,
    ::testing::Values(NameCase{"case1.inp", "case1.out"}, NameCase{"case1", "case1.out"},
                      NameCase{"my.case.inp", "my.case.out"}, NameCase{"case1.txt", "case1.out"},
                      NameCase{"case1.", "case1.out"},
                      NameCase{"/data/case1.inp", "/data/case1.out"},
                      // a dot in a folder name is no extension
                      NameCase{"/data/v1.2/case1", "/data/v1.2/case1.out"},
                      NameCase{"fields.2024/north.inp", "fields.2024/north.out"},
                      NameCase{"./case1", "./case1.out"}));

// ---------------------------------------------------------------------------
// The header block

const char* const kAuthor = " Pelorin, by Tessivar";
const std::vector<std::string> kSpacingSix = {
    " It also calculates the shape of the watertable for two cases:",
    " (1) Darcy, and (2) the energy balance.",
    " The program allows the introduction of 3 soil layers with",
    " anisotropic hydraulic conductivity.",
    " Calculations can be made for pipe drains or ditches",
    " with or without entrance resistance."};
const std::vector<std::string> kDischargeSix = {
    " It also calculates the shape of the watertable for two cases:",
    " (1) Darcy, and (2)the energy balance",
    " The program allows the introduction of 3 soil layers with",
    " anisotropic hydraulic conductivity.",
    " Calculations can be made for pipe drains or ditches",
    " with or without entrance resistance."};

std::vector<std::string> Join(std::vector<std::string> head, const std::vector<std::string>& tail,
                              std::vector<std::string> end) {
    head.insert(head.end(), tail.begin(), tail.end());
    head.insert(head.end(), end.begin(), end.end());
    return head;
}

struct HeaderCase {
    Module module;
    const char* name;
    std::vector<std::string> lines;  // lines 1 to 10
    const char* caption;
};

std::vector<HeaderCase> HeaderTable() {
    const char* heights = " Watertable heights (see also the Symbols button):";
    const char* height = " Watertable height (see also the Symbols button):";
    return {
        {Module::DarSpac, "DarSpac",
         Join({"", kAuthor,
               " Program DarSpac calculates the drain spacing using the Darcy equation."},
              kSpacingSix, {""}),
         heights},
        {Module::EneSpac, "EneSpac",
         Join({kAuthor, " Program EneSpac calculates the drain spacing using the energy",
               " balance equation."},
              kSpacingSix, {""}),
         heights},
        {Module::DarCond,
         "DarCond",
         {"", kAuthor, "", " Program DarCond calculates the equivalent hydraulic conductivity.",
          " of the soil between drains using the Darcy equation.",
          " The shape of the water table is calculated both with the",
          " Darcy and energy balance equation.",
          " Calculations can be made for pipe drains or ditches",
          " with or without entrance resistance.", ""},
         heights},
        {Module::EneCond,
         "EneCond",
         {"", kAuthor, "", " Program EneCond calculates the equivalent hydraulic conductivity.",
          " of the soil between drains using the energy balance equation.",
          " The shape of the water table is calculated both with the",
          " Darcy and energy balance equation.",
          " Calculations can be made for pipe drains or ditches",
          " with or without entrance resistance.", ""},
         heights},
        {Module::HydrHead,
         "HydrHead",
         {"", kAuthor, " Program HydrHead calculates the shape of the water table",
          " between drains using both the Darcy and the energy balance", " equation",
          " The program allows the introduction of 3 soil layers with",
          " anisotropic hydraulic conductivity.",
          " Calculations can be made for pipe drains or ditches",
          " with or without entrance resistance.", ""},
         height},
        {Module::DarDisc, "DarDisc",
         Join({kAuthor, " Program DarDisc calculates the drain discharge using the Darcy",
               " equation"},
              kDischargeSix, {""}),
         height},
        {Module::EneDisc, "EneDisc",
         Join({kAuthor, " Program EneDisc calculates the drain discharge using the energy",
               " balance equation"},
              kDischargeSix, {""}),
         height},
    };
}

class ReportHeader : public ::testing::TestWithParam<HeaderCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const HeaderCase& k) { return out << k.name; }

TEST_P(ReportHeader, PutsTheTitlesOnLines11And12) {
    const HeaderCase& h = GetParam();
    DrainageCase c;
    c.Title1 = "Field 7  north";
    c.Title2 = "";
    c.InputFileName = "field7.inp";
    c.ReportFileName = "field7.out";
    ReportWriter report;
    WriteReportHeader(report, c, h.module);
    std::vector<std::string> expected = h.lines;
    ASSERT_EQ(expected.size(), 10u);
    const std::vector<std::string> rest = {"  Field 7  north",
                                           "  ",
                                           "",
                                           " Name of input file used:  field7.inp",
                                           " Name of this output file: field7.out",
                                           "",
                                           std::string(" ") + h.name + " input data: ",
                                           ""};
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(SplitCrLf(report.Contents()), expected);
    EXPECT_EQ(ModuleName(h.module), h.name);
}

TEST_P(ReportHeader, TableHeadHasTheCaptionOfTheModule) {
    const HeaderCase& h = GetParam();
    ReportWriter report;
    WriteTableHead(report, h.module);
    EXPECT_EQ(report.Contents(),
              std::string("\r\n") + h.caption +
                  "\r\n   X       F*        G*/p      F         G/p       T1        T2\r\n"
                  " Output data:\r\n");
}

INSTANTIATE_TEST_SUITE_P(Modules, ReportHeader, ::testing::ValuesIn(HeaderTable()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The input echo and the result lines

TEST(ReportFrame, EchoLinesAreSixtyCharacterLabelsAndTenWideValues) {
    DrainageCase c;
    c.R = 0.0075;
    c.D1 = 1.8;
    c.D2 = 3.456;
    c.Dw = 1.0;
    c.Db = 1.125;
    c.E = 2.5;
    c.W = 0.35;
    c.Ka = 12.345;
    c.Kb1 = 0.0;
    c.Kv1 = 0.12345;
    c.Kb2 = 1234567.5;
    c.Kv2 = -0.00001;
    c.Dm = 0.5;
    c.S = 36.9;
    ReportWriter report;
    WriteInputEcho(report, c,
                   {Quantity::R, Quantity::D1, Quantity::D2, Quantity::Dw, Quantity::Db,
                    Quantity::E, Quantity::W, Quantity::Ka, Quantity::Kb1, Quantity::Kv1,
                    Quantity::Kb2, Quantity::Kv2, Quantity::Dm, Quantity::S});
    const std::vector<std::string> expected = {
        " Time average recharge or discharge         R    (m/day) :      0.0075",
        " Bottom depth of 1st layer below s.s.       D1       (m) :        1.80",
        " Bottom depth of 2nd layer below s.s.       D2       (m) :        3.46",
        " Depth waterlevel in drain below s.s.       Dw       (m) :        1.00",
        " Depth of drain bottom below s.s.           Db       (m) :        1.13",
        " Entrance resistance at the drain           E    (day/m) :       2.500",
        " Max. width of water body in the drain      W        (m) :       0.350",
        " Hydraulic permeability, above drain level  Ka   (m/day) :      12.345",
        " Horizontal permeability, 1st soil layer    Kb1  (m/day) :       0.000",
        " Vertical permeability, 1st soil layer      Kv1  (m/day) :      0.1235",
        " Horizontal permeability, 2nd soil layer    Kb2  (m/day) :  1234567.500",
        " Vertical permeability, 2nd soil layer      Kv2  (m/day) :     -0.0000",
        " Depth watertable midway between drains     Dm       (m) :        0.50",
        " Spacing betweeen the drains                S        (m) :       36.90"};
    const std::vector<std::string> lines = SplitCrLf(report.Contents());
    EXPECT_EQ(lines, expected);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.substr(57, 3), ":  ") << line;
        EXPECT_GE(line.size(), 70u) << line;
    }
}

TEST(ReportFrame, EchoFollowsTheGivenOrder) {
    DrainageCase c;
    c.S = 20;
    c.Dm = 0.6;
    ReportWriter report;
    WriteInputEcho(report, c, {Quantity::S, Quantity::Dm});
    EXPECT_EQ(report.Contents(),
              " Spacing betweeen the drains                S        (m) :       20.00\r\n"
              " Depth watertable midway between drains     Dm       (m) :        0.60\r\n");
}

TEST(ReportFrame, ResultLinesAreEightWide) {
    ReportWriter report;
    WriteResult(report, " The drain spacing (Darcy,  m) is: ", 31.914, 2);
    WriteResult(report, " Midway hydr. head (energy, m) is: ", 0.4417, 3);
    WriteResult(report, " Discharge: ", 0.0012345, 5);
    WriteResult(report, " Wide: ", 123456.789, 2);
    EXPECT_EQ(report.Contents(),
              " The drain spacing (Darcy,  m) is:    31.91\r\n"
              " Midway hydr. head (energy, m) is:    0.442\r\n"
              " Discharge:  0.00123\r\n"
              " Wide: 123456.79\r\n");
}

// ---------------------------------------------------------------------------
// The report on disk: written whole at the end of a run, or not at all

// A spacing case that the check accepts and the engine cannot finish: Kv1 = R
// makes both layers impermeable, and a pipe drain without entrance resistance
// then has no transmissivity at its first step.
//                                     R     D1   D2   Dw   Db   E  W  Ka   Kb1  Kv1    Kb2  Kv2  Dm
const std::vector<double> kFaulting = {0.005, 2.0, 4.0,   1.0, 1.2, 0,  0,
                                       0.5,   1.0, 0.005, 2.0, 1.0, 0.5};
const std::vector<double> kGood = {0.01, 1.5, 2.0, 1.0, 2.0, 0, 0, 0.2, 0.5, 0.5, 0.5, 0.5, 0.5};

std::vector<std::string> FolderContents(const test::fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : test::fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs the input file as the programs do, its error list in the test's folder.
FileRun RunFile(const TempDir& dir, const std::string& input, RunSink& sink) {
    FileRunOptions options;
    options.ErrorListFile = dir.File("Error.lst");
    return RunInputFile(input, sink, options);
}

// A method as a test parameter, named in the test list.
struct MethodCase {
    CalcMethod method;
    const char* name;
};
std::ostream& operator<<(std::ostream& out, const MethodCase& k) { return out << k.name; }
const MethodCase kMethods[] = {{CalcMethod::Darcy, "Darcy"},
                               {CalcMethod::EnergyBalance, "EnergyBalance"}};
class ReportOnDisk : public ::testing::TestWithParam<MethodCase> {
  protected:
    // The method code the input file gives the run.
    static const char* Method() { return GetParam().method == CalcMethod::Darcy ? "Dar" : "Ene"; }
};

TEST_P(ReportOnDisk, AFaultLeavesThePreviousReportAsItWas) {
    TempDir dir;
    const std::string input = WriteCase(dir.File("case.inp"), "Spa", Method(), kFaulting);
    const std::string previous = "an earlier report\r\nof this case\r\n";
    WriteFile(dir.File("case.out"), previous);
    RecordingSink sink;
    const CaseOutcome outcome = RunFile(dir, input, sink).Outcome;
    ASSERT_EQ(outcome.End, CaseEnd::Failed) << "the run ended normally";
    EXPECT_EQ(outcome.FailureKind, Fault::DivisionByZero);
    EXPECT_EQ(outcome.FailureMessage, "Floating point division by zero");
    EXPECT_EQ(ReadFile(dir.File("case.out")), previous);
    EXPECT_EQ(FolderContents(dir.Path()), (std::vector<std::string>{"case.inp", "case.out"}))
        << "a temporary file or the error list was left behind";
}

TEST_P(ReportOnDisk, ASuccessfulRunReplacesTheReportWhole) {
    TempDir dir;
    const std::string input = WriteCase(dir.File("case.inp"), "Spa", Method(), kGood);
    WriteFile(dir.File("case.out"), std::string(10000, '~'));
    RecordingSink sink;
    const FileRun run = RunFile(dir, input, sink);
    EXPECT_EQ(run.Outcome.End, CaseEnd::Reported);
    EXPECT_EQ(run.ReportPath, dir.File("case.out"));
    const std::string report = ReadFile(dir.File("case.out"));
    const std::vector<std::string> lines = SplitCrLf(report);
    ASSERT_GT(lines.size(), 40u);
    EXPECT_EQ(lines[13], " Name of input file used:  " + input);
    EXPECT_EQ(lines[14], " Name of this output file: " + dir.File("case.out"));
    EXPECT_EQ(lines.back(), " #");
    EXPECT_EQ(report.find('~'), std::string::npos);
    EXPECT_EQ(report.substr(report.size() - 2), "\r\n");
    EXPECT_EQ(FolderContents(dir.Path()), (std::vector<std::string>{"case.inp", "case.out"}));
}

// A folder where the report cannot be made: the run stops before it computes
// and the report that is there stays.
TEST_P(ReportOnDisk, AnUnwritableReportStopsTheRunAndKeepsThePreviousReport) {
    TempDir dir;
    const std::string input = WriteCase(dir.File("case.inp"), "Spa", Method(), kGood);
    // the report's name is taken by a folder, with a file in it
    test::fs::create_directory(dir.File("case.out"));
    WriteFile(dir.File("case.out/previous"), "previous\r\n");
    RecordingSink sink;
    const CaseOutcome outcome = RunFile(dir, input, sink).Outcome;
    ASSERT_EQ(outcome.End, CaseEnd::Failed) << "the run ended normally";
    EXPECT_EQ(outcome.FailureMessage, "Invalid filename");
    EXPECT_EQ(ReadFile(dir.File("case.out/previous")), "previous\r\n");
    EXPECT_TRUE(sink.lines.empty()) << "the engine ran: " << sink.lines;
}

TEST_P(ReportOnDisk, AReportInAMissingFolderIsFileNotFound) {
    TempDir dir;
    CaseInput input;
    input.Aim = CalcAim::Spacing;
    input.Method = GetParam().method;
    std::copy(kGood.begin(), kGood.end(), input.Numbers.begin());
    input.InputFileName = dir.File("gone/case.inp");
    FileRunOptions options;
    options.ErrorListFile = dir.File("Error.lst");
    RecordingSink sink;
    const CaseOutcome outcome = RunCaseFile(input, sink, options).Outcome;
    ASSERT_EQ(outcome.End, CaseEnd::Failed) << "the run ended normally";
    EXPECT_EQ(outcome.FailureKind, Fault::FileNotFound);
    EXPECT_EQ(outcome.FailureMessage, "File not found");
    EXPECT_TRUE(FolderContents(dir.Path()).empty());
}

// Permissions bind only an ordinary user.
TEST_P(ReportOnDisk, AReadOnlyFolderIsFileAccessDenied) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
    TempDir dir;
    const std::string input = WriteCase(dir.File("case.inp"), "Spa", Method(), kGood);
    WriteFile(dir.File("case.out"), "previous\r\n");
    WriteFile(dir.File("Error.lst"), "");
    chmod(dir.Path().c_str(), 0555);
    RecordingSink sink;
    const CaseOutcome outcome = RunFile(dir, input, sink).Outcome;
    EXPECT_EQ(outcome.End, CaseEnd::Failed) << "the run ended normally";
    EXPECT_EQ(outcome.FailureKind, Fault::FileAccessDenied);
    chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(ReadFile(dir.File("case.out")), "previous\r\n");
    EXPECT_FALSE(exists(dir.File("case.out.part")));
}

// A half spacing that ends inside the water body gives no rows: " Output
// data:" is followed directly by " #".
TEST_P(ReportOnDisk, AProfileWithoutRowsKeepsTheLandmarks) {
    TempDir dir;
    // Dw − Dm = 0.00005 is met by the very first trial (head 0), at a half
    // spacing of 0.01 m inside a ditch 2 m wide.
    WriteFile(dir.File("tiny.inp"), std::string("Tiny target\r\nDitch\r\nFile Name: x\r\nSpa ") +
                                        Method() +
                                        "\r\n0.005 3 4 1 1.5 0 2 0.5 1 0.5 1 0.5 0.99995\r\n");
    RecordingSink sink;
    RunFile(dir, dir.File("tiny.inp"), sink);
    const std::vector<std::string> lines = SplitCrLf(ReadFile(dir.File("tiny.out")));
    ASSERT_GE(lines.size(), 36u);
    EXPECT_EQ(lines[34], " Output data:");
    EXPECT_EQ(lines[35], " #");
    EXPECT_EQ(lines[10], "  Tiny target");
    EXPECT_EQ(lines[11], "  Ditch");
}

INSTANTIATE_TEST_SUITE_P(Methods, ReportOnDisk, ::testing::ValuesIn(kMethods),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelorin
