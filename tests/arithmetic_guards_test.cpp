// The arithmetic guards of the marches, the bisection and the profile: a
// fault stops the run with its own text at the first operation that faults.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "NumberFormat.h"
#include "ProfileRoutine.h"
#include "ProfileTestSupport.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using namespace test;

// ---------------------------------------------------------------------------
// Arithmetic guards

// A pipe drain without entrance resistance in a soil whose layers below drain
// level carry nothing: the first step sees T = 0.
DrainageCase ZeroTransmissivityCase(double R) {
    Soil soil;
    soil.R = R;
    soil.E = 0.0;
    soil.W = 0.0;
    soil.Kb1 = 0.0;
    soil.Kb2 = 0.0;
    DrainageCase c = CaseOf(soil);
    c.p = 0.01;
    c.FirstStep = 2;
    c.EntranceHead = 0.0;
    c.HalfSpacing = 3.0;
    c.EnergyMidHead = 0.5;
    return c;
}

Fault FaultOf(const std::function<void()>& action, std::string* text = nullptr) {
    try {
        action();
    } catch (const RunError& error) {
        if (text != nullptr) *text = error.what();
        return error.Kind();
    }
    ADD_FAILURE() << "no fault";
    return Fault::Cancelled;
}

struct GuardCase {
    const char* name;
    double R;
    Fault fault;
    const char* text;
};

class ZeroTransmissivity : public ::testing::TestWithParam<GuardCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const GuardCase& k) { return out << k.name; }

TEST_P(ZeroTransmissivity, StopsEveryRoutineWithItsFault) {
    const GuardCase& g = GetParam();
    DrainageCase c = ZeroTransmissivityCase(g.R);
    ASSERT_EQ(Transmissivity(c, 0.0, 1.571 * 0.015), 0.0);
    std::string text;
    EXPECT_EQ(FaultOf([&] { MarchDarcy(c, 3.0); }, &text), g.fault);
    EXPECT_EQ(text, g.text);
    EXPECT_EQ(FaultOf([&] { MarchEnergy(c, 3.0, 0.5); }, &text), g.fault);
    EXPECT_EQ(text, g.text);
    EXPECT_EQ(FaultOf([&] { SolveEnergyMidHead(c, 3.0); }, &text), g.fault);
    EXPECT_EQ(text, g.text);

    ReportWriter report;
    report.Line(" Output data:");
    EXPECT_EQ(FaultOf([&] { WriteProfile(c, report); }, &text), g.fault);
    EXPECT_EQ(text, g.text);
    EXPECT_EQ(report.Contents(), " Output data:\r\n") << "a row was written after the fault";
}

INSTANTIATE_TEST_SUITE_P(
    Guards, ZeroTransmissivity,
    ::testing::Values(GuardCase{"FlowThroughNothing", 0.005, Fault::DivisionByZero,
                                "Floating point division by zero"},
                      GuardCase{"NoFlowThroughNothing", 0.0, Fault::InvalidOperation,
                                "Invalid floating point operation"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteProfileGuards, HalfSpacingBeyondThe32BitStepCountIsARangeCheckError) {
    DrainageCase c = CaseOf(Soil{});
    c.HalfSpacing = 21474.84;
    ReportWriter report;
    std::string text;
    EXPECT_EQ(FaultOf([&] { WriteProfile(c, report); }, &text), Fault::RangeCheck);
    EXPECT_EQ(text, "Range check error");
    EXPECT_EQ(report.Contents(), "");

    // Just inside the range the counts are fine; a half width beyond the half
    // spacing keeps the profile empty so that nothing is marched.
    Soil wide;
    wide.W = 2 * 21474.835;
    wide.Db = 1.25;
    DrainageCase inside = CaseOf(wide);
    inside.HalfSpacing = 21474.83;
    EXPECT_NO_THROW(WriteProfile(inside, report));
    EXPECT_EQ(inside.LastStep, 2147483000);
    EXPECT_EQ(report.Contents(), "");
}

// Heads that grow beyond the largest double part-way: the rows before the
// fault are in the report, none after it.
TEST(WriteProfileGuards, AnOverflowPartWayKeepsTheEarlierRowsOnly) {
    Soil soil = ConstantTransmissivitySoil();
    soil.R = 2e306;  // F* = R/T·(Lx − x²/2) passes 1.797e308 near x = 13.65 for L = 20, T = 2
    soil.Kb1 = 2.0;
    soil.Kv1 = 2.0;
    soil.D1 = 2.0;  // Thick1 1: T = 2
    DrainageCase c = CaseOf(soil);
    ASSERT_EQ(Transmissivity(c, 5.0, 1.0), 2.0);
    c.HalfSpacing = 20.0;
    c.EntranceHead = 0.0;
    c.EnergyMidHead = 0.0;
    ReportWriter report;
    std::string text;
    EXPECT_EQ(FaultOf([&] { WriteProfile(c, report); }, &text), Fault::Overflow);
    EXPECT_EQ(text, "Floating point overflow");
    const std::vector<std::string> rows = SplitCrLf(report.Contents());
    std::vector<std::string> printedX;
    for (const std::string& row : rows) printedX.push_back(row.substr(0, 6));
    const std::vector<std::string> expected = {"  0.00", "  0.50", "  1.00", "  2.00", "  4.00",
                                               "  6.00", "  8.00", " 10.00", " 12.00"};
    EXPECT_EQ(printedX, expected);
    EXPECT_EQ(report.Contents().substr(report.Contents().size() - 2), "\r\n");
}

}  // namespace
}  // namespace pelorin
