#include <gtest/gtest.h>

#include <string>

#include "Engines.h"
#include "RunError.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::RunCli;
using test::SourceDir;
using test::TempDir;

// An input file named *.out would be its own report: every engine refuses the
// run before it writes anything, and the input file survives.
class InputNamedLikeItsReport : public ::testing::TestWithParam<const char*> {};

TEST_P(InputNamedLikeItsReport, IsRefusedAndKept) {
    TempDir dir;
    const std::string example = GetParam();
    const std::string input = dir.File("case.out");
    std::filesystem::copy_file(SourceDir() / "Data" / (example + ".inp"), input);
    const std::string before = ReadFile(input);

    const test::CliResult result = RunCli({"run", "case.out"}, dir.Path());

    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("would overwrite"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(input), before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("case.out.part")));
}

INSTANTIATE_TEST_SUITE_P(EveryEngine, InputNamedLikeItsReport,
                         ::testing::Values("spacing-darcy-pipe", "spacing-energy-pipe",
                                           "discharge-darcy-pipe", "discharge-energy-ditch",
                                           "depth-pipe", "conductivity-darcy-pipe",
                                           "conductivity-energy-ditch"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace pelorin
