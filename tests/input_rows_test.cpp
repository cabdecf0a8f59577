// The rows of the Input sheet as texts: the layout of each aim and the
// per-quantity memory that carries opened values between the aims.

#include <gtest/gtest.h>

#include "CaseLayout.h"
#include "InputRows.h"

using namespace pelorin;
using enum Quantity;

namespace {

// What each row shows under an aim: a quantity, the footnote caption, or
// nothing (caption and field hidden).
enum class Shows { Quantity, Footnote, Nothing };
struct RowExpectation {
    Shows shows;
    Quantity quantity;
};
using SheetRows = std::array<RowExpectation, kRowCount>;

constexpr RowExpectation Q(Quantity q) { return {Shows::Quantity, q}; }
constexpr RowExpectation kNothing{Shows::Nothing, R};
constexpr RowExpectation kFootnote{Shows::Footnote, R};

const SheetRows kSpacing = {Q(R),  Q(D1),  Q(D2),  Q(Dw),  Q(Db),  Q(E), Q(W),
                            Q(Ka), Q(Kb1), Q(Kv1), Q(Kb2), Q(Kv2), Q(Dm)};
const SheetRows kDischarge = {Q(Dm), Q(D1),  Q(D2),  Q(Dw),  Q(Db),  Q(E), Q(W),
                              Q(Ka), Q(Kb1), Q(Kv1), Q(Kb2), Q(Kv2), Q(S)};
const SheetRows kDepth = {Q(R),  Q(D1),  Q(D2),  Q(Dw),  Q(Db),  Q(E), Q(W),
                          Q(Ka), Q(Kb1), Q(Kv1), Q(Kb2), Q(Kv2), Q(S)};
const SheetRows kConductivity = {kNothing, kNothing, Q(R), Q(D2),    Q(Dw),     Q(Db),   Q(E),
                                 Q(W),     Q(Dm),    Q(S), kNothing, kFootnote, kNothing};

// The rows of a file as the sheet first shows them, before the memory moves them.
void LoadFileOrder(InputRows& rows, CalcAim aim, const std::array<const char*, kRowCount>& texts) {
    rows.CurrentAim = aim;
    for (int i = 0; i < kRowCount; ++i) rows.Rows[i] = texts[i];
    RememberFieldTexts(rows);
}

void ChangeAim(InputRows& rows, CalcAim aim) {
    rows.CurrentAim = aim;
    FillRowsForAim(rows);
}

TEST(InputRows, CaptionsAreFiftySevenCharactersAndNameTheirSymbolAndUnit) {
    for (int q = 0; q < kQuantityCount; ++q) {
        const QuantityTexts& texts = TextsOf(static_cast<Quantity>(q));
        const std::string caption = RowCaption(static_cast<Quantity>(q));
        EXPECT_EQ(caption.size(), std::size_t{57}) << caption;
        EXPECT_EQ(caption.back(), ':') << caption;
        const std::string symbolAndUnit = std::string(texts.symbol) + " ";
        EXPECT_NE(caption.find(" " + symbolAndUnit), std::string::npos) << caption;
        EXPECT_NE(caption.find(std::string("(") + texts.unit + ")"), std::string::npos) << caption;
        // The report's echo line names the same symbol and unit.
        const std::string echo = texts.echoLabel;
        EXPECT_NE(echo.find(" " + symbolAndUnit), std::string::npos) << echo;
        EXPECT_NE(echo.find(std::string("(") + texts.unit + ")"), std::string::npos) << echo;
    }
}

// In either unit system a caption keeps its width, its words and its symbol,
// and names the unit of that system where the SI caption names metres.
TEST(InputRows, CaptionsInEitherUnitsKeepTheirWidthAndNameTheUnit) {
    for (const UnitSystem units : {UnitSystem::SI, UnitSystem::US}) {
        for (int k = 0; k < kQuantityCount; ++k) {
            const auto q = static_cast<Quantity>(k);
            const std::string caption = RowCaption(q, units);
            const std::string siCaption = RowCaption(q);
            const std::string unit = std::string("(") + UnitName(q, units) + ") :";
            EXPECT_EQ(caption.size(), siCaption.size()) << caption;
            EXPECT_EQ(caption.substr(caption.size() - unit.size()), unit) << caption;
            const std::size_t symbolEnd =
                siCaption.find(std::string(" ") + TextsOf(q).symbol + " ") +
                std::string(TextsOf(q).symbol).size() + 2;
            EXPECT_EQ(caption.substr(0, symbolEnd), siCaption.substr(0, symbolEnd)) << caption;
        }
        const RowLayout layout = LayoutRows(CalcAim::Conductivity, units);
        EXPECT_EQ(layout.Captions[0], RowCaption(Quantity::R, units));
    }
}

TEST(InputRows, LayoutOfEachAim) {
    const struct {
        CalcAim aim;
        const SheetRows* rows;
        bool footnote;
    } aims[] = {{CalcAim::Spacing, &kSpacing, true},
                {CalcAim::Discharge, &kDischarge, true},
                {CalcAim::WaterTableDepth, &kDepth, false},
                {CalcAim::Conductivity, &kConductivity, false}};
    for (const auto& aim : aims) {
        const RowLayout layout = LayoutRows(aim.aim);
        EXPECT_EQ(layout.FootnoteVisible, aim.footnote);
        for (int i = 0; i < kRowCount; ++i) {
            SCOPED_TRACE("aim " + std::to_string(static_cast<int>(aim.aim)) + ", row " +
                         std::to_string(i + 1));
            const RowExpectation& row = (*aim.rows)[i];
            switch (row.shows) {
                case Shows::Quantity:
                    EXPECT_TRUE(layout.CaptionVisible[i] && layout.FieldVisible[i]);
                    EXPECT_EQ(layout.Captions[i], RowCaption(row.quantity));
                    break;
                case Shows::Footnote:
                    EXPECT_TRUE(layout.CaptionVisible[i] && !layout.FieldVisible[i]);
                    EXPECT_EQ(layout.Captions[i], "*) Time average");
                    break;
                case Shows::Nothing:
                    EXPECT_TRUE(!layout.CaptionVisible[i] && !layout.FieldVisible[i]);
                    break;
            }
        }
    }
}

TEST(InputRows, TypedValuesDoNotEnterTheMemory) {
    InputRows rows;
    rows.Row(1) = "0.005";
    ChangeAim(rows, CalcAim::Discharge);
    EXPECT_EQ(rows.Row(1), "0");   // M(Dm)
    EXPECT_EQ(rows.Row(13), "0");  // M(S)
    ChangeAim(rows, CalcAim::Spacing);
    EXPECT_EQ(rows.Row(1), "0");
    EXPECT_EQ(rows.PreviousAim, CalcAim::Spacing);
}

TEST(InputRows, TypedMiddleRowsStayBetweenTheFirstThreeAims) {
    InputRows rows;
    for (int row = 2; row <= 12; ++row) rows.Row(row) = std::to_string(row);
    for (CalcAim aim : {CalcAim::Discharge, CalcAim::WaterTableDepth, CalcAim::Spacing}) {
        ChangeAim(rows, aim);
        for (int row = 2; row <= 12; ++row) EXPECT_EQ(rows.Row(row), std::to_string(row));
    }
    // Through conductivity the moved rows come from the memory.
    ChangeAim(rows, CalcAim::Conductivity);
    ChangeAim(rows, CalcAim::Spacing);
    for (int row = 2; row <= 12; ++row) EXPECT_EQ(rows.Row(row), "0");
}

TEST(InputRows, AnOpenedSpacingFileMarksTheSpacingAsUnknown) {
    InputRows rows;
    LoadFileOrder(
        rows, CalcAim::Spacing,
        {"0.007", "2", "4", "1", "1.1", "0", "0", "0.5", "0.8", "0.4", "1.5", "0.6", "0.5"});
    EXPECT_EQ(rows.M(S), "-1");
    EXPECT_EQ(rows.M(Kv2), "0.6");
    ChangeAim(rows, CalcAim::Discharge);
    EXPECT_EQ(rows.Row(1), "0.5");  // Dm
    EXPECT_EQ(rows.Row(13), "-1");  // S, to be typed
    ChangeAim(rows, CalcAim::Conductivity);
    const std::array<const char*, 8> conductivityRows = {"0.007", "4", "1",   "1.1",
                                                         "0",     "0", "0.5", "-1"};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(rows.Row(k + 3), conductivityRows[k]);
}

TEST(InputRows, AnOpenedConductivityFileMovesItsRows) {
    InputRows rows;
    rows.M(Ka) = "0.3";
    LoadFileOrder(
        rows, CalcAim::Conductivity,
        {"0.005", "3", "1.2", "1.9", "0.6", "1.4", "0.75", "26", "9", "0", "0", "0", "0"});
    const std::array<const char*, 8> expected = {"0.005", "3",   "1.2",  "1.9",
                                                 "0.6",   "1.4", "0.75", "26"};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(rows.Row(k + 3), expected[k]);
    EXPECT_EQ(rows.M(D2), "3");
    EXPECT_EQ(rows.M(S), "26");
    EXPECT_EQ(rows.M(Ka), "0.3");  // permeabilities keep their memory
    ChangeAim(rows, CalcAim::WaterTableDepth);
    EXPECT_EQ(rows.Row(1), "0.005");  // R
    EXPECT_EQ(rows.Row(3), "3");      // D2
    EXPECT_EQ(rows.Row(8), "0.3");    // Ka
    EXPECT_EQ(rows.Row(13), "26");    // S
}

TEST(InputRows, ConductivityWithoutSpacingMarksItUnknown) {
    InputRows rows;
    LoadFileOrder(rows, CalcAim::Conductivity,
                  {"0.005", "3", "1.2", "1.9", "0.6", "1.4", "0.75", "0", "0", "0", "0", "0", "0"});
    EXPECT_EQ(rows.M(S), "-1");
}

TEST(InputRows, LeavingConductivityRestoresTheStandardRows) {
    InputRows rows;
    rows.M(D1) = "";  // an empty memory shows as 0
    rows.M(Kb1) = "0.8";
    ChangeAim(rows, CalcAim::Conductivity);
    ChangeAim(rows, CalcAim::Spacing);
    EXPECT_EQ(rows.Row(2), "0");
    EXPECT_EQ(rows.Row(9), "0.8");
}

}  // namespace
