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

// A file name keeps its own colons; a report cut short before its results
// is refused (the command's tests show the other refusals).
TEST(ReportContents, FileNamesKeepTheirColonsAndResultsAreNeeded) {
    std::vector<std::string> lines(10, "");
    for (const char* line :
         {"  First  title", "  Second title", " Name of input file used:  C:case.inp",
          " DarSpac input data: ", "",
          " Spacing betweeen the drains                S        (m) :       30.00", "",
          " Output data:", "  0.00    0.0001    1.6533    0.0001    1.6268    1.6533   -0.0265",
          " #"})
        lines.emplace_back(line);
    ReportContents contents = ParseReportContents(lines, "case.out");
    EXPECT_EQ(contents.Status, FileStatus::Corrupt);
    EXPECT_EQ(contents.Message,
              "The file \"case.out\" is not a whole report: its results are missing.");
    EXPECT_EQ(contents.FileNames.at(0).Value, "C:case.inp");
    lines.emplace_back(" The drain spacing (Darcy,  m) is:    32.93");
    contents = ParseReportContents(lines, "case.out");
    EXPECT_EQ(contents.Message,
              "The file \"case.out\" is not a whole report: the report ends before its results "
              "(the line \" #\" after them is missing).");
    lines.emplace_back(" #");
    contents = ParseReportContents(lines, "case.out");
    ASSERT_EQ(contents.Status, FileStatus::Ok) << contents.Message;
    EXPECT_EQ(contents.ResultGroups.at(0).at(0).Label, "The drain spacing (Darcy, m) is:");
    EXPECT_EQ(contents.ResultGroups.at(0).at(0).Value, "32.93");
}

}  // namespace
}  // namespace pelorin
