// Files are never clobbered: pelorin-cli (and, for signals, the desktop
// program) run as real processes against closed streams, planted links, inputs
// that are also outputs, runs at the same time, pictures that cannot be
// written, hostile names, streams instead of files, and signals.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProcessSupport.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = test::fs;
using test::Contains;
using test::ReadFile;
using test::Shell;
using test::TempDir;
using test::WriteFile;

// How long a script may run (seconds), and how many 10 ms looks a child gets
// to start computing.
constexpr int kScriptSeconds = 60;
constexpr int kWorkRounds = 6000;

test::Shell RunScript(const std::string& script, const fs::path& folder) {
    return test::RunScript(script, folder, kScriptSeconds);
}
bool AwaitWork(pid_t pid) { return test::AwaitWork(pid, kWorkRounds); }

const std::string kHead = "T1\r\nT2\r\nFile Name: x\r\n";
// A spacing case that prints progress lines while it runs.
const std::string kGoodCase =
    kHead + "Spa Dar\r\n0.01 1.5 2.0 1.0 2.0 0 0 0.2 0.5 0.5 0.5 0.5 0.5\r\n";
// Refused: R = 0, and Dm = Dw.
const std::string kRefusedR =
    kHead + "Spa Dar\r\n0 1.5 2.0 1.0 2.0 0 0 0.2 0.5 0.5 0.5 0.5 0.5\r\n";
const std::string kRefusedDm =
    kHead + "Spa Dar\r\n0.01 1.5 2.0 1.0 2.0 0 0 0.2 0.5 0.5 0.5 0.5 1.0\r\n";
// No transmissivity: the run fails once its report is begun.
const std::string kFaulting = kHead + "Dis Dar\r\n0.5 1.5 2.0 1.0 2.0 0 0 0 0 0 0 0 20\r\n";
// Long marches, so that the searches run trials ahead on other threads.
const std::string kLongMarches =
    kHead + "Hyd Ene\r\n0.007 2.0 4.0 1.2 1.3 0.5 0 0.6 0.8 0.4 2.0 1.0 60\r\n";
// Some seconds on one thread: time enough to send a signal while it runs.
const std::string kSlowCase =
    kHead + "Hyd Ene\r\n0.007 2.0 4.0 1.2 1.3 0.5 0 0.6 0.8 0.4 2.0 1.0 600\r\n";
const std::string kEarlier = "earlier report\r\n";

// The names in a folder, sorted.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The report pelorin-cli writes for `input` saved as `name`, run on its own.
std::string ReferenceReport(const std::string& input, const std::string& name = "case.inp") {
    TempDir dir;
    WriteFile(dir.File(name), input);
    RunScript("\"$CLI\" run --threads 1 " + name, dir.Path());
    return ReadFile(test::ReportPathOf(dir.File(name)));
}

unsigned ModeOf(const std::string& path) {
    struct stat facts {};
    return stat(path.c_str(), &facts) == 0 ? facts.st_mode & 0777 : 0;
}

// ------------------------------------------------------------ a child process

struct Ended {
    bool signalled = false;
    int code = -1;  // the exit status, or the signal
    long maxResidentKb = 0;
};

// Starts a program in `folder` with its streams on /dev/null, the three
// ending signals at their default action and `environment` added.
pid_t Start(const std::vector<std::string>& argv, const fs::path& folder,
            const std::vector<std::string>& environment = {}) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (char** setting = environ; *setting != nullptr; ++setting) env.push_back(*setting);
    for (const std::string& setting : environment)
        env.push_back(const_cast<char*>(setting.c_str()));
    env.push_back(nullptr);
    const std::string where = folder.string();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) signal(signalNumber, SIG_DFL);
    const int null = open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd) dup2(null, fd);
    if (chdir(where.c_str()) != 0) _exit(126);
    execve(args[0], args.data(), env.data());
    _exit(127);
}

Ended WaitFor(pid_t pid) {
    int status = 0;
    rusage usage{};
    Ended ended;
    if (wait4(pid, &status, 0, &usage) != pid) return ended;
    ended.signalled = WIFSIGNALED(status);
    ended.code = ended.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    ended.maxResidentKb = usage.ru_maxrss;
    return ended;
}

// ------------------------------------------------------- rows 1 and 2: streams

TEST(SafeFilesStreams, ClosedStandardStreamsNeverReachAReport) {
    const std::string reference = ReferenceReport(kGoodCase);
    ASSERT_TRUE(Contains(reference, " Output data:"));
    const struct {
        const char* name;
        const char* redirection;
    } rows[] = {
        {"standard error closed", "2>&-"},
        {"standard output closed", ">&-"},
        {"all three closed", "<&- >&- 2>&-"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        for (const char* name : {"case.inp", "b.inp", "c.inp"})
            WriteFile(dir.File(name), kGoodCase);
        const Shell shell = RunScript(
            std::string("\"$CLI\" run case.inp b.inp c.inp ") + row.redirection, dir.Path());
        EXPECT_EQ(shell.exitCode, 0) << shell.err;
        EXPECT_EQ(ReadFile(dir.File("case.out")), reference);
        // The other reports differ from it by their names only.
        for (const char* name : {"b", "c"}) {
            std::string expected = reference;
            for (const char* ext : {".inp", ".out"})
                expected.replace(expected.find(std::string("case") + ext), 4, name);
            EXPECT_EQ(ReadFile(dir.File(std::string(name) + ".out")), expected) << name;
        }
    }
}

// ----------------------------------------------------------- rows 3 and 4: links

TEST(SafeFilesLinks, ALinkAtAnyNameIsReplacedOrLeftNeverWrittenThrough) {
    const std::string reference = ReferenceReport(kGoodCase);
    TempDir dir;
    WriteFile(dir.File("victim"), "someone else's file\n");
    WriteFile(dir.File("case.inp"), kGoodCase);
    // the old temporary names, and the report and error list themselves
    for (const char* name : {"case.out.part", "Error.lst.part", "case.out"})
        fs::create_symlink(dir.File("victim"), dir.File(name));
    Shell shell = RunScript("\"$CLI\" run case.inp", dir.Path());
    EXPECT_EQ(shell.exitCode, 0) << shell.err;
    EXPECT_EQ(ReadFile(dir.File("victim")), "someone else's file\n");
    EXPECT_FALSE(fs::is_symlink(dir.File("case.out")));
    EXPECT_EQ(ReadFile(dir.File("case.out")), reference);
    EXPECT_TRUE(fs::is_symlink(dir.File("case.out.part")));

    // Error.lst a link: an accepted case deletes the link, not what it names;
    // a refused case replaces the link by its list.
    fs::create_symlink(dir.File("victim"), dir.File("Error.lst"));
    shell = RunScript("\"$CLI\" run case.inp", dir.Path());
    EXPECT_EQ(shell.exitCode, 0) << shell.err;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("Error.lst"))));
    EXPECT_EQ(ReadFile(dir.File("victim")), "someone else's file\n");

    fs::create_symlink(dir.File("victim"), dir.File("Error.lst"));
    WriteFile(dir.File("refused.inp"), kRefusedR);
    shell = RunScript("\"$CLI\" run refused.inp", dir.Path());
    EXPECT_EQ(shell.exitCode, 1) << shell.err;
    EXPECT_FALSE(fs::is_symlink(dir.File("Error.lst")));
    EXPECT_TRUE(Contains(ReadFile(dir.File("Error.lst")), " Make sure that R > 0.\r\n"));
    EXPECT_EQ(ReadFile(dir.File("victim")), "someone else's file\n");
}

TEST(SafeFilesLinks, AFileGetsTheModeOfAPlainCreateOrOfTheFileItReplaces) {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    WriteFile(dir.File("refused.inp"), kRefusedR);
    Shell shell = RunScript("umask 027; \"$CLI\" run case.inp refused.inp", dir.Path());
    EXPECT_EQ(shell.exitCode, 1) << shell.err;
    EXPECT_EQ(ModeOf(dir.File("case.out")), 0640U);
    EXPECT_EQ(ModeOf(dir.File("Error.lst")), 0640U);
    fs::permissions(dir.File("case.out"), fs::perms(0604));
    shell = RunScript("umask 077; \"$CLI\" run case.inp", dir.Path());
    EXPECT_EQ(shell.exitCode, 0) << shell.err;
    EXPECT_EQ(ModeOf(dir.File("case.out")), 0604U);
}

// --------------------------------------------- row 5: the input is also an output

TEST(SafeFilesOwnInput, ARunNeverDeletesOrOverwritesItsInput) {
    const struct {
        const char* name;
        const char* input;    // as the file is named on the command line
        const char* prepare;  // shell lines before the run
        const char* holder;   // the file that holds the case
    } rows[] = {
        {"input named Error.lst", "Error.lst", "", "Error.lst"},
        {"another spelling", "./sub/../Error.lst", "mkdir sub;", "Error.lst"},
        {"Error.lst a hard link of the input", "case.inp", "ln Error.lst case.inp;", "Error.lst"},
        {"the input a link to Error.lst", "link.inp", "ln -s Error.lst link.inp;", "Error.lst"},
        {"the input a link to its report", "x.inp", "ln -s x.out x.inp;", "x.out"},
        {"the report a hard link of the input", "y.inp", "ln y.out y.inp;", "y.out"},
    };
    for (const bool accepted : {true, false}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (accepted ? ", accepted" : ", refused"));
            TempDir dir;
            const std::string input = accepted ? kGoodCase : kRefusedR;
            WriteFile(dir.File(row.holder), input);
            const Shell shell =
                RunScript(std::string(row.prepare) + " \"$CLI\" run " + row.input, dir.Path());
            // A refused case writes no report, and an accepted one no error
            // list: only the file the run writes can meet the input. An
            // accepted case leaves a stale list that is its input, and says so.
            const bool listIsInput = std::string(row.holder) == "Error.lst";
            const bool meets = accepted != listIsInput;
            EXPECT_EQ(shell.exitCode, meets ? 2 : accepted ? 0 : 1) << shell.err;
            if (meets) {
                EXPECT_TRUE(Contains(shell.err, "cannot be written: it is the input file"))
                    << shell.err;
            }
            if (accepted && listIsInput) {
                EXPECT_TRUE(Contains(shell.err, "was not removed: it is the input file"))
                    << shell.err;
            }
            EXPECT_EQ(ReadFile(dir.File(row.holder)), input);
        }
    }
}

// ------------------------------------------------------- row 6: runs at one time

TEST(SafeFilesConcurrency, RunsAtOneTimeNeverSpoilEachOthersFiles) {
    // Three inputs with one report name, case.out: two good cases of their own
    // titles and one that fails once its report is begun.
    const std::string other = "Other first title\r\nOther second title" + kGoodCase.substr(6);
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    WriteFile(dir.File("case.txt"), other);
    WriteFile(dir.File("case.dat"), kFaulting);
    WriteFile(dir.File("one.ref"), ReferenceReport(kGoodCase, "case.inp"));
    WriteFile(dir.File("other.ref"), ReferenceReport(other, "case.txt"));
    const Shell shell = RunScript(
        "for round in 1 2 3 4 5 6 7 8 9 10 11 12; do\n"
        "  \"$CLI\" run case.inp >/dev/null 2>&1 & \"$CLI\" run case.txt >/dev/null 2>&1 &\n"
        "  \"$CLI\" run case.dat >/dev/null 2>&1 & \"$CLI\" run case.dat >/dev/null 2>&1 &\n"
        "  wait\n"
        "  cmp -s case.out one.ref || cmp -s case.out other.ref || echo \"round $round: spoilt\"\n"
        "done\n",
        dir.Path());
    EXPECT_EQ(shell.out, "");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"case.dat", "case.inp", "case.out",
                                                           "case.txt", "one.ref", "other.ref"}));
}

TEST(SafeFilesConcurrency, ErrorListsAtOneTimeAreReplacedWholeNeverInterleaved) {
    TempDir dir;
    WriteFile(dir.File("r.inp"), kRefusedR);
    WriteFile(dir.File("dm.inp"), kRefusedDm);
    const std::string one = "\"$CLI\" run r.inp r.inp r.inp r.inp r.inp r.inp r.inp r.inp";
    const std::string other = "\"$CLI\" run dm.inp dm.inp dm.inp dm.inp dm.inp dm.inp dm.inp";
    const Shell shell = RunScript(
        "for round in 1 2 3 4 5 6; do " + one + " & " + other + " & wait; done", dir.Path());
    EXPECT_EQ(shell.exitCode, 0);
    const std::string list = ReadFile(dir.File("Error.lst"));
    const std::string header = " THE FOLLOWING ERRORS WERE FOUND IN THE INPUT:\r\n\r\n";
    const std::string tail = "\r\nPlease correct the errors.\r\n";
    EXPECT_TRUE(list == header + " Make sure that R > 0.\r\n" + tail ||
                list == header + " Make sure that Dm < Dw.\r\n" + tail)
        << list;
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"Error.lst", "dm.inp", "r.inp"}));
}

#ifdef PELORIN_WITH_GRAPH
// ------------------------------------------------------------ rows 7 to 9, 12: graph

TEST(SafeFilesGraph, APictureNeverReplacesItsReport) {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    ASSERT_EQ(RunScript("\"$CLI\" run case.inp", dir.Path()).exitCode, 0);
    const std::string report = ReadFile(dir.File("case.out"));
    const Shell shell = RunScript(
        "mkdir sub; ln -s case.out link.bmp; ln case.out hard.png\n"
        "for image in case.out ./case.out sub/../case.out \"$PWD/case.out\" link.bmp hard.png; do\n"
        "  \"$CLI\" graph case.out \"$image\"; echo \"$image $?\"\n"
        "done\n",
        dir.Path());
    EXPECT_EQ(shell.out, "case.out 2\n./case.out 2\nsub/../case.out 2\n" + dir.Path().string() +
                             "/case.out 2\nlink.bmp 2\nhard.png 2\n");
    EXPECT_TRUE(Contains(shell.err, "which it would replace")) << shell.err;
    EXPECT_EQ(ReadFile(dir.File("case.out")), report);
    EXPECT_TRUE(fs::is_symlink(dir.File("link.bmp")));
}

TEST(SafeFilesGraph, APictureThatCannotBeWrittenWholeSaysWhyAndKeepsTheOldOne) {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    ASSERT_EQ(RunScript("\"$CLI\" run case.inp", dir.Path()).exitCode, 0);
    WriteFile(dir.File("old.png"), "old picture");
    WriteFile(dir.File("old.bmp"), "old picture");
    const struct {
        const char* name;
        const char* command;
        const char* image;
    } rows[] = {
        // a limit of some kilobytes: the PNG (about 5 kB) and the BMP do not fit
        {"PNG beyond the file-size limit", "ulimit -f 4; \"$CLI\" graph case.out old.png",
         "old.png"},
        {"BMP beyond the file-size limit", "ulimit -f 4; \"$CLI\" graph case.out old.bmp",
         "old.bmp"},
        {"/dev/full", "\"$CLI\" graph case.out /dev/full", nullptr},
        {"a link to /dev/full", "ln -sf /dev/full full.png; \"$CLI\" graph case.out full.png",
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Shell shell = RunScript(row.command, dir.Path());
        EXPECT_EQ(shell.exitCode, 2) << shell.err;
        EXPECT_TRUE(Contains(shell.err, ": Disk full\n")) << shell.err;
        if (row.image != nullptr) {
            EXPECT_EQ(ReadFile(dir.File(row.image)), "old picture");
        }
    }
    for (const std::string& name : Names(dir.Path())) EXPECT_FALSE(name.ends_with(".part")) << name;
}

TEST(SafeFilesGraph, AnImageNameIsKeptAsTheBytesGiven) {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    ASSERT_EQ(RunScript("\"$CLI\" run case.inp", dir.Path()).exitCode, 0);
    const Shell shell = RunScript(
        "\"$CLI\" graph case.out \"$(printf 'g\\377\\351.bmp')\" && "
        "\"$CLI\" graph case.out \"$(printf 'p\\303\\251\\377.png')\"",
        dir.Path());
    EXPECT_EQ(shell.exitCode, 0) << shell.err;
    EXPECT_EQ(ReadFile(dir.File("g\xff\xe9.bmp")).substr(0, 2), "BM");
    EXPECT_EQ(ReadFile(dir.File("p\xc3\xa9\xff.png")).substr(0, 4), "\x89PNG");
    EXPECT_EQ(shell.out, "g\xff\xe9.bmp\np\xc3\xa9\xff.png\n");
    EXPECT_EQ(Names(dir.Path()).size(), 4U);
}

TEST(SafeFilesGraph, TheGraphIsDrawnOffScreenWhateverPlatformIsNamed) {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    ASSERT_EQ(RunScript("\"$CLI\" run case.inp", dir.Path()).exitCode, 0);
    for (const char* platform : {"xcb", "wayland", "eglfs", "no-such-platform"}) {
        SCOPED_TRACE(platform);
        const Shell shell =
            RunScript(std::string("unset DISPLAY WAYLAND_DISPLAY; QT_QPA_PLATFORM=") + platform +
                          " \"$CLI\" graph case.out g.bmp",
                      dir.Path());
        EXPECT_EQ(shell.exitCode, 0) << shell.err;
        EXPECT_EQ(ReadFile(dir.File("g.bmp")).substr(0, 2), "BM");
        fs::remove(dir.File("g.bmp"));
    }
}
#endif

// ---------------------------------------------------- row 10: no thread to start

TEST(SafeFilesThreads, WithoutThreadsTheSearchGoesOnAndTheReportIsTheSame) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers start threads and processes of their own";
#endif
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
    const std::string asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (std::system((asNobody + "test -x '" + PELORIN_CLI + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "setpriv is missing or pelorin-cli cannot be run as another user";
    const std::string reference = ReferenceReport(kLongMarches);
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    WriteFile(dir.File("case.inp"), kLongMarches);
    WriteFile(dir.File("b.inp"), kGoodCase);
    fs::permissions(dir.File("case.inp"), fs::perms(0644));
    // Root ignores the process limit: run as nobody, who may have one process
    // (this one) and no thread beside it.
    const Shell shell = RunScript(
        asNobody + "bash -c 'ulimit -u 1 && exec \"$CLI\" run --threads 4 case.inp b.inp'",
        dir.Path());
    EXPECT_EQ(shell.exitCode, 0) << shell.err;
    EXPECT_EQ(shell.out, "case.out\nb.out\n");
    EXPECT_EQ(ReadFile(dir.File("case.out")), reference);
}

// ------------------------------------------------------- row 11: very long lines

TEST(SafeFilesLongLines, ALineWithoutEndIsCorruptAndMemoryStaysBounded) {
    TempDir dir;
    // 1 GB without a line end, sparse: it takes no room on the disk.
    WriteFile(dir.File("huge.inp"), "");
    fs::resize_file(dir.File("huge.inp"), 1'000'000'000);
    const pid_t pid = Start({PELORIN_CLI, "run", "huge.inp"}, dir.Path());
    const Ended ended = WaitFor(pid);
    EXPECT_FALSE(ended.signalled);
    EXPECT_EQ(ended.code, 2);
    // The whole line would take a gigabyte or two; a bounded one some tens of
    // megabytes (more under the sanitizers).
    EXPECT_LT(ended.maxResidentKb, 400 * 1024);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"huge.inp"});

    const Shell shell = RunScript("\"$CLI\" run huge.inp", dir.Path());
    EXPECT_TRUE(Contains(shell.err,
                         "huge.inp: A program error occurred. The inputfile "
                         "\"huge.inp\" is corrupt: line 1 is longer than 16 MiB"))
        << shell.err;
}

// ------------------------------------------------------- row 14: the current folder

TEST(SafeFilesCurrentFolder, ADeletedCurrentFolderIsNamedNotTheInput) {
    TempDir dir;
    WriteFile(dir.File("case.inp"), kRefusedR);
    WriteFile(dir.File("case.out"), kEarlier);
    const Shell shell = RunScript(
        "mkdir gone && cd gone && rmdir ../gone && \"$CLI\" run \"$OLDPWD/case.inp\"", dir.Path());
    EXPECT_EQ(shell.exitCode, 2);
    EXPECT_TRUE(Contains(shell.err,
                         "case.inp: The error list Error.lst cannot be written in the "
                         "current folder: File not found"))
        << shell.err;
    EXPECT_EQ(ReadFile(dir.File("case.out")), kEarlier);
}

// ----------------------------------------- rows 15 to 17: names and kinds of input

TEST(SafeFilesInputs, ALineBreakInTheNameIsRefusedBeforeAnythingIsWritten) {
    const struct {
        std::string name;
        const char* command;
    } rows[] = {
        {"a\nb.inp", "\"$CLI\" run \"$(printf 'a\\nb.inp')\""},
        {"a\rb.inp", "\"$CLI\" run \"$(printf 'a\\rb.inp')\""},
        // $( ) drops a final line end: the X keeps it and is taken off again
        {"ab.inp\n", "n=$(printf 'ab.inp\\nX'); \"$CLI\" run \"${n%X}\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        TempDir dir;
        WriteFile(dir.File(row.name), kGoodCase);
        WriteFile(dir.File("Error.lst"), "kept\r\n");
        const Shell shell = RunScript(row.command, dir.Path());
        EXPECT_EQ(shell.exitCode, 2) << shell.err;
        EXPECT_TRUE(Contains(shell.err, "contains a line break (CR or LF)")) << shell.err;
        EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"Error.lst", row.name}));
        EXPECT_EQ(ReadFile(dir.File("Error.lst")), "kept\r\n");
    }
}

TEST(SafeFilesInputs, AnInputThatIsNotARegularFileIsRefusedUnread) {
    ASSERT_FALSE(fs::exists("/dev/stdin.out"));
    TempDir dir;
    WriteFile(dir.File("case.inp"), kGoodCase);
    const struct {
        const char* name;
        const char* command;
    } rows[] = {
        {"/dev/stdin from a file", "\"$CLI\" run /dev/stdin <case.inp"},
        {"/dev/stdin from a pipe", "cat case.inp | \"$CLI\" run /dev/stdin"},
        {"/dev/fd/0", "\"$CLI\" run /dev/fd/0 <case.inp"},
        {"a FIFO", "mkfifo fifo.inp && \"$CLI\" run fifo.inp"},
        {"a FIFO behind a link", "ln -sf fifo.inp linked.inp && \"$CLI\" run linked.inp"},
        {"a device", "\"$CLI\" run /dev/zero"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Shell shell = RunScript(row.command, dir.Path());
        EXPECT_EQ(shell.exitCode, 2) << shell.err;
        EXPECT_TRUE(Contains(shell.err, ": not a regular file")) << shell.err;
    }
    EXPECT_FALSE(fs::exists("/dev/stdin.out"));
    EXPECT_FALSE(fs::exists("/dev/zero.out"));
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"case.inp", "fifo.inp", "linked.inp"}));
}

// ------------------------------------------------------------------ row 18: signals

TEST(SafeFilesSignals, ASignalRemovesTheTemporaryFileAndEndsTheRunByIt) {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signalNumber));
        TempDir dir;
        WriteFile(dir.File("case.inp"), kSlowCase);
        WriteFile(dir.File("case.out"), kEarlier);
        const pid_t pid = Start({PELORIN_CLI, "run", "--threads", "1", "case.inp"}, dir.Path());
        ASSERT_TRUE(AwaitWork(pid)) << "the run ended before the signal";
        kill(pid, signalNumber);
        const Ended ended = WaitFor(pid);
        EXPECT_TRUE(ended.signalled);
        EXPECT_EQ(ended.code, signalNumber);
        EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"case.inp", "case.out"}));
        EXPECT_EQ(ReadFile(dir.File("case.out")), kEarlier);
    }
}

#ifdef PELORIN_DESKTOP
// The desktop program catches the same signals (its handler shows in the
// caught-signal mask of /proc) and ends by the one it is sent.
TEST(SafeFilesSignals, TheDesktopProgramEndsByTheSignalItIsSent) {
    const unsigned long wanted =
        (1UL << (SIGINT - 1)) | (1UL << (SIGTERM - 1)) | (1UL << (SIGHUP - 1));
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signalNumber));
        TempDir dir;
        const pid_t pid = Start({PELORIN_DESKTOP}, dir.Path(), {"QT_QPA_PLATFORM=offscreen"});
        bool caught = false;
        for (int round = 0; round < 3000 && !caught; ++round) {
            const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
            const std::size_t at = status.find("SigCgt:\t");
            if (at != std::string::npos) {
                const unsigned long mask = std::stoul(status.substr(at + 8, 16), nullptr, 16);
                caught = (mask & wanted) == wanted;
            }
            if (!caught) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(caught) << "the handler was never installed";
        kill(pid, signalNumber);
        const Ended ended = WaitFor(pid);
        EXPECT_TRUE(ended.signalled);
        EXPECT_EQ(ended.code, signalNumber);
    }
}
#endif

}  // namespace
}  // namespace pelorin
