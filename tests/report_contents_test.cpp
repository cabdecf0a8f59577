#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "ReportContents.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

// Every report of Data/ comes apart whole: the echo's quantities with symbol,
// unit and value, seven cells a profile row, and the result groups of its aim.
TEST(ReportContents, EveryExampleReportComesApartWhole) {
    int reports = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PELORIN_SOURCE_DIR "/Data")) {
        if (entry.path().extension() != ".out") continue;
        ++reports;
        const std::string name = entry.path().filename().string();
        const ReportContents contents = ReadReportContents(entry.path().string());
        ASSERT_EQ(contents.Status, FileStatus::Ok) << name << ": " << contents.Message;
        const bool conductivity = name.rfind("conductivity", 0) == 0;
        const bool depth = name.rfind("depth", 0) == 0;
        EXPECT_EQ(contents.Inputs.size(), conductivity ? 9u : 13u) << name;
        for (const ReportInputRow& row : contents.Inputs) {
            EXPECT_FALSE(row.Quantity.empty() || row.Symbol.empty() || row.Unit.empty() ||
                         row.Value.empty())
                << name << ": " << row.Quantity << "|" << row.Symbol;
            EXPECT_EQ(row.Quantity.find("  "), std::string::npos) << name;
        }
        const auto dw = std::find_if(contents.Inputs.begin(), contents.Inputs.end(),
                                     [](const ReportInputRow& row) { return row.Symbol == "Dw"; });
        ASSERT_NE(dw, contents.Inputs.end()) << name;
        EXPECT_EQ(dw->Unit, "m") << name;
        EXPECT_EQ(dw->Quantity, "Depth waterlevel in drain below s.s.") << name;
        EXPECT_EQ(contents.ProfileColumns,
                  (std::vector<std::string>{"X", "F*", "G*/p", "F", "G/p", "T1", "T2"}))
            << name;
        EXPECT_GE(contents.ProfileRows.size(), 3u) << name;
        for (const auto& row : contents.ProfileRows) EXPECT_EQ(row.size(), 7u) << name;
        ASSERT_EQ(contents.ResultGroups.size(), depth ? 1u : 2u) << name;
        EXPECT_EQ(contents.ResultGroups.back().size(), 4u) << name;  // heads and depths
        for (const auto& group : contents.ResultGroups)
            for (const ReportLabelledValue& line : group)
                EXPECT_TRUE(line.Label.ends_with(" is:") && !line.Value.empty())
                    << name << ": " << line.Label;
        ASSERT_EQ(contents.FileNames.size(), 2u) << name;
        EXPECT_EQ(contents.FileNames[1].Value, name);
    }
    EXPECT_EQ(reports, 19);
}

TEST(ReportContents, SplitsEachKindOfLineAsTheReportWritesIt) {
    const std::vector<std::string> lines{
        "",
        " Pelorin",
        " Program DarSpac calculates",
        "",
        "",
        "",
        "",
        "",
        "",
        "",
        "  First  title",
        "  Second title",
        "",
        " Name of input file used:  C:case.inp",
        " Name of this output file: case.out",
        "",
        " DarSpac input data: ",
        "",
        " Time average recharge or discharge         R    (m/day) :      0.0070",
        " Spacing betweeen the drains                S        (m) :       30.00",
        "",
        " Watertable heights (see also the Symbols button):",
        "   X       F*        G*/p      F         G/p       T1        T2",
        " Output data:",
        "  0.00    0.0001    1.6533    0.0001    1.6268    1.6533   -0.0265",
        " #",
        " The drain spacing (Darcy,  m) is:    32.93",
        "",
        " Midway hydr. head (Darcy,  m) is:    0.508",
        " #"};
    const ReportContents contents = ParseReportContents(lines, "case.out");
    ASSERT_EQ(contents.Status, FileStatus::Ok) << contents.Message;
    EXPECT_EQ(contents.Title1, "First  title");
    EXPECT_EQ(contents.About, (std::vector<std::string>{"Pelorin", "Program DarSpac calculates"}));
    EXPECT_EQ(contents.FileNames[0].Label, "Name of input file used:");
    EXPECT_EQ(contents.FileNames[0].Value, "C:case.inp");
    EXPECT_EQ(contents.Module, "DarSpac");
    ASSERT_EQ(contents.Inputs.size(), 2u);
    EXPECT_EQ(contents.Inputs[1].Quantity, "Spacing betweeen the drains");
    EXPECT_EQ(contents.Inputs[1].Symbol, "S");
    EXPECT_EQ(contents.Inputs[1].Unit, "m");
    EXPECT_EQ(contents.Inputs[1].Value, "30.00");
    EXPECT_EQ(contents.ProfileRows.at(0).back(), "-0.0265");
    ASSERT_EQ(contents.ResultGroups.size(), 2u);
    EXPECT_EQ(contents.ResultGroups[0][0].Label, "The drain spacing (Darcy, m) is:");
    EXPECT_EQ(contents.ResultGroups[0][0].Value, "32.93");
    EXPECT_EQ(contents.ResultGroups[1][0].Value, "0.508");

    // Without results, without the table's end, without the input table.
    struct Cut {
        std::size_t keep;
        const char* missing;
    };
    for (const Cut& cut : {Cut{26, "its results are missing."},
                           Cut{25, "the line \" Output data:\" or the line \" #\""},
                           Cut{16, "the table of its input data is missing."}}) {
        const std::vector<std::string> shorter(lines.begin(), lines.begin() + cut.keep);
        const ReportContents refused = ParseReportContents(shorter, "case.out");
        EXPECT_EQ(refused.Status, FileStatus::Corrupt) << cut.keep;
        EXPECT_NE(refused.Message.find(cut.missing), std::string::npos) << refused.Message;
        EXPECT_EQ(refused.Message.rfind("The file \"case.out\" is not a whole report: ", 0), 0u);
    }
}

}  // namespace
}  // namespace pelorin
