#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

// The spacing reports keep their promise: the midway head of the profile
// (recomputed with the finest step) meets Dw − Dm within the method's own
// error, also for the cases where the search's coarser march misjudges it:
// short spacings beside ditches and a tiny transmissivity at the drain.
namespace pelorin {
namespace {

using test::CliResult;
using test::ReadFile;
using test::RunCli;
using test::TempDir;
using test::WriteCase;

struct SpacingCase {
    const char* name;
    const char* method;  // "Dar" or "Ene"
    std::vector<double> numbers;
    std::string message;  // a message the run must give (empty: none)
    // Where set, the spacing of the ellipse equation for flow above the
    // drains only, 2·(Dw − Dm)·√(Ka/R) + W, within 2 %.
    bool aboveDrainsOnly = false;
    std::string spacing = {};  // the exact spacing text where it is known
};

// Short spacings (Dw − Dm < 0.2) beside ditches of several widths.
std::vector<double> ShortDitch(double W) {
    return {0.0030, 2.5, 3.5, 1.2, 1.6, 0.2, W, 0.3, 0.4, 0.2, 0.6, 0.3, 1.05};
}
// Kv1 ≤ R: the layers below the drains carry no flow.
std::vector<double> NoFlowBelow(double W, double Dm) {
    return {0.0122, 3.74, 7.014, 1.171, 1.827, 0, W, 7.492, 0.052, 0.0046, 0.153, 0.0432, Dm};
}

const char* const kShort = " Dw-Dm is less than 0.2. The drain spacing will be short.";

std::vector<SpacingCase> Cases() {
    return {
        {"DarcyShortBesideANarrowDitch",
         "Dar",
         {0.0067, 7.35, 11.215, 1.957, 2.928, 1.945, 0.949, 0.201, 0.049, 0.044, 3.35, 2.8272,
          1.761},
         kShort},
        {"DarcyShortBesideDitch06", "Dar", ShortDitch(0.6), kShort},
        {"DarcyShortBesideDitch20", "Dar", ShortDitch(2.0), kShort},
        {"EnergyShortBesideDitch10", "Ene", ShortDitch(1.0), kShort, false, "21.84"},
        {"EnergyShortBesideDitch20", "Ene", ShortDitch(2.0), kShort},
        {"DarcyNoFlowBelowDitch073", "Dar", NoFlowBelow(0.731, 0.452),
         " The spacing was searched again with a step of 0.001 m: the coarser step misjudged the "
         "midway head by 0.369 m.",
         true},
        {"DarcyNoFlowBelowDitch12", "Dar", NoFlowBelow(1.2, 0.6), " step of 0.001 m", true},
        // Searched at 0.001 m and then at 0.0001 m.
        {"DarcyNoFlowBelowDitch01", "Dar", NoFlowBelow(0.1, 0.6), " step of 0.0001 m", true},
        {"DarcyNoFlowBelowDitch25", "Dar", NoFlowBelow(2.5, 0.6), " step of 0.001 m", true},
    };
}

// The number after "is:" in the report line that begins with `label`.
double ResultOf(const std::string& report, const std::string& label) {
    const std::size_t at = report.find(label);
    if (at == std::string::npos) return NAN;
    return std::atof(report.c_str() + report.find(':', at) + 1);
}

// The last row of the profile table: X, F*, G*/p, F, G/p, T1, T2.
std::vector<double> MidwayRow(const std::string& report) {
    const std::size_t end = report.find("\r\n #\r\n");
    const std::size_t begin = report.rfind("\r\n", end - 1) + 2;
    std::istringstream row(report.substr(begin, end - begin));
    std::vector<double> values;
    for (double v; row >> v;) values.push_back(v);
    return values;
}

class SpacingAccuracy : public ::testing::TestWithParam<SpacingCase> {};

TEST_P(SpacingAccuracy, TheProfileMeetsTheRequiredMidwayHead) {
    const SpacingCase& c = GetParam();
    TempDir dir;
    WriteCase(dir.File("case.inp"), "Spa", c.method, c.numbers);
    const CliResult result = RunCli({"run", "case.inp"}, dir.Path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string report = ReadFile(dir.File("case.out"));

    const double target = c.numbers[3] - c.numbers[12];  // Dw − Dm
    const std::vector<double> midway = MidwayRow(report);
    ASSERT_EQ(midway.size(), 7u) << report;
    // The head of the case's own method: F* for Darcy, F for the energy balance.
    const double head = std::string(c.method) == "Dar" ? midway[1] : midway[3];
    EXPECT_LE(std::abs(head - target), std::max(0.005, 0.05 * target)) << report;

    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    const double spacing = ResultOf(report, " The drain spacing");
    if (c.aboveDrainsOnly) {
        const double R = c.numbers[0], W = c.numbers[6], Ka = c.numbers[7];
        const double ellipse = 2 * target * std::sqrt(Ka / R) + W;
        EXPECT_NEAR(spacing, ellipse, 0.02 * ellipse);
    }
    if (!c.spacing.empty()) {
        EXPECT_NE(report.find("is:    " + c.spacing + "\r\n"), std::string::npos) << report;
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, SpacingAccuracy, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A case the coarse march judges well is searched once: no note, and the
// golden reports of Data/ hold the rest.
TEST(SpacingAccuracyNotes, AnOrdinaryDarcySpacingIsSearchedOnce) {
    TempDir dir;
    WriteCase(dir.File("case.inp"), "Spa", "Dar",
              {0.007, 1.5, 4.0, 1.0, 1.2, 0, 0, 0.5, 1.0, 1.0, 2.0, 2.0, 0.6});
    const CliResult result = RunCli({"run", "case.inp"}, dir.Path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
}

}  // namespace
}  // namespace pelorin
