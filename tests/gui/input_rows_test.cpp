// The rows of the Input sheet as texts: the layout of each aim and the
// per-quantity memory that carries opened values between the aims.

#include <QTest>

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

}  // namespace

class InputRowsTest : public QObject {
    Q_OBJECT
  private slots:
    void captionsAreFiftySevenCharacters();
    void layoutOfEachAim_data();
    void layoutOfEachAim();
    void typedValuesDoNotEnterTheMemory();
    void typedMiddleRowsStayBetweenTheFirstThreeAims();
    void openedSpacingFileMarksTheSpacingAsUnknown();
    void openedConductivityFileMovesItsRows();
    void conductivityWithoutSpacingMarksItUnknown();
    void leavingConductivityRestoresTheStandardRows();
};

void InputRowsTest::captionsAreFiftySevenCharacters() {
    for (int q = 0; q < kQuantityCount; ++q) {
        const std::string caption = RowCaption(static_cast<Quantity>(q));
        QCOMPARE(caption.size(), std::size_t{57});
        QVERIFY(caption.back() == ':');
    }
}

void InputRowsTest::layoutOfEachAim_data() {
    QTest::addColumn<int>("aim");
    QTest::addColumn<bool>("footnote");
    QTest::newRow("spacing") << 0 << true;
    QTest::newRow("discharge") << 1 << true;
    QTest::newRow("water-table depth") << 2 << false;
    QTest::newRow("conductivity") << 3 << false;
}

void InputRowsTest::layoutOfEachAim() {
    QFETCH(int, aim);
    QFETCH(bool, footnote);
    const std::array<const SheetRows*, 4> expected = {&kSpacing, &kDischarge, &kDepth,
                                                      &kConductivity};
    const RowLayout layout = LayoutRows(static_cast<CalcAim>(aim));
    QCOMPARE(layout.FootnoteVisible, footnote);
    for (int i = 0; i < kRowCount; ++i) {
        const RowExpectation& row = (*expected[aim])[i];
        switch (row.shows) {
            case Shows::Quantity:
                QVERIFY2(layout.CaptionVisible[i] && layout.FieldVisible[i],
                         qPrintable(QString::number(i + 1)));
                QCOMPARE(layout.Captions[i], std::string(RowCaption(row.quantity)));
                break;
            case Shows::Footnote:
                QVERIFY(layout.CaptionVisible[i] && !layout.FieldVisible[i]);
                QCOMPARE(layout.Captions[i], std::string(kFootnoteCaption));
                break;
            case Shows::Nothing:
                QVERIFY(!layout.CaptionVisible[i] && !layout.FieldVisible[i]);
                break;
        }
    }
}

void InputRowsTest::typedValuesDoNotEnterTheMemory() {
    InputRows rows;
    rows.Row(1) = "0.005";
    ChangeAim(rows, CalcAim::Discharge);
    QCOMPARE(rows.Row(1), std::string("0"));   // M(Dm)
    QCOMPARE(rows.Row(13), std::string("0"));  // M(S)
    ChangeAim(rows, CalcAim::Spacing);
    QCOMPARE(rows.Row(1), std::string("0"));
    QCOMPARE(rows.PreviousAim, CalcAim::Spacing);
}

void InputRowsTest::typedMiddleRowsStayBetweenTheFirstThreeAims() {
    InputRows rows;
    for (int row = 2; row <= 12; ++row) rows.Row(row) = std::to_string(row);
    for (CalcAim aim : {CalcAim::Discharge, CalcAim::WaterTableDepth, CalcAim::Spacing}) {
        ChangeAim(rows, aim);
        for (int row = 2; row <= 12; ++row) QCOMPARE(rows.Row(row), std::to_string(row));
    }
    // Through conductivity the moved rows come from the memory.
    ChangeAim(rows, CalcAim::Conductivity);
    ChangeAim(rows, CalcAim::Spacing);
    for (int row = 2; row <= 12; ++row) QCOMPARE(rows.Row(row), std::string("0"));
}

void InputRowsTest::openedSpacingFileMarksTheSpacingAsUnknown() {
    InputRows rows;
    LoadFileOrder(
        rows, CalcAim::Spacing,
        {"0.007", "2", "4", "1", "1.1", "0", "0", "0.5", "0.8", "0.4", "1.5", "0.6", "0.5"});
    QCOMPARE(rows.M(S), std::string("-1"));
    QCOMPARE(rows.M(Kv2), std::string("0.6"));
    ChangeAim(rows, CalcAim::Discharge);
    QCOMPARE(rows.Row(1), std::string("0.5"));  // Dm
    QCOMPARE(rows.Row(13), std::string("-1"));  // S, to be typed
    ChangeAim(rows, CalcAim::Conductivity);
    const std::array<const char*, 8> conductivityRows = {"0.007", "4", "1",   "1.1",
                                                         "0",     "0", "0.5", "-1"};
    for (int k = 0; k < 8; ++k) QCOMPARE(rows.Row(k + 3), std::string(conductivityRows[k]));
}

void InputRowsTest::openedConductivityFileMovesItsRows() {
    InputRows rows;
    rows.M(Ka) = "0.3";
    LoadFileOrder(
        rows, CalcAim::Conductivity,
        {"0.005", "3", "1.2", "1.9", "0.6", "1.4", "0.75", "26", "9", "0", "0", "0", "0"});
    const std::array<const char*, 8> expected = {"0.005", "3",   "1.2",  "1.9",
                                                 "0.6",   "1.4", "0.75", "26"};
    for (int k = 0; k < 8; ++k) QCOMPARE(rows.Row(k + 3), std::string(expected[k]));
    QCOMPARE(rows.M(D2), std::string("3"));
    QCOMPARE(rows.M(S), std::string("26"));
    QCOMPARE(rows.M(Ka), std::string("0.3"));  // permeabilities keep their memory
    ChangeAim(rows, CalcAim::WaterTableDepth);
    QCOMPARE(rows.Row(1), std::string("0.005"));  // R
    QCOMPARE(rows.Row(3), std::string("3"));      // D2
    QCOMPARE(rows.Row(8), std::string("0.3"));    // Ka
    QCOMPARE(rows.Row(13), std::string("26"));    // S
}

void InputRowsTest::conductivityWithoutSpacingMarksItUnknown() {
    InputRows rows;
    LoadFileOrder(rows, CalcAim::Conductivity,
                  {"0.005", "3", "1.2", "1.9", "0.6", "1.4", "0.75", "0", "0", "0", "0", "0", "0"});
    QCOMPARE(rows.M(S), std::string("-1"));
}

void InputRowsTest::leavingConductivityRestoresTheStandardRows() {
    InputRows rows;
    rows.M(D1) = "";  // an empty memory shows as 0
    rows.M(Kb1) = "0.8";
    ChangeAim(rows, CalcAim::Conductivity);
    ChangeAim(rows, CalcAim::Spacing);
    QCOMPARE(rows.Row(2), std::string("0"));
    QCOMPARE(rows.Row(9), std::string("0.8"));
}

QTEST_APPLESS_MAIN(InputRowsTest)
#include "input_rows_test.moc"
