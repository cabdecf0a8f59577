#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = test::fs;
using test::ReadFile;
using test::RunCli;
using test::SplitCrLf;
using test::TempDir;

// Every input file of the examples folder, looked up when the test runs so
// that a new example needs no rebuild.
std::vector<fs::path> ExampleInputs() {
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(test::SourceDir() / "Data"))
        if (entry.path().extension() == ".inp") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Where two reports part: the first line that differs, both versions shown.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    const std::vector<std::string> want = SplitCrLf(expected);
    const std::vector<std::string> got = SplitCrLf(actual);
    for (std::size_t k = 0; k < std::max(want.size(), got.size()); ++k) {
        const std::string a = k < want.size() ? want[k] : "<no line>";
        const std::string b = k < got.size() ? got[k] : "<no line>";
        if (a != b)
            return "line " + std::to_string(k + 1) + "\n  expected: \"" + a + "\"\n  written:  \"" +
                   b + "\"";
    }
    return "the line ends differ";
}

TEST(GoldenReports, EveryExampleGivesItsReportByteForByte) {
    const std::vector<fs::path> inputs = ExampleInputs();
    ASSERT_FALSE(inputs.empty()) << "no examples in " << (test::SourceDir() / "Data");
    for (const fs::path& input : inputs) {
        const std::string name = input.filename().string();
        SCOPED_TRACE(name);
        const fs::path golden = test::ReportPathOf(input);
        ASSERT_TRUE(fs::exists(golden)) << "no report beside " << name;
        TempDir dir;
        fs::copy_file(input, dir.Path() / name);
        const test::CliResult result = RunCli({"run", name}, dir.Path());
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::string expected = ReadFile(golden);
        const std::string written = ReadFile(test::ReportPathOf(dir.Path() / name));
        EXPECT_TRUE(written == expected) << FirstDifference(expected, written);
    }
}

}  // namespace
}  // namespace pelorin
