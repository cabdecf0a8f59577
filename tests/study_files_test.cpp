// The file guarantees of the study commands and of the files a user names,
// through the real pelorin-cli process: outputs that would replace an input or
// each other, chart names, the reports folder, results that cannot be written,
// line breaks in cells, no threads to spare, the ending signals, incomplete
// reports, unreadable names and two batches into one folder.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProcessSupport.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::ReadFile;
using test::Shell;
using test::TempDir;
using test::WriteFile;

// How long a script may run (seconds), and how many 10 ms looks a child gets
// to start computing.
constexpr int kScriptSeconds = 120;
constexpr int kWorkRounds = 3000;

test::Shell RunScript(const std::string& script, const fs::path& folder) {
    return test::RunScript(script, folder, kScriptSeconds);
}
bool AwaitWork(pid_t pid) { return test::AwaitWork(pid, kWorkRounds); }

const std::string kValues = "0.007,2,4,1,1.1,0,0,0.5,0.8,0.4,1.5,0.6,0.5,";
const std::string kHeader = "name,title1,aim,method,R,D1,D2,Dw,Db,E,W,Ka,Kb1,Kv1,Kb2,Kv2,Dm,S\n";
// Three quick spacing cases.
const std::string kTable = kHeader + "a,first,Spa,Ene," + kValues + "\nb,second,Spa,Dar," +
                           kValues + "\nc,third,Spa,Ene," + kValues + "\n";
// A depth case of some seconds on one thread.
const std::string kSlowCase =
    "T1\r\nT2\r\nFile Name: x\r\nHyd Ene\r\n0.007 2.0 4.0 1.2 1.3 0.5 0 "
    "0.6 0.8 0.4 2.0 1.0 600\r\n";

// Every entry under a folder with its content (a link by its target), to
// compare a folder before and after a command.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink()) {
            contents[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            contents[name] = ReadFile(entry.path());
        } else {
            contents[name] = "folder";
        }
    }
    return contents;
}

bool AnyTemporaryFile(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().ends_with(".part")) return true;
    return false;
}

// The fields of a results line (RFC 4180 quotes).
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        if (quoted && line[k] == '"' && k + 1 < line.size() && line[k + 1] == '"') {
            fields.back() += '"';
            ++k;
        } else if (line[k] == '"') {
            quoted = !quoted;
        } else if (line[k] == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += line[k];
        }
    }
    return fields;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// A results table without its last column (the seconds a case took).
std::string WithoutSeconds(const std::string& results) {
    std::string kept;
    for (const std::string& line : Lines(results)) kept += line.substr(0, line.rfind(',')) + "\n";
    return kept;
}

// ------------------------------------------- no output is an input or an output

TEST(StudyFiles, NoOutputMayBeAnInputOrAnotherOutput) {
    const struct {
        const char* name;
        const char* prepare;
        const char* command;
    } rows[] = {
        {"sweep --out its input", "", "sweep sp.inp --vary R=0.004,0.006 --out sp.inp"},
        {"sweep --chart its input, spelt otherwise", "mkdir sub;",
         "sweep sp.inp --vary R=0.004,0.006 --chart sub/../sp.inp"},
        {"sweep --out a link to its input", "ln -s sp.inp link.csv;",
         "sweep sp.inp --vary R=0.004,0.006 --out link.csv"},
        {"sweep --chart a hard link of its input", "ln sp.inp hard.png;",
         "sweep sp.inp --vary R=0.004,0.006 --chart hard.png"},
        {"sweep --out its input by the whole path", "",
         "sweep ./sp.inp --vary R=0.004,0.006 --out \"$PWD/sp.inp\""},
        {"sweep --out and --chart one file", "",
         "sweep sp.inp --vary R=0.004,0.006 --out x.csv --chart ./x.csv"},
        {"batch --out its table", "", "batch t.csv --out t.csv"},
        {"batch --out its table through a link", "ln -s t.csv r.csv;", "batch t.csv --out r.csv"},
        {"batch --out a kept report", "mkdir D;", "batch t.csv --reports D --out D/a.out"},
        {"batch --out a kept input, spelt otherwise", "mkdir D;",
         "batch t.csv --reports D --out D/../D/b.inp"},
        {"batch: the table is a kept error list", "mkdir D; ln t.csv D/c.lst;",
         "batch D/c.lst --reports D"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        fs::copy_file(test::SourceDir() / "Data" / "spacing-darcy-pipe.inp", dir.File("sp.inp"));
        WriteFile(dir.File("t.csv"), kTable);
        ASSERT_EQ(RunScript(row.prepare, dir.Path()).exitCode, 0);
        const auto before = Contents(dir.Path());
        const Shell shell = RunScript(std::string("\"$CLI\" ") + row.command, dir.Path());
        EXPECT_EQ(shell.exitCode, 2) << shell.err;
        EXPECT_EQ(shell.out, "");
        EXPECT_TRUE(Contains(shell.err,
                             "which it would replace: give it another name (nothing "
                             "was run).\n"))
            << shell.err;
        EXPECT_EQ(Contents(dir.Path()), before);
    }
}

// ------------------------------------------------------------- chart names

#ifdef PELORIN_WITH_STUDY_CHART
TEST(StudyFiles, AChartIsPngSvgOrPdfByItsEndingAndNothingElse) {
    const struct {
        const char* chart;
        const char* starts;  // nullptr: refused
    } rows[] = {
        {"c.png", "\x89PNG"}, {"C.SVG", "<?xml"},     {"c.Pdf", "%PDF-"}, {"c.bmp", nullptr},
        {"c", nullptr},       {"c.png.txt", nullptr}, {"", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("--chart '") + row.chart + "'");
        TempDir dir;
        fs::copy_file(test::SourceDir() / "Data" / "depth-pipe.inp", dir.File("d.inp"));
        const test::CliResult sweep =
            test::RunCli({"sweep", "d.inp", "--vary", "S=10,20", "--chart", row.chart}, dir.Path());
        if (row.starts != nullptr) {
            EXPECT_EQ(sweep.exitCode, 0) << sweep.err;
            EXPECT_TRUE(ReadFile(dir.File(row.chart)).starts_with(row.starts));
        } else {
            EXPECT_EQ(sweep.exitCode, 2);
            EXPECT_EQ(sweep.out, "");
            EXPECT_TRUE(Contains(sweep.err, ".png, .svg or .pdf")) << sweep.err;
            EXPECT_EQ(Contents(dir.Path()).size(), 1u);
        }
    }
}
#endif

// ------------------------------------------------------- the reports folder

TEST(StudyFiles, TheReportsFolderIsTriedOnceBeforeAnyRow) {
    const struct {
        const char* prepare;
        const char* says;
        bool needsAnotherUser;  // root may write anywhere
    } rows[] = {
        {"touch F;", "--reports F is not a folder\n", false},
        {"", "--reports F is not a folder (there is none)\n", false},
        {"ln -s /dev/null F;", "--reports F is not a folder\n", false},
        // a limit of one block: the message fits, the probe does not
        {"mkdir F; ulimit -f 1;", "--reports F cannot be written (File too large)\n", false},
        {"mkdir F; chmod 555 F;", "--reports F cannot be written (Permission denied)\n", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.prepare);
        if (row.needsAnotherUser && geteuid() == 0) continue;
        TempDir dir;
        WriteFile(dir.File("t.csv"), kTable);
        const Shell shell = RunScript(
            std::string(row.prepare) + " \"$CLI\" batch t.csv --reports F --out r.csv", dir.Path());
        EXPECT_EQ(shell.exitCode, 2);
        EXPECT_EQ(shell.out, "");
        EXPECT_EQ(shell.err, std::string("pelorin-cli batch: ") + row.says);
        EXPECT_FALSE(fs::exists(dir.File("r.csv")));
    }
}

TEST(StudyFiles, ARowThatCannotBeKeptFailsByItsOwnNameOrNumber) {
    const std::string longName(300, 'n');
    TempDir dir;
    WriteFile(dir.File("t.csv"), kHeader + "good,x,Spa,Ene," + kValues + "\n" + longName +
                                     ",x,Spa,Ene," + kValues + "\nhuge,x,Spa,Ene,1e308," +
                                     kValues.substr(6) + "\n");
    fs::create_directory(dir.Path() / "D");
    const test::CliResult run = test::RunCli({"batch", "t.csv", "--reports", "D"}, dir.Path());
    EXPECT_EQ(run.exitCode, 2) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_TRUE(Contains(lines[1], ",ok,")) << lines[1];
    EXPECT_TRUE(Contains(lines[2], ",failed,")) << lines[2];
    EXPECT_TRUE(Contains(lines[2], "the name is too long for the folder D (300 bytes")) << lines[2];
    EXPECT_TRUE(Contains(lines[3], "value of R in row 3 is too large for an input file: 1e308"))
        << lines[3];
    EXPECT_EQ(Contents(dir.Path() / "D").size(), 2u);  // good.inp and good.out
}

// ------------------------------------------------- results that reach nobody

TEST(StudyFiles, ResultsThatCannotBeWrittenSayWhyWithStatus2) {
    const struct {
        const char* command;
        const char* says;
    } rows[] = {
        {"\"$CLI\" batch t.csv >&-", "standard output: cannot be written (Bad file descriptor)"},
        {"\"$CLI\" batch t.csv >/dev/full",
         "standard output: cannot be written (No space left on device)"},
        {"ulimit -f 1; \"$CLI\" batch t.csv --out r.csv",  // fails at its fourth line
         "r.csv: cannot be written (File too large)"},
        {"\"$CLI\" sweep sp.inp --vary R=0.004,0.006 >&-",
         "standard output: cannot be written (Bad file descriptor)"},
        {"ulimit -f 1; \"$CLI\" sweep sp.inp --vary R=0.004:0.008:0.001 --out r.csv",
         "r.csv: cannot be written (File too large)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        TempDir dir;
        fs::copy_file(test::SourceDir() / "Data" / "spacing-darcy-pipe.inp", dir.File("sp.inp"));
        WriteFile(dir.File("t.csv"), kTable + "d,fourth,Spa,Ene," + kValues + "\n");
        const Shell shell = RunScript(row.command, dir.Path());
        EXPECT_EQ(shell.exitCode, 2);
        EXPECT_TRUE(Contains(shell.err, std::string(row.says) + "\n")) << shell.err;
        EXPECT_FALSE(fs::exists(dir.File("r.csv")));
        EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
    }
    // All three streams closed: the results file and the kept reports take
    // none of their numbers.
    TempDir dir;
    WriteFile(dir.File("t.csv"), kTable);
    const Shell shell =
        RunScript("mkdir D; \"$CLI\" batch t.csv --reports D --out r.csv <&- >&- 2>&-", dir.Path());
    EXPECT_EQ(shell.exitCode, 0);
    EXPECT_EQ(Lines(ReadFile(dir.File("r.csv"))).size(), 4u);
    EXPECT_TRUE(Contains(ReadFile(dir.File("D/a.out")), " Output data:"));
}

// ------------------------------------------------------ line breaks in cells

TEST(StudyFiles, NoResultsFieldHoldsALineBreakSoShardsJoinLineByLine) {
    std::string table = kHeader;
    for (int k = 0; k < 9; ++k) {
        const std::string n = std::to_string(k);
        switch (k % 3) {
            case 0: table += "\"row\n" + n + "\",t,Spa,Ene," + kValues + "\n"; break;  // bad name
            case 1: table += "r" + n + ",\"two\r\nlines\",\"Sp\na\",Ene," + kValues + "\n"; break;
            case 2: table += "r" + n + ",t,Spa,Ene,\"0.0\n07\"," + kValues.substr(6) + "\n"; break;
        }
    }
    TempDir dir;
    WriteFile(dir.File("cases.csv"), table);
    const Shell shell = RunScript(
        "\"$CLI\" batch cases.csv --out whole.csv\n"
        "for k in 1 2 3; do \"$CLI\" batch cases.csv --shard $k/3 --out results-$k.csv; done\n"
        "{ head -n 1 results-1.csv; tail -q -n +2 results-*.csv | sort -t, -k1,1n; } > "
        "joined.csv\n",
        dir.Path());
    EXPECT_EQ(shell.exitCode, 0) << shell.err;
    const std::string whole = ReadFile(dir.File("whole.csv"));
    const std::vector<std::string> lines = Lines(whole);
    ASSERT_EQ(lines.size(), 10u) << whole;
    for (const std::string& line : lines) EXPECT_EQ(Fields(line).size(), 26u) << line;
    EXPECT_TRUE(Contains(lines[1], ",row 0,")) << lines[1];
    EXPECT_TRUE(Contains(lines[2], ",Sp a,")) << lines[2];
    EXPECT_TRUE(Contains(lines[3], "0.0 07")) << lines[3];
    EXPECT_EQ(WithoutSeconds(ReadFile(dir.File("joined.csv"))), WithoutSeconds(whole));
}

// --------------------------------------------------- shards and their names

TEST(StudyFiles, AShardKnowsTheNamesOfTheRowsBeforeItsOwn) {
    std::string table = kHeader;
    for (const char* name : {"a", "b", "a", "c", "b", "a", "d"})
        table += std::string(name) + ",t,Spa,Ene," + kValues + "\n";
    TempDir dir;
    WriteFile(dir.File("cases.csv"), table);
    const Shell shell = RunScript(
        "\"$CLI\" batch cases.csv --out whole.csv\n"
        "for k in 1 2 3; do \"$CLI\" batch cases.csv --shard $k/3 --out results-$k.csv; done\n"
        "{ head -n 1 results-1.csv; tail -q -n +2 results-*.csv | sort -t, -k1,1n; } > "
        "joined.csv\n",
        dir.Path());
    EXPECT_EQ(shell.exitCode, 0) << shell.err;
    const std::string whole = ReadFile(dir.File("whole.csv"));
    const std::vector<std::string> lines = Lines(whole);
    ASSERT_EQ(lines.size(), 8u) << whole;
    for (const int row : {3, 5, 6})
        EXPECT_TRUE(Contains(lines[static_cast<std::size_t>(row)], "is used by an earlier row"))
            << lines[static_cast<std::size_t>(row)];
    EXPECT_EQ(WithoutSeconds(ReadFile(dir.File("joined.csv"))), WithoutSeconds(whole));
}

// ------------------------------------------------------- no thread to spare

TEST(StudyFiles, WithoutThreadsAStudyGoesOnWithTheCallingThread) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers start threads and processes of their own";
#endif
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
    const std::string asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (std::system((asNobody + "test -x '" + PELORIN_CLI + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "setpriv is missing or pelorin-cli cannot be run as another user";
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    fs::copy_file(test::SourceDir() / "Data" / "spacing-darcy-pipe.inp", dir.File("sp.inp"));
    WriteFile(dir.File("t.csv"), kTable);
    fs::permissions(dir.File("sp.inp"), fs::perms(0644));
    fs::permissions(dir.File("t.csv"), fs::perms(0644));
    for (const std::string command :
         {"batch t.csv --jobs 3 --out", "sweep sp.inp --vary R=0.004:0.008:0.002 --jobs 3 --out"}) {
        SCOPED_TRACE(command);
        const Shell reference = RunScript("\"$CLI\" " + command + " ref.csv", dir.Path());
        ASSERT_EQ(reference.exitCode, 0) << reference.err;
        // Root ignores the process limit: nobody may have this one process
        // and no thread beside it.
        const Shell shell = RunScript(
            asNobody + "bash -c 'ulimit -u 1 && exec \"$CLI\" " + command + " limited.csv'",
            dir.Path());
        EXPECT_EQ(shell.exitCode, 0) << shell.err;
        EXPECT_EQ(WithoutSeconds(ReadFile(dir.File("limited.csv"))),
                  WithoutSeconds(ReadFile(dir.File("ref.csv"))));
        EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
    }
}

// --------------------------------------------------------------- signals

// Starts pelorin-cli in `folder` with TMPDIR there too, no core files,
// standard input on /dev/null, standard output and error on `output` (-1:
// /dev/null) and `ignored` (0: none) ignored from the start.
pid_t StartCli(const std::vector<std::string>& args, const fs::path& folder, const fs::path& tmp,
               int ignored, int output = -1) {
    std::vector<std::string> argv = {PELORIN_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signalNumber = 1; signalNumber < 32; ++signalNumber)
        signal(signalNumber, signalNumber == ignored ? SIG_IGN : SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    for (int fd = 1; fd <= 2; ++fd) dup2(output >= 0 ? output : null, fd);
    setenv("TMPDIR", tmp.c_str(), 1);
    if (chdir(folder.c_str()) != 0) _exit(126);
    execv(pointers[0], pointers.data());
    _exit(127);
}

TEST(StudyFiles, EveryCommandEndsByTheSignalLeavingNoTemporaryFile) {
    std::string table = kHeader;
    for (int k = 0; k < 40; ++k)
        table += "slow" + std::to_string(k) +
                 ",t,Hyd,Ene,0.007,2.0,4.0,1.2,1.3,0.5,0,0.6,0.8,0.4,"
                 "2.0,1.0,,600\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
    } commands[] = {
        {"run", {"run", "--threads", "1", "case.inp"}},
        {"batch", {"batch", "slow.csv", "--jobs", "1", "--out", "r.csv"}},
        {"sweep", {"sweep", "case.inp", "--vary", "S=600:640:10", "--jobs", "1"}},
    };
    for (const auto& command : commands) {
        for (const int signalNumber : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1,
                                       SIGUSR2, SIGXCPU, SIGXFSZ}) {
            SCOPED_TRACE(std::string(command.name) + ", " + strsignal(signalNumber));
            TempDir dir;
            fs::create_directory(dir.Path() / "tmp");
            WriteFile(dir.File("case.inp"), kSlowCase);
            WriteFile(dir.File("case.out"), "earlier report\r\n");
            WriteFile(dir.File("slow.csv"), table);
            const pid_t pid = StartCli(command.args, dir.Path(), dir.Path() / "tmp", 0);
            ASSERT_TRUE(AwaitWork(pid));
            kill(pid, signalNumber);
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, signalNumber);
            EXPECT_TRUE(fs::is_empty(dir.Path() / "tmp"));
            EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
            EXPECT_EQ(ReadFile(dir.File("case.out")), "earlier report\r\n");
        }
    }
    // A signal ignored at start stays ignored: the run ends as it would (a
    // shorter case: some tenths of a second more).
    TempDir dir;
    fs::create_directory(dir.Path() / "tmp");
    std::string shorter = kSlowCase;
    shorter.replace(shorter.rfind("600"), 3, "150");
    WriteFile(dir.File("case.inp"), shorter);
    const pid_t pid =
        StartCli({"run", "--threads", "1", "case.inp"}, dir.Path(), dir.Path() / "tmp", SIGUSR1);
    ASSERT_TRUE(AwaitWork(pid));
    kill(pid, SIGUSR1);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_TRUE(Contains(ReadFile(dir.File("case.out")), " Output data:"));

    // Its reader gone, the run ends by SIGPIPE at its first line and leaves
    // no temporary file.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    WriteFile(dir.File("spacing.inp"),
              "T1\r\nT2\r\nFile Name: x\r\nSpa Dar\r\n0.01 1.5 2.0 1.0 "
              "2.0 0 0 0.2 0.5 0.5 0.5 0.5 0.5\r\n");
    const pid_t piped =
        StartCli({"run", "spacing.inp", "case.inp"}, dir.Path(), dir.Path() / "tmp", 0, ends[1]);
    close(ends[1]);
    ASSERT_EQ(waitpid(piped, &status, 0), piped);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, SIGPIPE);
    EXPECT_FALSE(AnyTemporaryFile(dir.Path()));
}

// ------------------------------------------- names the user types, refused

TEST(StudyFiles, AFileNamedOnTheCommandLineIsRefusedByItsReason) {
    const struct {
        const char* command;
        const char* says;
    } rows[] = {
        {"run nonexist.inp", "nonexist.inp: No such file\n"},
        {"sweep nonexist.inp --vary R=1,2", "nonexist.inp: No such file\n"},
        {"batch missing.csv", "missing.csv: No such file\n"},
        {"batch folder", "folder: is a folder, not a file\n"},
        {"sweep /dev/null --vary R=1,2", "/dev/null: is not a regular file"},
        {"run depth-pipe.inp",
         "depth-pipe.inp: The report depth-pipe.out cannot be written: a folder of that name is in "
         "the way."},
#ifdef PELORIN_WITH_DOCUMENTS
        {"pdf /dev/null x.pdf", "/dev/null: is not a regular file"},
        {"pdf missing.out x.pdf", "missing.out: No such file\n"},
        {"graph folder x.png", "folder: is a folder, not a file\n"},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        TempDir dir;
        fs::create_directory(dir.Path() / "folder");
        fs::create_directory(dir.Path() / "depth-pipe.out");
        fs::copy_file(test::SourceDir() / "Data" / "depth-pipe.inp", dir.File("depth-pipe.inp"));
        const auto before = Contents(dir.Path());
        const Shell shell = RunScript(std::string("\"$CLI\" ") + row.command, dir.Path());
        EXPECT_EQ(shell.exitCode, 2);
        EXPECT_TRUE(Contains(shell.err, row.says)) << shell.err;
        EXPECT_FALSE(Contains(shell.err, "incorporate more time")) << shell.err;
        EXPECT_EQ(Contents(dir.Path()), before);
    }
}

#ifdef PELORIN_WITH_DOCUMENTS
TEST(StudyFiles, ADesignSheetIsRefusedForAReportCutInItsResults) {
    TempDir dir;
    fs::copy_file(test::SourceDir() / "Data" / "depth-pipe.out", dir.File("whole.out"));
    const std::string report = ReadFile(dir.File("whole.out"));
    // The report ends " #", four result lines, " #": cut before each of the
    // last five lines.
    std::size_t end = report.size();
    for (int cut = 1; cut <= 5; ++cut) {
        SCOPED_TRACE(cut);
        end = report.rfind("\r\n", end - 3) + 2;
        WriteFile(dir.File("cut.out"), report.substr(0, end));
        const test::CliResult pdf = test::RunCli({"pdf", "cut.out", "cut.pdf"}, dir.Path());
        EXPECT_EQ(pdf.exitCode, 2);
        EXPECT_TRUE(Contains(
            pdf.err, cut < 5 ? "the report ends before its results" : "its results are missing"))
            << pdf.err;
        EXPECT_FALSE(fs::exists(dir.File("cut.pdf")));
    }
    EXPECT_EQ(test::RunCli({"pdf", "whole.out", "whole.pdf"}, dir.Path()).exitCode, 0);
}
#endif

// ------------------------------------------- two batches into one folder

TEST(StudyFiles, TwoBatchesIntoOneFolderKeepEachPairFromOneCase) {
    std::string first = kHeader;
    std::string second = kHeader;
    for (int k = 0; k < 30; ++k) {
        const std::string name = "case" + std::to_string(k);
        first += name + ",from first,Spa,Ene," + kValues + "\n";
        second += name + ",from second,Spa,Dar,0.009," + kValues.substr(6) + "\n";
    }
    TempDir dir;
    WriteFile(dir.File("first.csv"), first);
    WriteFile(dir.File("second.csv"), second);
    fs::create_directory(dir.Path() / "D");
    const Shell shell = RunScript(
        "for round in 1 2 3; do\n"
        "  \"$CLI\" batch first.csv --reports D -j 2 >/dev/null 2>&1 &\n"
        "  \"$CLI\" batch second.csv --reports D -j 2 >/dev/null 2>&1 &\n"
        "  wait\n"
        "done\n",
        dir.Path());
    EXPECT_EQ(shell.exitCode, 0);
    EXPECT_EQ(Contents(dir.Path() / "D").size(), 60u);  // no private folder left
    for (int k = 0; k < 30; ++k) {
        const fs::path stem = dir.Path() / "D" / ("case" + std::to_string(k));
        const std::string title = test::SplitCrLf(ReadFile(stem.string() + ".inp")).at(0);
        EXPECT_TRUE(Contains(ReadFile(stem.string() + ".out"), "\r\n  " + title + "\r\n"))
            << stem << " holds " << title;
    }
}

}  // namespace
}  // namespace pelorin
