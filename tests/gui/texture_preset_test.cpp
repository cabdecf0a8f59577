// The soil-texture presets of the Input sheet: Fill puts the typical
// conductivity of the chosen class, as the cited table gives it, into the
// ticked fields in the chosen units and marks them; the user's own typing
// takes the mark away; the presets cover no other control.

#include <QCheckBox>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <cmath>
#include <map>

#include "CaseLayout.h"
#include "FieldNumbers.h"
#include "GuiTestSupport.h"
#include "InputRows.h"
#include "StatusLineWindow.h"
#include "Units.h"

using namespace pelorin;
using pelorin::test::Harness;

Q_DECLARE_METATYPE(pelorin::UnitSystem)
Q_DECLARE_METATYPE(pelorin::CalcAim)

namespace {

struct TableValues {
    double ftPerDay;
    double metresPerDay;
};

// assets/soil-texture-k.csv: comment lines, a header, then class,ft/day,m/day.
std::map<QString, TableValues> ReadTextureTable() {
    std::map<QString, TableValues> table;
    QFile file(QStringLiteral(PELORIN_SOURCE_DIR "/assets/soil-texture-k.csv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return table;
    bool header = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (header) {
            header = false;
            continue;
        }
        const QStringList cells = line.split(QLatin1Char(','));
        if (cells.size() == 3) table[cells[0]] = {cells[1].toDouble(), cells[2].toDouble()};
    }
    return table;
}

// What the input file holds for a number typed in a field of the aim.
double Stored(const QString& text, Quantity q, UnitSystem units, CalcAim aim) {
    return StoredSiValue(StringToFloat(text.toStdString(), '.'), q, units, FileDecimals(aim, q));
}

}  // namespace

class TexturePresetTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void fillPutsTheTableValueIntoTheTickedFields_data();
    void fillPutsTheTableValueIntoTheTickedFields();
    void cleanupTestCase() {
        QSettings(QStringLiteral("Pelorin"), QStringLiteral("pelorin"))
            .remove(QStringLiteral("units"));
    }
};

void TexturePresetTest::fillPutsTheTableValueIntoTheTickedFields_data() {
    QTest::addColumn<UnitSystem>("units");
    QTest::addColumn<CalcAim>("aim");
    QTest::addColumn<QString>("texture");
    QTest::addColumn<int>("untickedQuantity");  // a Quantity left as it was
    QTest::newRow("SI spacing, silt loam")
        << UnitSystem::SI << CalcAim::Spacing << QStringLiteral("silt loam")
        << static_cast<int>(Quantity::Kb1);
    QTest::newRow("US spacing, sand") << UnitSystem::US << CalcAim::Spacing
                                      << QStringLiteral("sand") << static_cast<int>(Quantity::Kv2);
    QTest::newRow("US depth, clay") << UnitSystem::US << CalcAim::WaterTableDepth
                                    << QStringLiteral("clay") << static_cast<int>(Quantity::Kb2);
    QTest::newRow("SI discharge, silty clay")
        << UnitSystem::SI << CalcAim::Discharge << QStringLiteral("silty clay")
        << static_cast<int>(Quantity::Kv1);
}

void TexturePresetTest::fillPutsTheTableValueIntoTheTickedFields() {
    QFETCH(UnitSystem, units);
    QFETCH(CalcAim, aim);
    QFETCH(QString, texture);
    QFETCH(int, untickedQuantity);
    const std::map<QString, TableValues> table = ReadTextureTable();
    QCOMPARE(table.size(), std::size_t{11});
    QVERIFY(table.count(texture) == 1);
    const double expected =
        units == UnitSystem::US ? table.at(texture).ftPerDay : table.at(texture).metresPerDay;

    Harness h;
    InputSheet& input = h.Input();
    h.Window().BringToFront(Sheet::Input);
    input.Units_ComboBox->setCurrentIndex(units == UnitSystem::US ? 1 : 0);
    input.CalcAim_Combobox->setCurrentIndex(static_cast<int>(aim));
    input.Texture_ComboBox->setCurrentIndex(input.Texture_ComboBox->findText(texture));
    QVERIFY(input.Texture_ComboBox->toolTip().contains(QStringLiteral("Clapp")));

    // The boxes stand beside the fields the aim shows, and only there.
    int filledCount = 0;
    for (std::size_t k = 0; k < InputSheet::kPresetQuantities.size(); ++k) {
        const Quantity q = InputSheet::kPresetQuantities[k];
        QCheckBox* box = input.PresetBoxes[k];
        const int row = test::RowOf(aim, q);
        QCOMPARE(box->isVisible(), row != 0);
        if (row == 0) continue;
        QCOMPARE(box->geometry().center().y(), input.ValueEdits[row - 1]->geometry().center().y());
        if (static_cast<int>(q) == untickedQuantity) QTest::mouseClick(box, Qt::LeftButton);
        filledCount += box->isChecked() ? 1 : 0;
        h.SetRow(row, QStringLiteral("7"));
    }
    QVERIFY(filledCount > 0);

    QTest::mouseClick(input.Fill_Button, Qt::LeftButton);
    const QString note =
        QStringLiteral("typical for ") + texture + QStringLiteral(", not measured");
    for (std::size_t k = 0; k < InputSheet::kPresetQuantities.size(); ++k) {
        const Quantity q = InputSheet::kPresetQuantities[k];
        const int row = test::RowOf(aim, q);
        if (row == 0) continue;
        QLabel* mark = input.TypicalMarks[row - 1];
        const QString text = h.Row(row);
        if (static_cast<int>(q) == untickedQuantity) {
            QCOMPARE(text, QStringLiteral("7"));
            QVERIFY(!mark->isVisible());
            continue;
        }
        // The field holds what the file will hold for the table's value typed by hand.
        QCOMPARE(Stored(text, q, units, aim), Stored(QString::number(expected), q, units, aim));
        // and lies within one step of the file's decimals of the table's value.
        const Dimension d = DimensionOf(q);
        const double shownSi = ToSi(StringToFloat(text.toStdString(), '.'), d, units);
        QVERIFY(std::abs(shownSi - ToSi(expected, d, units)) <=
                std::pow(10.0, -FileDecimals(aim, q)));
        QVERIFY(mark->isVisible());
        QCOMPARE(mark->toolTip(), note);
    }

    // The presets and marks cover no other control of the sheet.
    QList<QWidget*> added{input.Texture_Label, input.Texture_ComboBox, input.Fill_Button};
    for (QCheckBox* box : input.PresetBoxes) added << box;
    for (QLabel* mark : input.TypicalMarks) added << mark;
    const auto children = input.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* mine : added) {
        if (mine->isHidden()) continue;
        for (QWidget* other : children) {
            if (other == mine || other->isHidden()) continue;
            QVERIFY2(
                !mine->geometry().intersects(other->geometry()),
                qPrintable(mine->objectName() + QStringLiteral(" covers ") + other->objectName()));
        }
    }

    // Typing into a filled field takes its mark away; the others keep theirs.
    int edited = 0;
    for (std::size_t k = 0; k < InputSheet::kPresetQuantities.size(); ++k) {
        const int row = test::RowOf(aim, InputSheet::kPresetQuantities[k]);
        if (row == 0 || !input.TypicalMarks[row - 1]->isVisible()) continue;
        QLineEdit* field = input.ValueEdits[row - 1];
        if (edited == 0) {
            field->setFocus();
            field->end(false);
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClick(field, Qt::Key_5);
            QVERIFY(!input.TypicalMarks[row - 1]->isVisible());
        } else {
            QVERIFY(input.TypicalMarks[row - 1]->isVisible());
        }
        ++edited;
    }
    QVERIFY(edited > 0);

    // Another aim lays other quantities into the rows: no mark is left.
    input.CalcAim_Combobox->setCurrentIndex(aim == CalcAim::Spacing ? 2 : 0);
    for (QLabel* mark : input.TypicalMarks) QVERIFY(!mark->isVisible());
}

QTEST_MAIN(TexturePresetTest)
#include "texture_preset_test.moc"
