// The window-free rules of the Input sheet and Save/Run: number texts, the
// plausibility checks, file names and the placement of the main window.

#include <QTest>

#include "InputRows.h"
#include "PelorinUtils.h"

using namespace pelorin;

class UtilsTest : public QObject {
    Q_OBJECT
  private slots:
    void stringToFloatAcceptsBothSeparators_data();
    void stringToFloatAcceptsBothSeparators();
    void stringToFloatRefusesNonNumbers_data();
    void stringToFloatRefusesNonNumbers();
    void formatFieldNumber_data();
    void formatFieldNumber();
    void validateInput_data();
    void validateInput();
    void equalLayersDropSecondLayerPermeabilities();
    void conductivityKeepsItsPermeabilitiesUntouched();
    void dotsInFileName_data();
    void dotsInFileName();
    void changeFileExt_data();
    void changeFileExt();
    void mainWindowPlacement_data();
    void mainWindowPlacement();
    void valuesFromRowsFollowTheAim();
};

void UtilsTest::stringToFloatAcceptsBothSeparators_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<char>("separator");
    QTest::addColumn<double>("expected");
    QTest::newRow("point on a point system") << "1.5" << '.' << 1.5;
    QTest::newRow("comma on a point system") << "1,5" << '.' << 1.5;
    QTest::newRow("comma on a comma system") << "1,5" << ',' << 1.5;
    QTest::newRow("point on a comma system") << "1.5" << ',' << 1.5;
    QTest::newRow("blanks around") << "  2 " << '.' << 2.0;
    QTest::newRow("exponent") << "1E-6" << '.' << 1e-6;
    QTest::newRow("exponent with comma") << "2,5e3" << '.' << 2500.0;
    QTest::newRow("negative") << "-0.5" << '.' << -0.5;
    QTest::newRow("plus sign") << "+3" << '.' << 3.0;
    QTest::newRow("leading separator") << ".25" << '.' << 0.25;
    QTest::newRow("trailing separator") << "5." << '.' << 5.0;
}

void UtilsTest::stringToFloatAcceptsBothSeparators() {
    QFETCH(QString, text);
    QFETCH(char, separator);
    QFETCH(double, expected);
    QCOMPARE(StringToFloat(text.toStdString(), separator), expected);
}

void UtilsTest::stringToFloatRefusesNonNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("two points") << "1.2.3";
    QTest::newRow("both separators") << "1,2.3";
    QTest::newRow("trailing letter") << "12a";
    QTest::newRow("too large") << "1e999";
    QTest::newRow("not a number") << "nan";
    QTest::newRow("infinity") << "inf";
    QTest::newRow("hexadecimal") << "0x10";
    QTest::newRow("thousands") << "1,000.5";
}

void UtilsTest::stringToFloatRefusesNonNumbers() {
    QFETCH(QString, text);
    for (char separator : {'.', ','}) {
        try {
            StringToFloat(text.toStdString(), separator);
            QFAIL("accepted");
        } catch (const ConversionError& error) {
            QCOMPARE(QString::fromStdString(error.what()), text + " is not a valid real number");
        }
    }
}

void UtilsTest::formatFieldNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0.0 << '.' << "0";
    QTest::newRow("integer") << 26.0 << '.' << "26";
    QTest::newRow("hundred") << 100.0 << '.' << "100";
    QTest::newRow("recharge") << 0.005 << '.' << "0.005";
    QTest::newRow("comma system") << 1.5 << ',' << "1,5";
    QTest::newRow("smallest fixed") << 0.00001 << '.' << "0.00001";
    QTest::newRow("below fixed") << 0.000001 << '.' << "1E-6";
    QTest::newRow("scientific with digits") << 1.5e-7 << ',' << "1,5E-7";
    QTest::newRow("fifteen digits") << 0.1 + 0.2 << '.' << "0.3";
    QTest::newRow("many digits") << 123456.789 << '.' << "123456.789";
    QTest::newRow("negative") << -2.5 << '.' << "-2.5";
    QTest::newRow("minus one") << -1.0 << '.' << "-1";
    QTest::newRow("large") << 1e15 << '.' << "1E15";
    QTest::newRow("largest fixed") << 999999999999999.0 << '.' << "999999999999999";
}

void UtilsTest::formatFieldNumber() {
    QFETCH(double, value);
    QFETCH(char, separator);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(FormatFieldNumber(value, separator)), expected);
}

namespace {

// A case that passes every check of its aim; the test rows change one number.
std::vector<double> PassingValues(const QString& aim) {
    if (aim == "Spa") return {0.005, 2, 4, 1, 1.1, 0, 0.2, 0.5, 0.8, 0.4, 1.5, 0.6, 0.5};
    if (aim == "Dis") return {0.5, 2, 4, 1, 1.1, 0, 0.2, 0.5, 0.8, 0.4, 1.5, 0.6, 20};
    if (aim == "Hyd") return {0.005, 2, 4, 1, 1.1, 0, 0.2, 0.5, 0.8, 0.4, 1.5, 0.6, 20};
    return {0.005, 3, 1.2, 1.9, 0.6, 1.4, 0.75, 26, 0, 0, 0, 0, 0};
}

constexpr const char* kEnding = " Input not saved. Please correct the data";

}  // namespace

void UtilsTest::validateInput_data() {
    QTest::addColumn<QString>("aim");
    QTest::addColumn<int>("position");  // 1-based; 0 changes nothing
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("message");  // empty when the case passes
    for (const char* aim : {"Spa", "Dis", "Hyd", "Con"}) {
        QTest::addRow("%s passes", aim) << aim << 0 << 0.0 << "";
        QTest::addRow("%s negative", aim) << aim << 6 << -0.1 << "Data cannot be negative.";
    }
    QTest::newRow("remembered -1 is negative") << "Dis" << 13 << -1.0 << "Data cannot be negative.";
    QTest::newRow("D2 below D1") << "Spa" << 3 << 1.5 << "Take care that D2 is not less than D1.";
    QTest::newRow("D2 equal to D1 passes") << "Hyd" << 3 << 2.0 << "";
    QTest::newRow("D1 below Dw") << "Dis" << 2 << 0.9 << "Take care that D1 is not less than Dw.";
    QTest::newRow("D1 equal to Dw passes") << "Dis" << 2 << 1.0 << "";
    QTest::newRow("Ka equal to R") << "Spa" << 8 << 0.005 << "Take care that Ka is greater than R.";
    QTest::newRow("Ka not checked for discharge") << "Dis" << 8 << 0.0 << "";
    QTest::newRow("S equal to 2W, discharge")
        << "Dis" << 13 << 0.4 << "Take care that S is larger than 2W.";
    QTest::newRow("S equal to 2W, depth")
        << "Hyd" << 13 << 0.4 << "Take care that S is larger than 2W.";
    QTest::newRow("Dm equal to Dw, discharge")
        << "Dis" << 1 << 1.0 << "Take care that Dm is less than Dw.";
    QTest::newRow("Dm below Dw, spacing")
        << "Spa" << 13 << 1.2 << "Take care that Dm is less than Dw.";
    QTest::newRow("Db equal to D2, conductivity")
        << "Con" << 4 << 3.0 << "Take care that Db is less than D2.";
    QTest::newRow("Db equal to Dw, conductivity")
        << "Con" << 4 << 1.2 << "Take care that Db is larger than Dw.";
    QTest::newRow("Dm equal to Dw, conductivity")
        << "Con" << 7 << 1.2 << "Take care that Dm is less than Dw.";
    QTest::newRow("S equal to 2W, conductivity")
        << "Con" << 8 << 2.8 << "Take care that S is larger than 2W.";
    QTest::newRow("R at the limit passes") << "Spa" << 1 << 0.0001 << "";
    QTest::newRow("R below the limit")
        << "Spa" << 1 << 0.00009 << "Take care that R is larger than 0.0001";
    QTest::newRow("R below the limit, conductivity")
        << "Con" << 1 << 0.00009 << "Take care that R is larger than 0.0001";
    QTest::newRow("Db equal to Dw") << "Hyd" << 5 << 1.0 << "Take care that Db is larger than Dw.";
    QTest::newRow("first failure wins")
        << "Spa" << 4 << 2.5 << "Take care that D1 is not less than Dw.";
}

void UtilsTest::validateInput() {
    QFETCH(QString, aim);
    QFETCH(int, position);
    QFETCH(double, value);
    QFETCH(QString, message);
    InputCase input{"t1", "t2", aim.toStdString(), "Ene", PassingValues(aim)};
    if (position > 0) input.Values[static_cast<std::size_t>(position - 1)] = value;
    const std::optional<std::string> refusal = ValidateInput(input);
    if (message.isEmpty()) {
        QVERIFY2(!refusal, refusal ? refusal->c_str() : "");
    } else {
        QVERIFY(refusal.has_value());
        QCOMPARE(QString::fromStdString(*refusal), message + kEnding);
    }
}

void UtilsTest::equalLayersDropSecondLayerPermeabilities() {
    for (const char* aim : {"Spa", "Dis", "Hyd"}) {
        InputCase input{"", "", aim, "Ene", PassingValues(aim)};
        input.Values[2] = input.Values[1];  // D2 := D1
        QVERIFY(!ValidateInput(input));
        QCOMPARE(input.Values[10], 0.0);
        QCOMPARE(input.Values[11], 0.0);
        QCOMPARE(input.Values[8], 0.8);  // Kb1 untouched
    }
}

void UtilsTest::conductivityKeepsItsPermeabilitiesUntouched() {
    InputCase input{"", "", "Con", "Dar", PassingValues("Con")};
    input.Values[8] = 7.5;  // the hidden row's number rides along
    QVERIFY(!ValidateInput(input));
    QCOMPARE(input.Values[8], 7.5);
}

void UtilsTest::dotsInFileName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("dots");
    QTest::newRow("one") << "/data/case.inp" << 1;
    QTest::newRow("two") << "/data/old.case.inp" << 2;
    QTest::newRow("folders do not count") << "/my.data/v1.2/case.inp" << 1;
    QTest::newRow("none") << "/my.data/case" << 0;
}

void UtilsTest::dotsInFileName() {
    QFETCH(QString, path);
    QFETCH(int, dots);
    QCOMPARE(DotsInFileName(path.toStdString()), dots);
}

void UtilsTest::changeFileExt_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("input to report") << "/d/case.inp"
                                     << "/d/case.out";
    QTest::newRow("other extension") << "/d/case.txt"
                                     << "/d/case.out";
    QTest::newRow("no extension") << "/d.x/case"
                                  << "/d.x/case.out";
    QTest::newRow("relative") << "case.inp"
                              << "case.out";
}

void UtilsTest::changeFileExt() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(ChangeFileExt(path.toStdString(), ".out")), expected);
}

void UtilsTest::mainWindowPlacement_data() {
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("width");
    QTest::newRow("wide screen") << 1024 << 50 << 760;
    QTest::newRow("861 is wide") << 861 << 50 << 760;
    QTest::newRow("860 keeps the designed width") << 860 << 50 << 733;
    QTest::newRow("exactly the designed width") << 733 << 50 << 733;
    QTest::newRow("narrow") << 640 << 5 << 635;
}

void UtilsTest::mainWindowPlacement() {
    QFETCH(int, screen);
    QFETCH(int, left);
    QFETCH(int, width);
    const WindowPlacement placement = PlaceMainWindow(screen, 733);
    QCOMPARE(placement.Left, left);
    QCOMPARE(placement.Width, width);
}

void UtilsTest::valuesFromRowsFollowTheAim() {
    std::array<std::string, kRowCount> rows;
    for (int i = 0; i < kRowCount; ++i) {
        rows[i] = std::to_string(i + 1);
        rows[i].append(",5");
    }
    const std::vector<double> standard = ValuesFromRows(CalcAim::Discharge, rows, '.');
    for (int i = 0; i < kRowCount; ++i) QCOMPARE(standard[i], i + 1.5);

    const std::vector<double> conductivity = ValuesFromRows(CalcAim::Conductivity, rows, '.');
    for (int i = 0; i < 9; ++i) QCOMPARE(conductivity[i], i + 3.5);  // rows 3 to 11
    for (int i = 9; i < kRowCount; ++i) QCOMPARE(conductivity[i], 0.0);

    rows[12].clear();
    rows[12].push_back('x');
    QVERIFY_THROWS_EXCEPTION(ConversionError, ValuesFromRows(CalcAim::Spacing, rows, '.'));
    // The conductivity rows do not include row 13.
    QCOMPARE(ValuesFromRows(CalcAim::Conductivity, rows, '.').size(), std::size_t{13});
}

QTEST_APPLESS_MAIN(UtilsTest)
#include "utils_test.moc"
