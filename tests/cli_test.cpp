#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = test::fs;
using test::CliResult;
using test::ReadFile;
using test::RunCli;
using test::RunProgram;
using test::TempDir;
using test::WriteCase;
using test::WriteFile;

// A spacing case with a short spacing, quick to compute.
//                                 R     D1   D2   Dw   Db   E  W  Ka   Kb1  Kv1  Kb2  Kv2  Dm
const std::vector<double> kGood = {0.01, 1.5, 2.0, 1.0, 2.0, 0, 0, 0.2, 0.5, 0.5, 0.5, 0.5, 0.5};
// R = 0: refused by the check
const std::vector<double> kRefused = {0.0, 1.5, 2.0, 1.0, 2.0, 0, 0, 0.2, 0.5, 0.5, 0.5, 0.5, 0.5};
// Kv1 = R cuts off both layers; a pipe without entrance resistance then has
// no transmissivity at its first step.
const std::vector<double> kFaulting = {0.005, 2.0, 4.0,   1.0, 1.2, 0,  0,
                                       0.5,   1.0, 0.005, 2.0, 1.0, 0.5};

const std::string kRefusedList =
    " THE FOLLOWING ERRORS WERE FOUND IN THE INPUT:\r\n\r\n Make sure that R > 0.\r\n\r\n"
    "Please correct the errors.\r\n";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteCase(dir.File("good.inp"), "Spa", "Dar", kGood);
        WriteCase(dir.File("refused.inp"), "Spa", "Ene", kRefused);
        WriteCase(dir.File("faulting.inp"), "Spa", "Dar", kFaulting);
        WriteFile(dir.File("comma.inp"),
                  "T1\r\nT2\r\nFile Name: x\r\nSpa Dar\r\n0,01 1.5 2 1 2 0 0 0.2 0.5 0.5 0.5 0.5 "
                  "0.5\r\n");
        WriteFile(dir.File("code.inp"),
                  "T1\r\nT2\r\nFile Name: x\r\nspa Dar\r\n0.01 1.5 2 1 2 0 0 0.2 0.5 0.5 0.5 0.5 "
                  "0.5\r\n");
    }

    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, dir.Path()); }
    bool Exists(const std::string& name) const { return fs::exists(dir.File(name)); }

    TempDir dir;
};

TEST_F(Cli, AnAcceptedCaseGivesItsReportAndDeletesTheErrorList) {
    WriteFile(dir.File("Error.lst"), "left from before\r\n");
    const CliResult result = Run({"run", "good.inp"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "good.out\n");
    EXPECT_TRUE(Exists("good.out"));
    EXPECT_FALSE(Exists("Error.lst"));
    EXPECT_TRUE(
        Contains(ReadFile(dir.File("good.out")), " Name of input file used:  good.inp\r\n"));
}

TEST_F(Cli, ARefusedCasePrintsItsErrorListAndLeavesIt) {
    const CliResult result = Run({"run", "good.inp", "refused.inp"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_TRUE(Exists("good.out"));
    EXPECT_FALSE(Exists("refused.out"));
    EXPECT_EQ(ReadFile(dir.File("Error.lst")), kRefusedList);
    for (const char* line : {" THE FOLLOWING ERRORS WERE FOUND IN THE INPUT:\n",
                             "\n Make sure that R > 0.\n", "\nPlease correct the errors.\n"})
        EXPECT_TRUE(Contains(result.err, line)) << result.err;
    EXPECT_TRUE(Contains(result.err, "refused.inp")) << result.err;
}

TEST_F(Cli, LaterFilesRunAfterARefusedOne) {
    const CliResult result = Run({"run", "refused.inp", "good.inp"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_TRUE(Exists("good.out"));
    EXPECT_FALSE(Exists("Error.lst")) << "the accepted case after it deletes the list";
}

// A name typed on the command line is refused by its reason, not by the
// desktop's "could not be opened" text.
TEST_F(Cli, AMissingFileIsStatus2AndTheOthersStillRun) {
    const CliResult result = Run({"run", "missing.inp", "good.inp"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Contains(result.err, "missing.inp: No such file\n")) << result.err;
    EXPECT_TRUE(Exists("good.out"));

    fs::create_directory(dir.File("folder.inp"));
    const CliResult folder = Run({"run", "folder.inp"});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_EQ(folder.err, "folder.inp: is a folder, not a file\n");
}

TEST_F(Cli, CorruptFilesAreStatus2WithTheirMessages) {
    CliResult result = Run({"run", "comma.inp"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(
        Contains(result.err,
                 "A program error occurred. Real numbers in the inputfile \"comma.inp\" are "
                 "corrupt"))
        << result.err;
    EXPECT_FALSE(Exists("comma.out"));

    result = Run({"run", "code.inp"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Contains(
        result.err, "A program error occurred. The code in the inputfile \"code.inp\" is corrupt"))
        << result.err;
    EXPECT_FALSE(Exists("code.out"));
}

TEST_F(Cli, AFailedRunIsStatus2AndTheOthersStillRun) {
    WriteFile(dir.File("faulting.out"), "earlier\r\n");
    const CliResult result = Run({"run", "faulting.inp", "good.inp"});
    EXPECT_EQ(result.exitCode, 2);
    // The bare fault is preceded by its reason: Kv1 = R leaves a pipe without
    // entrance resistance no flow area.
    EXPECT_TRUE(Contains(result.err,
                         " Kv1 is not greater than R, so the layers below the drains carry no "
                         "flow, and a pipe without entrance resistance then has no flow area at "
                         "the drain. Give an entrance resistance or check Kv1.\n"
                         "faulting.inp: Floating point division by zero"))
        << result.err;
    EXPECT_EQ(ReadFile(dir.File("faulting.out")), "earlier\r\n");
    EXPECT_TRUE(Exists("good.out"));
}

// A file that ends before its 13th number runs with the missing ones as 0,
// and says how many it held, whether its case is accepted or refused.
TEST_F(Cli, AShortFileSaysHowManyNumbersItHeld) {
    const std::string head = "T1\r\nT2\r\nFile Name: x\r\nSpa Dar\r\n";
    struct ShortFile {
        const char* numbers;
        const char* count;
        int exitCode;
    };
    for (const ShortFile& file : {ShortFile{"0.01 1.5 2 1 2 0 0 0.2 0.5 0.5 0.5 0.5", "12", 0},
                                  ShortFile{"0.01 1.5 2 1 2", "5", 1}}) {
        SCOPED_TRACE(file.count);
        WriteFile(dir.File("short.inp"), head + file.numbers + "\r\n");
        const CliResult result = Run({"run", "short.inp"});
        EXPECT_EQ(result.exitCode, file.exitCode) << result.err;
        EXPECT_TRUE(Contains(result.err, std::string(" The input file holds ") + file.count +
                                             " numbers; the missing ones were taken as 0.\n"))
            << result.err;
    }
    WriteFile(dir.File("whole.inp"), head + "0.01 1.5 2 1 2 0 0 0.2 0.5 0.5 0.5 0.5 0.5\r\n");
    EXPECT_FALSE(Contains(Run({"run", "whole.inp"}).err, "numbers; the missing"));
}

TEST_F(Cli, AFailureOutranksARefusal) {
    EXPECT_EQ(Run({"run", "refused.inp", "missing.inp"}).exitCode, 2);
    EXPECT_EQ(Run({"run", "missing.inp", "refused.inp"}).exitCode, 2);
    EXPECT_EQ(Run({"run", "refused.inp", "good.inp", "refused.inp"}).exitCode, 1);
}

TEST_F(Cli, HelpAndVersion) {
    CliResult result = Run({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(Contains(result.out, "pelorin-cli run FILE")) << result.out;
    EXPECT_TRUE(result.err.empty());

    result = Run({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(std::regex_match(result.out, std::regex("pelorin-cli [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << result.out;
}

TEST_F(Cli, WrongUseIsStatus2WithTheUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"run"}, {"calculate", "good.inp"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(Contains(result.err, "Usage:")) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
    EXPECT_FALSE(Exists("good.out"));
}

TEST_F(Cli, EveryFormOfTheThreadCountGivesTheSameReport) {
    ASSERT_EQ(Run({"run", "good.inp"}).exitCode, 0);
    const std::string report = ReadFile(dir.File("good.out"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"run", "--threads=2", "good.inp"},
          {"run", "--threads", "3", "good.inp"},
          {"run", "-t", "1", "good.inp"},
          {"run", "-t4", "good.inp"},
          {"run", "good.inp", "--threads=2"}}) {
        fs::remove(dir.File("good.out"));
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 0) << args[1] << ": " << result.err;
        EXPECT_EQ(result.out, "good.out\n") << args[1];
        EXPECT_EQ(ReadFile(dir.File("good.out")), report) << args[1];
    }
}

TEST_F(Cli, TwoDashesEndTheOptions) {
    WriteCase(dir.File("-t.inp"), "Spa", "Dar", kGood);
    WriteCase(dir.File("--bw.inp"), "Spa", "Dar", kGood);
    CliResult result = Run({"run", "--threads=2", "--", "-t.inp", "--bw.inp"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "-t.out\n--bw.out\n");
    EXPECT_TRUE(Exists("-t.out") && Exists("--bw.out"));

    // Without them the name is taken for an option, and nothing runs.
    fs::remove(dir.File("--bw.out"));
    result = Run({"run", "--bw.inp"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Contains(result.err, "--bw.inp")) << result.err;
    EXPECT_FALSE(Exists("--bw.out"));
}

TEST_F(Cli, EachCommandHasItsOwnHelp) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> parts;
    };
    std::vector<Case> cases{
        {{"run", "--help"},
         {"Usage: pelorin-cli run FILE [FILE ...]\n", "-t, --threads N", "FILE", "--help"}},
        {{"run", "-h", "good.inp"}, {"Usage: pelorin-cli run FILE [FILE ...]\n"}},
        {{"--help"}, {"Commands:\n  run ", "Exit status:", "pelorin-cli COMMAND --help"}},
    };
#ifdef PELORIN_WITH_GRAPH
    cases.push_back({{"graph", "--help"},
                     {"Usage: pelorin-cli graph [--bw] [--units si|us] REPORT IMAGE\n", "--bw"}});
    cases.push_back({{"--help"}, {"\n  graph "}});
#endif
    for (const Case& c : cases) {
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, 0) << c.args[0];
        EXPECT_TRUE(result.err.empty()) << result.err;
        for (const std::string& part : c.parts)
            EXPECT_TRUE(Contains(result.out, part)) << part << " not in:\n" << result.out;
    }
    EXPECT_FALSE(Exists("good.out")) << "a call for help runs nothing";
}

TEST_F(Cli, AWrongOptionIsNamedWithTheUsageAndStatus2) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const std::vector<Case> cases{
        {{"run", "--thread=2", "good.inp"}, "--thread"},
        {{"run", "-j", "2", "good.inp"}, "-j"},
        {{"run", "--threads=0", "good.inp"}, "N must be a whole number from 1 to 1024, not \"0\""},
        {{"run", "-t", "1025", "good.inp"}, "not \"1025\""},
        {{"run", "--threads=0x10", "good.inp"}, "not \"0x10\""},
        {{"run", "--threads=two", "good.inp"}, "not \"two\""},
        {{"run", "good.inp", "--threads"}, "--threads"},
        {{"--threads=2", "run", "good.inp"}, "--threads"},
        {{"--frobnicate"}, "--frobnicate"},
    };
    for (const Case& c : cases) {
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.named;
        EXPECT_TRUE(Contains(result.err, c.named)) << c.named << " not named in:\n" << result.err;
        EXPECT_TRUE(Contains(result.err, "Usage: pelorin-cli")) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
    }
    EXPECT_FALSE(Exists("good.out"));
}

#ifdef PELORIN_DESKTOP
// The desktop program answers these before the window system starts: with no
// display and a platform that needs one, it would abort otherwise.
TEST_F(Cli, TheDesktopProgramAnswersHelpAndVersionWithoutADisplay) {
    const std::vector<std::string> noDisplay{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                             "QT_QPA_PLATFORM=xcb"};
    CliResult result = RunProgram(PELORIN_DESKTOP, {"--version"}, dir.Path(), noDisplay);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::regex_match(result.out, std::regex("pelorin [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << result.out;
    EXPECT_TRUE(result.err.empty()) << result.err;

    result = RunProgram(PELORIN_DESKTOP, {"--help"}, dir.Path(), noDisplay);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Contains(result.out, "Usage: pelorin [--help | --version]")) << result.out;
    EXPECT_TRUE(result.err.empty()) << result.err;

    // The same environment without either option: the program cannot start.
    result = RunProgram(PELORIN_DESKTOP, {}, dir.Path(), noDisplay);
    EXPECT_NE(result.exitCode, 0);
}

// Without a display and without a chosen platform the program says so and
// ends with status 1; an option that neither it nor Qt knows gives the usage
// and status 2. A platform chosen by QT_QPA_PLATFORM or by Qt's own option
// starts the program as ever: it is still running when `timeout` ends it (124).
TEST_F(Cli, TheDesktopProgramSaysWhyItCannotStart) {
    const std::vector<std::string> unset{"-u", "DISPLAY",        "-u", "WAYLAND_DISPLAY",
                                         "-u", "QT_QPA_PLATFORM"};
    const std::vector<std::string> empty{"-u", "QT_QPA_PLATFORM", "DISPLAY=", "WAYLAND_DISPLAY="};
    const std::string noDisplay =
        "pelorin: no display (DISPLAY and WAYLAND_DISPLAY are empty); pelorin-cli runs cases "
        "without one\n";
    struct Case {
        std::vector<std::string> environment;
        std::vector<std::string> args;
        int exitCode;
        std::string errStart;  // what the error stream begins with
    };
    const std::vector<Case> cases{
        {unset, {}, 1, noDisplay},
        {empty, {"-style", "Fusion"}, 1, noDisplay},
        {unset, {"--bogus"}, 2, "pelorin: unknown option --bogus\n\nUsage: pelorin "},
        {empty, {"-platform", "offscreen", "-x"}, 2, "pelorin: unknown option -x\n\nUsage: "},
        {unset, {"-platform", "offscreen"}, 124, ""},
        {unset, {"--platform", "offscreen", "-style=Fusion", "-reverse"}, 124, ""},
        {{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=offscreen"}, {}, 124, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"3", PELORIN_DESKTOP};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult result = RunProgram("timeout", args, dir.Path(), c.environment);
        const std::string named = c.args.empty() ? "(no arguments)" : c.args.front();
        EXPECT_EQ(result.exitCode, c.exitCode) << named << ": " << result.err;
        EXPECT_EQ(result.err.substr(0, c.errStart.size()), c.errStart) << named;
        EXPECT_EQ(result.out, "") << named;
        if (c.exitCode == 1) {
            EXPECT_EQ(result.err, noDisplay);
        }
    }
}
#endif

}  // namespace
}  // namespace pelorin
