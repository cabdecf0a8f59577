#pragma once

// Small helpers shared by the tests: a temporary folder, whole-file reading and
// writing, input files, and running pelorin-cli.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "InputChecks.h"
#include "InputFile.h"

namespace pelorin::test {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "pelorin-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

// Loads a case with the numbers of an input file (in file order) and checks
// it with the check of its aim; the messages of the tests that failed.
inline std::vector<std::string> LoadAndCheck(CalcAim aim, const std::vector<double>& values,
                                             DrainageCase& c) {
    CaseInput input;
    input.Aim = aim;
    for (std::size_t k = 0; k < values.size() && k < input.Numbers.size(); ++k)
        input.Numbers[k] = values[k];
    c.Aim = aim;
    LoadCaseNumbers(input, c);
    return CheckInput(aim, c);
}

// The messages of a check, one a line, for a failure's explanation.
inline std::string Lines(const std::vector<std::string>& messages) {
    std::string text;
    for (const std::string& message : messages) text += message + "\n";
    return text;
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// An input file as the program writes it.
inline std::string WriteCase(const fs::path& path, const std::string& aimCode,
                             const std::string& methodCode, const std::vector<double>& values,
                             const std::string& title1 = "Test case",
                             const std::string& title2 = "Second title") {
    InputCase c{title1, title2, aimCode, methodCode, values};
    const FileWriteResult result = WriteInputFile(path.string(), c);
    if (result.Status != FileStatus::Ok) std::abort();
    return path.string();
}

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program with the given arguments in `folder`, through `env` with
// `environment` (words such as "-u", "DISPLAY" or "NAME=value") when given.
inline CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const fs::path& folder,
                            const std::vector<std::string>& environment = {}) {
    static int counter = 0;
    const fs::path outFile =
        fs::temp_directory_path() /
        ("pelorin-cli-out-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    const fs::path errFile = outFile.string() + ".err";
    std::string command = "cd '" + folder.string() + "' && ";
    if (!environment.empty()) {
        command += "env";
        for (const std::string& word : environment) command += " '" + word + "'";
        command += ' ';
    }
    command += "'" + program + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >'" + outFile.string() + "' 2>'" + errFile.string() + "' </dev/null";
    const int status = std::system(command.c_str());
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(outFile);
    result.err = ReadFile(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return result;
}

// Runs pelorin-cli with the given arguments in `folder`.
inline CliResult RunCli(const std::vector<std::string>& args, const fs::path& folder) {
    return RunProgram(PELORIN_CLI, args, folder);
}

// The lines of a text with CR LF line ends; a final line end gives no empty line.
inline std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The lines after the profile rows of a report: " #", the results, " #".
inline std::vector<std::string> ResultBlock(const std::string& report) {
    const std::vector<std::string> lines = SplitCrLf(report);
    std::size_t k = 0;
    while (k < lines.size() && lines[k] != " Output data:") ++k;
    while (k < lines.size() && lines[k] != " #") ++k;
    return {lines.begin() + static_cast<std::ptrdiff_t>(k), lines.end()};
}

// Each line of a result block starts with its label and carries one value of
// width 8 after it (lines of two characters or fewer carry none).
inline void ExpectResultLabels(const std::vector<std::string>& block,
                               const std::vector<std::string>& labels) {
    ASSERT_EQ(block.size(), labels.size());
    for (std::size_t i = 0; i < block.size(); ++i) {
        const std::size_t width = labels[i].size() > 2 ? 8 : 0;
        EXPECT_EQ(block[i].size(), labels[i].size() + width) << block[i];
        EXPECT_TRUE(block[i].starts_with(labels[i])) << block[i];
    }
}

// The report of an input file: the same path with the extension ".out".
inline fs::path ReportPathOf(const fs::path& inputFile) {
    fs::path report = inputFile;
    report.replace_extension(".out");
    return report;
}

// The text after `label` on the first line that starts with it, without the
// surrounding blanks; empty when there is no such line.
inline std::string ValueAfter(const std::string& reportText, const std::string& label) {
    for (const std::string& line : SplitCrLf(reportText)) {
        if (line.rfind(label, 0) != 0) continue;
        std::string value = line.substr(label.size());
        const std::size_t first = value.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : value.substr(first);
    }
    return {};
}

inline fs::path SourceDir() { return fs::path(PELORIN_SOURCE_DIR); }

}  // namespace pelorin::test
