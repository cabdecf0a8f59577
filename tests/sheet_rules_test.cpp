// The window-free rules of the Input sheet and Save/Run: number texts, the
// plausibility checks, file names and the placement of the main window.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FieldNumbers.h"
#include "FileNameRules.h"
#include "InputFile.h"
#include "InputRows.h"
#include "NumberFormat.h"
#include "PlausibilityRules.h"
#include "ReportNames.h"
#include "WindowPlacement.h"

using namespace pelorin;

namespace {

TEST(StringToFloat, AcceptsBothSeparators) {
    struct Row {
        const char* text;
        char separator;
        double expected;
    };
    const Row rows[] = {
        {"1.5", '.', 1.5},  {"1,5", '.', 1.5},   {"1,5", ',', 1.5},    {"1.5", ',', 1.5},
        {"  2 ", '.', 2.0}, {"1E-6", '.', 1e-6}, {"2,5e3", '.', 2500}, {"-0.5", '.', -0.5},
        {"+3", '.', 3.0},   {".25", '.', 0.25},  {"5.", '.', 5.0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(StringToFloat(row.text, row.separator), row.expected)
            << row.text << " with " << row.separator;
}

TEST(StringToFloat, RefusesNonNumbersWithTheirText) {
    for (const std::string text :
         {"abc", "", "   ", "1.2.3", "1,2.3", "12a", "1e999", "nan", "inf", "0x10", "1,000.5"}) {
        for (char separator : {'.', ','}) {
            try {
                StringToFloat(text, separator);
                ADD_FAILURE() << "accepted '" << text << "'";
            } catch (const ConversionError& error) {
                EXPECT_EQ(std::string(error.what()), text + " is not a valid real number");
                EXPECT_EQ(error.Text(), text);
            }
        }
    }
}

TEST(FormatFieldNumber, ShortestFormUpToFifteenDigits) {
    struct Row {
        double value;
        char separator;
        const char* expected;
    };
    const Row rows[] = {
        {0.0, '.', "0"},
        {26.0, '.', "26"},
        {100.0, '.', "100"},
        {0.005, '.', "0.005"},
        {1.5, ',', "1,5"},
        {0.00001, '.', "0.00001"},  // smallest fixed
        {0.000001, '.', "1E-6"},    // below fixed
        {1.5e-7, ',', "1,5E-7"},    // scientific with digits
        {0.1 + 0.2, '.', "0.3"},    // fifteen digits
        {123456.789, '.', "123456.789"},
        {-2.5, '.', "-2.5"},
        {-1.0, '.', "-1"},
        {1e15, '.', "1E15"},
        {999999999999999.0, '.', "999999999999999"},  // largest fixed
    };
    for (const Row& row : rows)
        EXPECT_EQ(FormatFieldNumber(row.value, row.separator), row.expected) << row.value;
}

// A case that passes every check of its aim; the test rows change one number.
std::vector<double> PassingValues(const std::string& aim) {
    if (aim == "Spa") return {0.005, 2, 4, 1, 1.1, 0, 0.2, 0.5, 0.8, 0.4, 1.5, 0.6, 0.5};
    if (aim == "Dis") return {0.5, 2, 4, 1, 1.1, 0, 0.2, 0.5, 0.8, 0.4, 1.5, 0.6, 20};
    if (aim == "Hyd") return {0.005, 2, 4, 1, 1.1, 0, 0.2, 0.5, 0.8, 0.4, 1.5, 0.6, 20};
    return {0.005, 3, 1.2, 1.9, 0.6, 1.4, 0.75, 26, 0, 0, 0, 0, 0};
}

TEST(ValidateInput, GivesTheFirstFailingCheckOfTheAim) {
    struct Row {
        const char* aim;
        int position;  // 1-based; 0 changes nothing
        double value;
        const char* message;  // empty when the case passes
    };
    std::vector<Row> rows;
    for (const char* aim : {"Spa", "Dis", "Hyd", "Con"}) {
        rows.push_back({aim, 0, 0.0, ""});
        rows.push_back({aim, 6, -0.1, "Data cannot be negative."});
    }
    const Row more[] = {
        {"Dis", 13, -1.0, "Data cannot be negative."},  // a remembered -1
        {"Spa", 3, 1.5, "Take care that D2 is not less than D1."},
        {"Hyd", 3, 2.0, ""},  // D2 equal to D1
        {"Dis", 2, 0.9, "Take care that D1 is not less than Dw."},
        {"Dis", 2, 1.0, ""},  // D1 equal to Dw
        {"Spa", 8, 0.005, "Take care that Ka is greater than R."},
        {"Dis", 8, 0.0, ""},  // Ka not checked for discharge
        {"Dis", 13, 0.4, "Take care that S is larger than 2W."},
        {"Hyd", 13, 0.4, "Take care that S is larger than 2W."},
        {"Dis", 1, 1.0, "Take care that Dm is less than Dw."},
        {"Spa", 13, 1.2, "Take care that Dm is less than Dw."},
        {"Con", 4, 3.0, "Take care that Db is less than D2."},
        {"Con", 4, 1.2, "Take care that Db is larger than Dw."},
        {"Con", 7, 1.2, "Take care that Dm is less than Dw."},
        {"Con", 8, 2.8, "Take care that S is larger than 2W."},
        {"Spa", 1, 0.0001, ""},  // R at the limit
        {"Spa", 1, 0.00009, "Take care that R is larger than 0.0001"},
        {"Con", 1, 0.00009, "Take care that R is larger than 0.0001"},
        {"Hyd", 5, 1.0, "Take care that Db is larger than Dw."},
        {"Spa", 4, 2.5, "Take care that D1 is not less than Dw."},  // the first failure wins
    };
    rows.insert(rows.end(), std::begin(more), std::end(more));
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.aim) + " position " + std::to_string(row.position));
        InputCase input{"t1", "t2", row.aim, "Ene", PassingValues(row.aim)};
        if (row.position > 0) input.Values[static_cast<std::size_t>(row.position - 1)] = row.value;
        const std::optional<std::string> refusal = ValidateInput(input);
        if (std::string(row.message).empty()) {
            EXPECT_FALSE(refusal) << *refusal;
        } else {
            ASSERT_TRUE(refusal);
            EXPECT_EQ(*refusal,
                      std::string(row.message) + " Input not saved. Please correct the data");
        }
    }
}

TEST(ValidateInput, EqualLayersDropTheSecondLayerPermeabilities) {
    for (const char* aim : {"Spa", "Dis", "Hyd"}) {
        InputCase input{"", "", aim, "Ene", PassingValues(aim)};
        input.Values[2] = input.Values[1];  // D2 := D1
        EXPECT_FALSE(ValidateInput(input)) << aim;
        EXPECT_EQ(input.Values[10], 0.0) << aim;
        EXPECT_EQ(input.Values[11], 0.0) << aim;
        EXPECT_EQ(input.Values[8], 0.8) << aim;  // Kb1 untouched
    }
}

TEST(ValidateInput, ConductivityKeepsItsHiddenRowUntouched) {
    InputCase input{"", "", "Con", "Dar", PassingValues("Con")};
    input.Values[8] = 7.5;  // the hidden row's number rides along
    EXPECT_FALSE(ValidateInput(input));
    EXPECT_EQ(input.Values[8], 7.5);
}

// Every quantity a rule compares has a number in the input file of each aim
// the rule applies to: otherwise the rule would read outside the 13 numbers.
TEST(PlausibilityRules, ReadOnlyNumbersTheirAimsHave) {
    for (const PlausibilityRule& rule : PlausibilityRules()) {
        for (CalcAim aim : rule.Aims) {
            SCOPED_TRACE(std::string(AimCodeOf(aim)) + ": " + rule.Text);
            if (!rule.Condition.EveryNumber) {
                EXPECT_GT(PositionOf(aim, rule.Condition.Left), 0);
            }
            if (rule.Condition.Right) {
                EXPECT_GT(PositionOf(aim, *rule.Condition.Right), 0);
            }
            for (Quantity q : rule.Zeroed) EXPECT_GT(PositionOf(aim, q), 0);
        }
        // A rule either asks a question or changes numbers, never both.
        EXPECT_NE(std::string(rule.Text).empty(), !rule.ChangesValues()) << rule.Text;
    }
}

// The questions the page shows: every failing check of the aim, in the order of
// the table, and none of the rule that changes numbers.
TEST(PlausibilityRules, FailedChecksListsEveryFailureInOrder) {
    struct Row {
        const char* aim;
        std::vector<std::pair<int, double>> changes;  // 1-based position, value
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"Spa", {}, {}},
        {"Spa", {{3, 2.0}}, {}},  // D2 = D1: the value rule, no question
        {"Spa",
         {{4, 2.5}, {8, 0.001}},
         {"Take care that D1 is not less than Dw.", "Take care that Ka is greater than R.",
          "Take care that Db is larger than Dw."}},
        {"Dis",
         {{1, -1.0}, {13, 0.4}},
         {"Data cannot be negative.", "Take care that S is larger than 2W."}},
        {"Hyd", {{5, 1.0}}, {"Take care that Db is larger than Dw."}},
        {"Con",
         {{1, 0.00009}, {7, 1.9}},
         {"Take care that Dm is less than Dw.", "Take care that R is larger than 0.0001"}},
        {"Con", {{11, -2.0}}, {"Data cannot be negative."}},  // a position the aim leaves empty
        {"Spa",
         {{2, std::nan("")}},
         {"Data cannot be negative.", "Take care that D2 is not less than D1.",
          "Take care that D1 is not less than Dw."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.aim);
        std::vector<double> values = PassingValues(row.aim);
        for (const auto& [position, value] : row.changes)
            values[static_cast<std::size_t>(position - 1)] = value;
        EXPECT_EQ(FailedChecks(*AimFromCode(row.aim), values), row.expected);
    }
}

TEST(FileNames, DotsInTheNameAndTheReportExtension) {
    EXPECT_EQ(DotsInFileName("/data/case.inp"), 1);
    EXPECT_EQ(DotsInFileName("/data/old.case.inp"), 2);
    EXPECT_EQ(DotsInFileName("/my.data/v1.2/case.inp"), 1);  // folders do not count
    EXPECT_EQ(DotsInFileName("/my.data/case"), 0);

    EXPECT_EQ(WithExtension("/d/case.inp", ".out"), "/d/case.out");
    EXPECT_EQ(WithExtension("/d/case.txt", ".out"), "/d/case.out");
    EXPECT_EQ(WithExtension("/d.x/case", ".out"), "/d.x/case.out");
    EXPECT_EQ(WithExtension("case.inp", ".out"), "case.out");
}

TEST(PlaceMainWindow, WideScreensGetTheWideWindowNarrowOnesWhatFits) {
    struct Row {
        int screen, left, width;
    };
    const Row rows[] = {
        {1024, 50, 760}, {861, 50, 760},  // 861 is wide
        {860, 50, 733},                   // keeps the designed width
        {733, 50, 733},  {640, 5, 635},
    };
    for (const Row& row : rows) {
        const WindowPlacement placement = PlaceMainWindow(row.screen, 733);
        EXPECT_EQ(placement.Left, row.left) << row.screen;
        EXPECT_EQ(placement.Width, row.width) << row.screen;
    }
}

TEST(ValuesFromRows, FollowTheAim) {
    std::array<std::string, kRowCount> rows;
    for (int i = 0; i < kRowCount; ++i) {
        rows[i] = std::to_string(i + 1);
        rows[i].append(",5");
    }
    const std::vector<double> standard = ValuesFromRows(CalcAim::Discharge, rows, '.');
    for (int i = 0; i < kRowCount; ++i) EXPECT_EQ(standard[i], i + 1.5);

    const std::vector<double> conductivity = ValuesFromRows(CalcAim::Conductivity, rows, '.');
    for (int i = 0; i < 9; ++i) EXPECT_EQ(conductivity[i], i + 3.5);  // rows 3 to 11
    for (int i = 9; i < kRowCount; ++i) EXPECT_EQ(conductivity[i], 0.0);

    // (Assigned as a character: GCC 12 warns falsely on assigning "x" here.)
    rows[12].clear();
    rows[12].push_back('x');
    EXPECT_THROW(ValuesFromRows(CalcAim::Spacing, rows, '.'), ConversionError);
    // The conductivity rows do not include row 13.
    EXPECT_EQ(ValuesFromRows(CalcAim::Conductivity, rows, '.').size(), std::size_t{13});
}

Quantity QuantityFromSymbol(const std::string& symbol) {
    for (int k = 0; k < kQuantityCount; ++k)
        if (symbol == TextsOf(static_cast<Quantity>(k)).symbol) return static_cast<Quantity>(k);
    ADD_FAILURE() << "no quantity " << symbol;
    return Quantity::R;
}

// Rows typed in US units (with the decimal comma of a system that has one)
// give the numbers of tests/data/us-units.csv at the quantity's place in the
// input file, and show them back as the table says; the same numbers shown in
// SI and typed in SI give the same values, so the same file.
TEST(ValuesFromRows, UsRowsGiveTheFilesNumbersAndTheSameCaseInSi) {
    std::ifstream csv(PELORIN_SOURCE_DIR "/tests/data/us-units.csv");
    std::string line;
    int cases = 0;
    while (std::getline(csv, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("aim,", 0) == 0) continue;
        std::vector<std::string> cell;
        std::stringstream cells(line);
        for (std::string text; std::getline(cells, text, ',');) cell.push_back(text);
        ASSERT_EQ(cell.size(), 5u) << line;
        const CalcAim aim = *AimFromCode(cell[0]);
        const AimLayout& layout = LayoutOf(aim);
        const auto comma = [](std::string text) {
            std::replace(text.begin(), text.end(), '.', ',');
            return text;
        };
        std::array<std::string, kRowCount> rows;
        rows.fill("1,5");
        const int position = PositionOf(aim, QuantityFromSymbol(cell[1])) - 1;
        const int row = aim == CalcAim::Conductivity ? position + 2 : position;
        rows[static_cast<std::size_t>(row)] = comma(cell[2]);
        const std::vector<double> us = ValuesFromRows(aim, rows, ',', UnitSystem::US);
        const auto at = static_cast<std::size_t>(position);
        const Quantity q = *layout.file[at];
        EXPECT_EQ(FormatFixed(us[at], 0, layout.fileDecimals[at]), cell[3]) << line;
        EXPECT_EQ(StoredFieldText(us[at], q, UnitSystem::US, aim, ','), comma(cell[4])) << line;
        std::array<std::string, kRowCount> siRows = rows;
        for (std::size_t k = 0; k < us.size(); ++k) {
            if (!layout.file[k]) continue;
            siRows[aim == CalcAim::Conductivity ? k + 2 : k] =
                StoredFieldText(us[k], *layout.file[k], UnitSystem::SI, aim, ',');
        }
        EXPECT_EQ(ValuesFromRows(aim, siRows, ',', UnitSystem::SI), us) << line;
        ++cases;
    }
    EXPECT_GE(cases, 10);
}

}  // namespace
