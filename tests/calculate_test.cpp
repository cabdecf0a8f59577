// Calculate, the one calculation every front end calls: from the bytes of an
// input file to the report and the figures it prints, with no file on the way.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "Calculate.h"
#include "InputChecks.h"
#include "InputFile.h"
#include "NumberFormat.h"
#include "RunError.h"
#include "RunSink.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::SourceDir;
using test::SplitCrLf;
using test::ValueAfter;

std::vector<std::string> ExampleNames() {
    std::vector<std::string> names;
    for (const auto& entry : test::fs::directory_iterator(SourceDir() / "Data"))
        if (entry.path().extension() == ".inp") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A profile row as the report prints it.
std::string RowText(const ProfileFigures& row) {
    return FormatFixed(row.X, 6, 2) + FormatFixed(row.FStar, 10, 4) +
           FormatFixed(row.GStarP, 10, 4) + FormatFixed(row.F, 10, 4) + FormatFixed(row.GP, 10, 4) +
           FormatFixed(row.T1, 10, 4) + FormatFixed(row.T2, 10, 4);
}

// The figure as the report prints it, without the blanks before it.
std::string Printed(double value, int decimals) { return FormatFixed(value, 0, decimals); }

class CalculateExample : public ::testing::TestWithParam<std::string> {};

// The golden report comes out byte for byte, and every figure of the outcome
// is the number the report prints where it prints it.
TEST_P(CalculateExample, GivesTheGoldenReportAndTheFiguresItPrints) {
    const std::string name = GetParam();
    const std::string bytes = ReadFile(SourceDir() / "Data" / (name + ".inp"));
    const InputReadResult read = ParseInputFile(bytes, name + ".inp");
    ASSERT_EQ(read.Status, FileStatus::Ok);
    RecordingSink sink;
    const CaseOutcome outcome =
        Calculate(CaseInputOf(read.Case, name + ".inp", name + ".out"), sink, 2);
    ASSERT_EQ(outcome.End, CaseEnd::Reported) << outcome.FailureMessage;
    const std::string& report = outcome.Report;
    EXPECT_EQ(report, ReadFile(SourceDir() / "Data" / (name + ".out")));
    std::string messages;
    for (const std::string& message : outcome.Messages) messages += message + "\n";
    EXPECT_EQ(messages, sink.messages);

    const CaseResults& figures = outcome.Results;
    const std::vector<std::string> lines = SplitCrLf(report);
    const auto table = std::find(lines.begin(), lines.end(), " Output data:") + 1;
    const auto tableEnd = std::find(table, lines.end(), " #");
    ASSERT_EQ(figures.Profile.size(), static_cast<std::size_t>(tableEnd - table));
    for (std::size_t k = 0; k < figures.Profile.size(); ++k)
        EXPECT_EQ(RowText(figures.Profile[k]), table[static_cast<std::ptrdiff_t>(k)]);

    // The midway figures, their labels spelled with one or two blanks.
    const auto midway = [&](const std::string& what, const char* method) {
        const std::string value = ValueAfter(report, " Midway " + what + " (" + method);
        return value.empty() ? ValueAfter(report, " Midway " + what + "  (" + method) : value;
    };
    EXPECT_EQ(midway("hydr. head", "Darcy,  m) is:"), Printed(figures.HeadDarcy, 3));
    EXPECT_EQ(midway("hydr. head", "energy, m) is:"), Printed(figures.HeadEnergy, 3));
    EXPECT_EQ(midway("W.T. depth", "Darcy,  m) is:"), Printed(figures.DepthDarcy, 3));
    EXPECT_EQ(midway("W.T. depth", "energy, m) is:"), Printed(figures.DepthEnergy, 3));
    if (read.Case.AimCode == "Hyd") {
        const bool darcy = read.Case.MethodCode == "Dar";
        EXPECT_EQ(figures.Sought, darcy ? figures.DepthDarcy : figures.DepthEnergy);
        EXPECT_EQ(figures.SoughtDecimals, 3);
    } else {
        // The main result is the line after the table's end.
        const std::string& line = tableEnd[1];
        EXPECT_TRUE(line.ends_with(" " + Printed(figures.Sought, figures.SoughtDecimals))) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, CalculateExample, ::testing::ValuesIn(ExampleNames()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// A sink that asks the run to stop at once.
class StoppingSink : public RecordingSink {
  public:
    bool StopRequested() override { return true; }
};

struct EndCase {
    const char* name;
    CalcAim aim;
    std::vector<double> numbers;
    std::string inputName;
    bool stop;
    CaseEnd end;
    std::vector<std::string> errorLines;  // of a refusal
    Fault fault;                          // of a failure
    std::string text;                     // of a failure
};
std::ostream& operator<<(std::ostream& out, const EndCase& k) { return out << k.name; }

const std::vector<double> kGood = {0.01, 1.5, 2.0, 1.0, 2.0, 0, 0, 0.2, 0.5, 0.5, 0.5, 0.5, 0.5};

class CalculateEnd : public ::testing::TestWithParam<EndCase> {};

// A refusal gives the error list's lines and no report; a failure its fault
// and text, a stop included; nothing else comes with them.
TEST_P(CalculateEnd, SaysHowTheRunEnded) {
    const EndCase& k = GetParam();
    CaseInput input;
    input.Aim = k.aim;
    input.Method = CalcMethod::Darcy;
    std::copy(k.numbers.begin(), k.numbers.end(), input.Numbers.begin());
    input.InputFileName = k.inputName;
    input.ReportFileName = "case.out";
    RecordingSink quiet;
    StoppingSink stopping;
    RunSink& sink = k.stop ? static_cast<RunSink&>(stopping) : quiet;
    const CaseOutcome outcome = Calculate(input, sink);
    EXPECT_EQ(outcome.End, k.end);
    EXPECT_EQ(outcome.ErrorLines, k.errorLines);
    EXPECT_EQ(outcome.Report, "");
    EXPECT_TRUE(outcome.Results.Profile.empty());
    if (k.end != CaseEnd::Failed) return;
    EXPECT_EQ(outcome.FailureKind, k.fault);
    EXPECT_EQ(outcome.FailureMessage, k.text);
    EXPECT_EQ(outcome.Cancelled(), k.fault == Fault::Cancelled);
}

std::vector<double> With(std::vector<double> numbers, std::size_t position, double value) {
    numbers[position - 1] = value;
    return numbers;
}

INSTANTIATE_TEST_SUITE_P(
    Ends, CalculateEnd,
    ::testing::Values(
        EndCase{"refused",
                CalcAim::Spacing,
                With(kGood, 1, 0.0),
                "case.inp",
                false,
                CaseEnd::Refused,
                ErrorListLines({" Make sure that R > 0."}),
                {},
                ""},
        EndCase{"division_by_zero",
                CalcAim::Discharge,
                {0.5, 1.5, 2.0, 1.0, 2.0, 0, 0, 0, 0, 0, 0, 0, 20},
                "case.inp",
                false,
                CaseEnd::Failed,
                {},
                Fault::DivisionByZero,
                "Floating point division by zero"},
        EndCase{"stopped",
                CalcAim::Spacing,
                kGood,
                "case.inp",
                true,
                CaseEnd::Failed,
                {},
                Fault::Cancelled,
                "The run was cancelled"},
        EndCase{"line_break_in_the_name",
                CalcAim::Spacing,
                kGood,
                "a\nb.inp",
                false,
                CaseEnd::Failed,
                {},
                Fault::InvalidFilename,
                "The name of the input file contains a line break (CR or LF), which would "
                "break the lines of its report. Give the file a name without one."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelorin
