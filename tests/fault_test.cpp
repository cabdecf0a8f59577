// Faults of files and arithmetic through pelorin-cli and the report reader: every
// one ends with a message and a known exit status, in seconds, and leaves the
// input file and the previous report byte for byte as they were.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "InputFile.h"
#include "ReportReaders.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = test::fs;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kHead = "T1\r\nT2\r\nFile Name: x\r\n";
const std::string kSpacing = "0.01 1.5 2.0 1.0 2.0 0 0 0.2 0.5 0.5 0.5 0.5 0.5";
const std::string kGoodCase = kHead + "Spa Dar\r\n" + kSpacing + "\r\n";
const std::string kRefusedCase = kHead + "Spa Dar\r\n0" + kSpacing.substr(4) + "\r\n";
const std::string kEarlierReport = "earlier report\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    while (at != std::string::npos) {
        text.replace(at, from.size(), to);
        at = text.find(from, at + to.size());
    }
    return text;
}

std::string Garbage() {
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>((i * 131 + 7) % 256));
    return bytes;
}

struct Cli {
    int exitCode = -1;
    std::string err;
};

// pelorin-cli in `folder`, after `shellPrefix` (a limit, say), killed after 20
// seconds so that a hang shows as exit status 124 instead of a stuck test.
Cli RunCli(const std::vector<std::string>& args, const fs::path& folder,
           const std::string& shellPrefix = "") {
    const std::string errFile = (folder / "cli.err").string();
    std::string command = "cd '" + folder.string() + "' && " + shellPrefix + " timeout 20 '" +
                          std::string(PELORIN_CLI) + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >/dev/null 2>'" + errFile + "' </dev/null";
    const int status = std::system(command.c_str());
    Cli result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(errFile)};
    fs::remove(errFile);
    return result;
}

// ---------------------------------------------------------------- pelorin-cli run

struct RunRow {
    const char* name;
    std::string input;                                      // bytes of case.inp
    std::function<void(const TempDir&)> prepare = nullptr;  // a trap in the folder
    int exitCode = 2;
    std::string message = {};  // on standard error; empty: a report is written
    std::string shellPrefix = {};
};

std::vector<RunRow> RunRows() {
    const auto linkErrorList = [](const std::string& target) {
        return [target](const TempDir& dir) { fs::create_symlink(target, dir.File("Error.lst")); };
    };
    const std::string corruptNumbers =
        "A program error occurred. Real numbers in the inputfile \"case.inp\" are corrupt";
    const std::string corruptCode =
        "A program error occurred. The code in the inputfile \"case.inp\" is corrupt";
    // Faults of the disk that need no privileges; those that need a private
    // mount (a read-only folder, a full disk) are in FaultCliMounts below.
    return {
        {"report beyond the file-size limit", kGoodCase, nullptr, 2, "Disk full", "ulimit -f 2;"},
        // A link to a device is written in place: /dev/full refuses every byte.
        // The error list is for refused cases: an accepted case runs without
        // it, removing a stale one (a link is removed, not followed) or saying
        // why it stays.
        {"Error.lst on a full disk", kGoodCase, linkErrorList("/dev/full"), 0, ""},
        {"Error.lst is a folder", kGoodCase,
         [](const TempDir& dir) { fs::create_directory(dir.File("Error.lst")); }, 0,
         "The error list Error.lst of an earlier run could not be removed: Invalid filename"},
        {"Error.lst on a full disk, refused", kRefusedCase, linkErrorList("/dev/full"), 2,
         "The error list Error.lst cannot be written in the current folder: Disk full"},
        {"Error.lst is a folder, refused", kRefusedCase,
         [](const TempDir& dir) { fs::create_directory(dir.File("Error.lst")); }, 2,
         "The error list Error.lst cannot be written in the current folder: Invalid filename"},
        {"NaN", Replaced(kGoodCase, " 2.0 1.0", " NaN 1.0"), nullptr, 2, corruptNumbers},
        {"Inf", Replaced(kGoodCase, " 2.0 1.0", " -Inf 1.0"), nullptr, 2, corruptNumbers},
        {"hexadecimal", Replaced(kGoodCase, " 2.0 1.0", " 0x1p1 1.0"), nullptr, 2, corruptNumbers},
        {"beyond a double", Replaced(kGoodCase, " 2.0 1.0", " 1e309 1.0"), nullptr, 2,
         corruptNumbers},
        {"1e308 layer depth", Replaced(kGoodCase, "0.2 0.5", "1e308 1e308"), nullptr, 2,
         "Floating point overflow"},
        {"half spacing beyond 32-bit steps",
         kHead + "Hyd Dar\r\n" +
             Replaced(kSpacing, " 0.5 0.5 0.5 0.5 0.5", " 0.5 0.5 0.5 0.5 1e12") + "\r\n",
         nullptr, 2, "Range check error"},
        {"zero transmissivity", kHead + "Dis Dar\r\n0.5 1.5 2.0 1.0 2.0 0 0 0 0 0 0 0 20\r\n",
         nullptr, 2, "Floating point division by zero"},
        {"binary garbage", Garbage(), nullptr, 2, corruptCode},
        {"empty file", "", nullptr, 2, corruptCode},
        {"LF only", Replaced(kGoodCase, "\r\n", "\n"), nullptr, 0, ""},
        {"CR only", Replaced(kGoodCase, "\r\n", "\r"), nullptr, 0, ""},
        {"no final line end", kGoodCase.substr(0, kGoodCase.size() - 2), nullptr, 0, ""},
        {"10 MB title", std::string(10'000'000, 'T') + "\r\n" + kGoodCase.substr(4), nullptr, 0,
         ""},
        // A number is at most 64 characters: a longer one is refused, not split.
        {"10 MB number line", kHead + "Spa Dar\r\n" + std::string(10'000'000, '1') + "\r\n",
         nullptr, 2, corruptNumbers + " (number 1 is too long)"},
        {"65-digit number",
         Replaced(kGoodCase, " 2.0 1.0", std::string(" ").append(65, '2').append(" 1.0")), nullptr,
         2, corruptNumbers + " (number 3 is too long)"},
        {"64-digit number",
         Replaced(kGoodCase, "0.01 ", std::string("0.").append(62, '0').append(" ")), nullptr, 1,
         "Make sure that R > 0."},
        // Lines are read up to 16 MiB; a longer one makes the file corrupt.
        {"17 MiB title", std::string(17 << 20, 'T') + "\r\n" + kGoodCase.substr(4), nullptr, 2,
         "A program error occurred. The inputfile \"case.inp\" is corrupt: line 1 is longer than "
         "16 MiB"},
    };
}

// The temporary files left in a folder (their names end in ".part").
std::vector<std::string> Temporaries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".part")) names.push_back(name);
    }
    return names;
}

TEST(FaultCliRun, EndsWithAMessageAndLeavesTheFiles) {
    for (const RunRow& row : RunRows()) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFile(dir.File("case.inp"), row.input);
        WriteFile(dir.File("case.out"), kEarlierReport);
        if (row.prepare) row.prepare(dir);
        const Cli cli = RunCli({"run", "case.inp"}, dir.Path(), row.shellPrefix);
        EXPECT_EQ(cli.exitCode, row.exitCode) << cli.err.substr(0, 400);
        EXPECT_NE(cli.err.find(row.message), std::string::npos) << cli.err.substr(0, 400);
        EXPECT_EQ(ReadFile(dir.File("case.inp")), row.input);
        const std::string report = ReadFile(dir.File("case.out"));
        if (row.exitCode == 0) {
            EXPECT_NE(report.find("\r\n #\r\n"), std::string::npos);
        } else {
            EXPECT_EQ(report, kEarlierReport);
        }
        EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{});
    }
}

// A folder where the report is expected: refused before the engine runs, the
// folder and what is in it stay.
TEST(FaultCliRun, AReportNameTakenByAFolderIsRefused) {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    fs::create_directory(dir.File("case.out"));
    WriteFile(dir.File("case.out/kept"), kEarlierReport);
    const Cli cli = RunCli({"run", "case.inp"}, dir.Path());
    EXPECT_EQ(cli.exitCode, 2);
    EXPECT_NE(cli.err.find("case.inp: The report case.out cannot be written: a folder of that "
                           "name is in the way."),
              std::string::npos)
        << cli.err;
    EXPECT_EQ(cli.err.find("Still working"), std::string::npos) << cli.err;
    EXPECT_EQ(ReadFile(dir.File("case.out/kept")), kEarlierReport);
    EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{});
}

// ------------------------------------------- faults of a real disk (private mounts)

// Whether this process may mount in a private mount namespace (root, as in CI).
bool CanMountPrivately() {
    static const bool can = std::system("unshare -m true >/dev/null 2>&1") == 0;
    return can;
}

struct MountRow {
    const char* name;
    // Shell lines run as root in a private mount namespace, in the test folder,
    // before the command: d/ holds the files (copied from src/), w/ is the
    // current folder of the command.
    std::string mount;
    std::vector<std::string> args;
    std::string message;
};

// A small tmpfs on a folder, given the files of src/ and filled to the brim.
std::string FullDisk(const std::string& folder) {
    return "mount -t tmpfs -o size=64k tmpfs " + folder + " && cp src/* " + folder +
           "/ && (cat /dev/zero >" + folder + "/filler 2>/dev/null || true)";
}

std::string ReadOnly(const std::string& folder) {
    return "mount --bind " + folder + " " + folder + " && mount -o remount,bind,ro " + folder;
}

std::vector<MountRow> MountRows() {
    return {
        {"report folder read-only", ReadOnly("d"), {"run", "../d/case.inp"}, "File access denied"},
        {"report on a full disk", FullDisk("d"), {"run", "../d/case.inp"}, "Disk full"},
        // Only a refused case writes an error list.
        {"current folder read-only",
         ReadOnly("w"),
         {"run", "../d/refused.inp"},
         "The error list Error.lst cannot be written in the current folder: File access denied"},
        {"current folder on a full disk",
         FullDisk("w"),
         {"run", "../d/refused.inp"},
         "The error list Error.lst cannot be written in the current folder: Disk full"},
#ifdef PELORIN_WITH_GRAPH  // pelorin-cli has the graph command only where it is built with Qt
        {"picture folder read-only",
         ReadOnly("d"),
         {"graph", "../d/good.out", "../d/graph.bmp"},
         "File access denied"},
        {"picture on a full disk",
         FullDisk("d"),
         {"graph", "../d/good.out", "../d/graph.bmp"},
         "Disk full"},
        {"PNG on a full disk",
         FullDisk("d"),
         {"graph", "../d/good.out", "../d/graph.png"},
         "Disk full"},
#endif
    };
}

TEST(FaultCliMounts, AFullOrReadOnlyDiskEndsWithAMessageAndLeavesTheFiles) {
    if (!CanMountPrivately()) GTEST_SKIP() << "no private mount namespace here (needs root)";
    TempDir good;
    WriteFile(good.File("good.inp"), kGoodCase);
    ASSERT_EQ(RunCli({"run", "good.inp"}, good.Path()).exitCode, 0);
    const std::string goodReport = ReadFile(good.File("good.out"));
    for (const MountRow& row : MountRows()) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        for (const char* folder : {"src", "d", "w", "seen"}) fs::create_directory(dir.File(folder));
        WriteFile(dir.File("src/case.inp"), kGoodCase);
        WriteFile(dir.File("src/refused.inp"), kRefusedCase);
        WriteFile(dir.File("src/case.out"), kEarlierReport);
        WriteFile(dir.File("src/good.out"), goodReport);
        WriteFile(dir.File("src/graph.bmp"), "earlier graph");
        WriteFile(dir.File("src/graph.png"), "earlier graph");
        // What the command left is copied out before the namespace ends.
        std::string command = "cp src/* d/ && " + row.mount + " && cd w && timeout 20 '" +
                              std::string(PELORIN_CLI) + "'";
        for (const std::string& arg : row.args) command += " '" + arg + "'";
        command +=
            " >/dev/null 2>../cli.err </dev/null; status=$?; cd .. && cp -a d/. seen/ && "
            "rm -f seen/filler && exit $status";
        WriteFile(dir.File("script"), command);
        const int status =
            std::system(("cd '" + dir.Path().string() + "' && unshare -m sh script").c_str());
        const std::string err = ReadFile(dir.File("cli.err"));
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << err;
        EXPECT_NE(err.find(row.message), std::string::npos) << err;
        for (const char* name :
             {"case.inp", "refused.inp", "case.out", "good.out", "graph.bmp", "graph.png"})
            EXPECT_EQ(ReadFile(dir.File(std::string("seen/") + name)),
                      ReadFile(dir.File(std::string("src/") + name)))
                << name;
        EXPECT_EQ(Temporaries(dir.File("seen")), std::vector<std::string>{});
        EXPECT_EQ(Temporaries(dir.File("w")), std::vector<std::string>{});
    }
}

// -------------------------------------------------------- pelorin-cli graph, readers

// A report written by the program, for the rows below to spoil.
std::string GoodReport() {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    if (RunCli({"run", "case.inp"}, dir.Path()).exitCode != 0) return {};
    return ReadFile(dir.File("case.out"));
}

// The report with the fourth number (the energy-balance head) of the second
// profile row replaced.
std::string WithHead(const std::string& report, const std::string& token) {
    const std::size_t table = report.find(" Output data:\r\n");
    std::size_t row = report.find("\r\n", table + 15) + 2;
    std::size_t at = row;
    for (int field = 0; field < 3; ++field) {
        at = report.find_first_not_of(' ', at);
        at = report.find(' ', at);
    }
    at = report.find_first_not_of(' ', at);
    const std::size_t end = report.find(' ', at);
    return report.substr(0, at) + token + report.substr(end);
}

struct ReportRow {
    const char* name;
    std::string report;
    bool drawn;           // the graph command writes the picture
    std::string message;  // what the command and the profile reader say
};

std::vector<ReportRow> ReportRows(const std::string& good) {
    const std::string noProfile = "holds no water-table profile";
    return {
        {"NaN head", WithHead(good, "NaN"), false, "Invalid numeric input"},
        {"Inf head", WithHead(good, "Inf"), false, "Invalid numeric input"},
        {"hexadecimal head", WithHead(good, "0x1p-1"), false, "Invalid numeric input"},
        {"1e308 head", WithHead(good, "1e308"), false, "Range check error"},
        {"binary garbage", Garbage(), false, noProfile},
        {"empty file", "", false, noProfile},
        {"LF only", Replaced(good, "\r\n", "\n"), true, ""},
        {"CR only", Replaced(good, "\r\n", "\r"), true, ""},
        {"no final line end", good.substr(0, good.size() - 2), true, ""},
        {"10 MB line in the table", WithHead(good, "0.5 " + std::string(10'000'000, '7')), true,
         ""},
    };
}

TEST(FaultCliGraph, EndsWithAMessageAndLeavesTheReport) {
#ifndef PELORIN_WITH_GRAPH
    GTEST_SKIP() << "pelorin-cli is built without the graph command";
#endif
    const std::string good = GoodReport();
    ASSERT_FALSE(good.empty());
    for (const ReportRow& row : ReportRows(good)) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFile(dir.File("case.out"), row.report);
        WriteFile(dir.File("graph.bmp"), "earlier graph");
        const Cli cli = RunCli({"graph", "case.out", "graph.bmp"}, dir.Path());
        EXPECT_EQ(cli.exitCode, row.drawn ? 0 : 2) << cli.err.substr(0, 400);
        EXPECT_NE(cli.err.find(row.message), std::string::npos) << cli.err.substr(0, 400);
        EXPECT_EQ(ReadFile(dir.File("case.out")), row.report);
        EXPECT_EQ(ReadFile(dir.File("graph.bmp")) == "earlier graph", !row.drawn);
    }
}

// The readers themselves: every hostile file gives a status and a text, never a
// crash, and a file that reads keeps its lines however they end.
TEST(FaultReaders, HostileFilesGiveAStatusAndAText) {
    const std::string good = GoodReport();
    ASSERT_FALSE(good.empty());
    const std::size_t goodLines = test::SplitCrLf(good).size();
    for (const ReportRow& row : ReportRows(good)) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFile(dir.File("case.out"), row.report);
        const ReportLinesResult lines = ReadReportLines(dir.File("case.out"));
        EXPECT_EQ(lines.Status, FileStatus::Ok);
        if (!row.report.empty() && row.report.size() < 100'000 &&
            row.report.find('\0') == std::string::npos) {
            EXPECT_EQ(lines.Lines.size(), goodLines);
        }
        const ReportProfileResult profile = ReadReportProfile(dir.File("case.out"));
        if (row.drawn) {
            EXPECT_EQ(profile.Status, FileStatus::Ok);
            EXPECT_GE(profile.X.size(), 3U);
        } else if (row.message != "Range check error") {
            EXPECT_NE(profile.Status, FileStatus::Ok);
            EXPECT_NE(profile.Message.find(row.message), std::string::npos) << profile.Message;
        }
    }
    for (const RunRow& row : RunRows()) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        WriteFile(dir.File("case.inp"), row.input);
        const InputReadResult input = ReadInputFile(dir.File("case.inp"));
        const bool corrupt = row.message.find("A program error occurred.") == 0;
        EXPECT_EQ(input.Status, corrupt ? FileStatus::Corrupt : FileStatus::Ok);
        EXPECT_EQ(input.Messages.empty(), !corrupt);
        if (!corrupt) {
            EXPECT_EQ(input.Case.Values.size(), 13U);
        }
    }
    // A folder and a path under a file cannot be opened.
    TempDir dir;
    WriteFile(dir.File("file"), "x");
    for (const std::string& name : {dir.Path().string(), dir.File("file") + "/sub/x.inp"}) {
        EXPECT_EQ(ReadInputFile(name).Status, FileStatus::CannotOpen) << name;
        EXPECT_EQ(ReadReportLines(name).Status, FileStatus::CannotOpen) << name;
        EXPECT_EQ(ReadReportProfile(name).Status, FileStatus::CannotOpen) << name;
    }
}

// Writing an input file over an earlier one: a write that fails part-way (here
// a file-size limit, as a full disk would) leaves the earlier file whole.
TEST(FaultInputWriter, AFailedWriteKeepsTheEarlierFile) {
    TempDir dir;
    WriteFile(dir.File("file"), "x");
    const InputCase c{"T1", "T2", "Spa", "Dar", std::vector<double>(13, 1.0)};
    struct Row {
        const char* name;
        std::string path;
        FileStatus status;
    };
    const std::vector<Row> rows = {
        {"path under a file", dir.File("file") + "/sub/x.inp", FileStatus::CannotOpen},
        {"name is a folder", dir.Path().string(), FileStatus::CannotOpen},
        {"sysfs refuses new files", "/sys/kernel/pelorin.inp", FileStatus::CannotOpen},
        // a device is written in place, and /dev/full takes no byte
        {"full disk", "/dev/full", FileStatus::Corrupt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const FileWriteResult written = WriteInputFile(row.path, c);
        EXPECT_EQ(written.Status, row.status);
        EXPECT_NE(written.Message.find(row.path), std::string::npos) << written.Message;
    }

    // A link at the name is replaced by the new file; what it named stays.
    WriteFile(dir.File("victim"), "not an input file");
    fs::create_symlink(dir.File("victim"), dir.File("linked.inp"));
    EXPECT_EQ(WriteInputFile(dir.File("linked.inp"), c).Status, FileStatus::Ok);
    EXPECT_EQ(ReadFile(dir.File("victim")), "not an input file");
    EXPECT_FALSE(fs::is_symlink(dir.File("linked.inp")));
    EXPECT_EQ(ReadInputFile(dir.File("linked.inp")).Case.Title1, "T1");

    // The file-size limit: the earlier file is smaller than the new text.
    WriteFile(dir.File("case.inp"), kGoodCase);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = kGoodCase.size() + 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const FileWriteResult written = WriteInputFile(dir.File("case.inp"), c);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(written.Status, FileStatus::Corrupt);
    EXPECT_EQ(ReadFile(dir.File("case.inp")), kGoodCase);
    EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace pelorin
