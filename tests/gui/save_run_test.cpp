// Save/Run: the file name rules, the refusals before anything is written, the
// input file, the run on the worker with its progress lines, the report or the
// error list on the Output sheet, an engine's message, and cancelling a run.

#include <QDirIterator>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <QSettings>

#include <atomic>
#include <cmath>
#include <fstream>
#include <map>
#include <thread>
#include <variant>

#include "CaseLayout.h"
#include "GuiTestSupport.h"
#include "InputRows.h"
#include "PdfText.h"
#include "RunChannel.h"
#include "ScriptedUserDialogs.h"

using namespace pelorin;
using pelorin::test::Harness;

namespace {

const QString kMadeMessage = QStringLiteral(
    "The calculations were made and the output is found in %1 . "
    "Proceed to the output tabsheet to see the results");
const QString kNotSaved = QStringLiteral("The input data were not saved");

}  // namespace

class SaveRunTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void cancelledDialogSavesNothing();
    void moreThanOneDotAsksAgain();
    void overwriteRefusedLeavesTheFile();
    void refusalsBeforeWriting_data();
    void refusalsBeforeWriting();
    void declinedCalculationKeepsTheFile();
    void runShowsTheReport_data();
    void runShowsTheReport();
    void otherExtensionWritesBothFiles();
    void equalLayersAreWrittenAsOne();
    void conductivityCaseIsWrittenInItsOrder();
    void refusedCaseShowsTheErrorList();
    void engineMessageWaitsForTheUser();
    void runKeepsTheWindowPaintingAndLocked();
    void cancelLeavesThePreviousReport();
    void aRunBeingStoppedShowsNoMoreMessages();
    void runEndsThroughTheEventLoop();
    void usCaseSavesAndRunsAsTheSiCase_data();
    void usCaseSavesAndRunsAsTheSiCase();
    void unitChoiceIsRememberedAndNamedInTheCaptions();
    void graphIsDrawnInTheChosenUnits();
    void designSheetIsInTheChosenUnits();
    void usResultsStandBelowTheReport_data();
    void usResultsStandBelowTheReport();
    void cleanupTestCase();
};

void SaveRunTest::cancelledDialogSavesNothing() {
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    h.Window().InputSave->trigger();
    QCOMPARE(h.Dialogs.Messages, QStringList({kNotSaved}));
    QVERIFY(h.Window().Flags.SaveCancelled);
    QCOMPARE(QDir().entryList(QDir::Files), QStringList());
}

void SaveRunTest::moreThanOneDotAsksAgain() {
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp")));
    QDir().mkdir(QStringLiteral("v1.2"));
    h.Dialogs.FileAnswers << h.Path(QStringLiteral("old.case.inp"))
                          << h.Path(QStringLiteral("v1.2/case.inp"));
    h.Dialogs.YesNoAnswers << false;  // do not calculate
    h.Window().InputSave->trigger();
    QCOMPARE(h.Dialogs.FileDialogs.size(), 3);  // Open input, then the save dialog twice
    QCOMPARE(h.Dialogs.Messages.first(),
             QStringLiteral("The number of dots (.) in the file name should not be greater than 1. "
                            "Please adjust."));
    QVERIFY(!QFile::exists(h.Path(QStringLiteral("old.case.inp"))));
    QVERIFY(
        QFile::exists(h.Path(QStringLiteral("v1.2/case.inp"))));  // dots in folders do not count
}

void SaveRunTest::overwriteRefusedLeavesTheFile() {
    Harness h;
    const QString existing = h.Path(QStringLiteral("case.inp"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    h.Window().BringToFront(Sheet::Input);
    h.Dialogs.FileAnswers << existing;
    h.Dialogs.YesNoAnswers << false;
    h.Window().InputSave->trigger();
    QCOMPARE(h.Dialogs.Questions, QStringList({"The file already exists, overwrite?"}));
    QCOMPARE(h.Dialogs.Messages, QStringList({kNotSaved}));
    QCOMPARE(test::ReadText(existing), QStringLiteral("keep me"));
    QCOMPARE(h.Dialogs.FileDialogs.size(), 1);
}

void SaveRunTest::refusalsBeforeWriting_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a number") << 4 << "1.x"
                                  << "There are invalid entries";
    QTest::newRow("empty") << 9 << ""
                           << "There are invalid entries";
    QTest::newRow("negative")
        << 6 << "-0.1"
        << "Data cannot be negative. Input not saved. Please correct the data";
    QTest::newRow("Ka not above R")
        << 8 << "0.007"
        << "Take care that Ka is greater than R. Input not saved. Please correct the data";
    QTest::newRow("R below the limit")
        << 1 << "0,00009"
        << "Take care that R is larger than 0.0001 Input not saved. Please correct the data";
}

void SaveRunTest::refusalsBeforeWriting() {
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-energy-pipe.inp"), QStringLiteral("source.inp")));
    h.SetRow(row, text);
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    QCOMPARE(h.Dialogs.Messages, QStringList({message}));
    QVERIFY(!QFile::exists(h.Path(QStringLiteral("case.inp"))));
    QVERIFY(h.Dialogs.Questions.isEmpty());
}

void SaveRunTest::declinedCalculationKeepsTheFile() {
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp")));
    const QString target = h.Path(QStringLiteral("case.inp"));
    h.SaveRun(target, false);
    QCOMPARE(h.Dialogs.Questions,
             QStringList({QStringLiteral("The input data were saved in  ") + target +
                          QStringLiteral(" . Do you wish to do the calculations?")}));
    QCOMPARE(h.Dialogs.Messages,
             QStringList({"The calculations were not made, output is not available"}));
    QVERIFY(QFile::exists(target));
    QVERIFY(!QFile::exists(h.Path(QStringLiteral("case.out"))));
    QVERIFY(!h.Window().Flags.RunDone);
}

void SaveRunTest::runShowsTheReport_data() {
    QTest::addColumn<QString>("example");
    QTest::newRow("spacing, Darcy") << "spacing-darcy-pipe.inp";
    QTest::newRow("discharge, energy balance") << "discharge-energy-ditch.inp";
    QTest::newRow("water-table depth") << "depth-pipe.inp";
    QTest::newRow("conductivity, Darcy") << "conductivity-darcy-pipe.inp";
}

void SaveRunTest::runShowsTheReport() {
    QFETCH(QString, example);
    Harness h;
    h.OpenInput(h.CopyExample(example, QStringLiteral("source.inp")));
    const QString target = h.Path(QStringLiteral("case.inp"));
    h.SaveRun(target);
    const QString report = h.Path(QStringLiteral("case.out"));
    QCOMPARE(h.Dialogs.Messages, QStringList({kMadeMessage.arg(report)}));

    // The file read back is the case as the sheet showed it.
    const InputReadResult source =
        ReadInputFile(h.Path(QStringLiteral("source.inp")).toStdString());
    const InputReadResult written = ReadInputFile(target.toStdString());
    QCOMPARE(written.Case.Values, source.Case.Values);
    QCOMPARE(written.Case.AimCode, source.Case.AimCode);
    QCOMPARE(written.Case.MethodCode, source.Case.MethodCode);
    QCOMPARE(written.Case.Title2, source.Case.Title2);

    OutputSheet& output = h.Output();
    QCOMPARE(h.Window().ActiveSheet(), Sheet::Output);
    QCOMPARE(output.Output_Memo->toPlainText(), test::AsMemoText(test::ReadText(report)));
    QVERIFY(output.Output_Memo->toPlainText().contains(QStringLiteral(" Output data:")));
    QVERIFY(output.ViewGraphButton->isVisible() && output.Symbols_Button->isVisible() &&
            output.FigureButton2->isVisible());
    QVERIFY(h.Input().WaitMemo->isHidden());
    QVERIFY(h.Window().GraphInColour());
    QVERIFY(h.Window().Flags.RunDone && !h.Window().Flags.CheckFailed);
    QVERIFY(!QFile::exists(h.Path(QStringLiteral("Error.lst"))));
    QCOMPARE(h.Program().Session.CurrentFileName, report.toStdString());
    const QStringList progress = h.Input().WaitMemo->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(progress.first(), QStringLiteral(" Saving input ...."));
    QCOMPARE(progress.mid(1, 2), QStringList({" Calculating .....", " Please wait ....."}));
    QCOMPARE(progress.last(), QStringLiteral(" Writing output .."));
    QVERIFY(h.Window().SheetTabs->isTabEnabled(int(Sheet::Intro)));
    QVERIFY(h.Window().menuBar()->isEnabled());
}

void SaveRunTest::otherExtensionWritesBothFiles() {
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-energy-ditch.inp"), QStringLiteral("source.inp")));
    h.SaveRun(h.Path(QStringLiteral("case.txt")));
    QVERIFY(QFile::exists(h.Path(QStringLiteral("case.inp"))));
    QVERIFY(QFile::exists(h.Path(QStringLiteral("case.txt"))));
    const QString report = test::ReadText(h.Path(QStringLiteral("case.out")));
    QVERIFY(report.contains(h.Path(QStringLiteral("case.txt"))));
    QCOMPARE(h.Dialogs.Messages,
             QStringList({kMadeMessage.arg(h.Path(QStringLiteral("case.out")))}));
}

void SaveRunTest::equalLayersAreWrittenAsOne() {
    Harness h;
    h.OpenInput(h.CopyExample(QStringLiteral("depth-pipe.inp"), QStringLiteral("source.inp")));
    h.SetRow(3, h.Row(2));
    h.SaveRun(h.Path(QStringLiteral("case.inp")), false);
    const InputReadResult written = ReadInputFile(h.Path(QStringLiteral("case.inp")).toStdString());
    QCOMPARE(written.Case.Values[10], 0.0);
    QCOMPARE(written.Case.Values[11], 0.0);
    QVERIFY(h.Row(11) != QStringLiteral("0"));  // the rows keep what they show
}

void SaveRunTest::conductivityCaseIsWrittenInItsOrder() {
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp")));
    h.Input().CalcAim_Combobox->setCurrentIndex(3);
    const QStringList typed = {"0.006", "4", "1.5", "1.6", "0", "0", "1", "30"};
    for (int k = 0; k < typed.size(); ++k) h.SetRow(k + 3, typed[k]);
    h.SaveRun(h.Path(QStringLiteral("con.inp")), false);
    const InputReadResult written = ReadInputFile(h.Path(QStringLiteral("con.inp")).toStdString());
    QCOMPARE(written.Case.AimCode, std::string("Con"));
    for (int k = 0; k < typed.size(); ++k) QCOMPARE(written.Case.Values[k], typed[k].toDouble());
    QCOMPARE(written.Case.Values[8], h.Row(11).toDouble());  // the hidden row rides along
    for (int k = 9; k < 13; ++k) QCOMPARE(written.Case.Values[k], 0.0);
}

void SaveRunTest::refusedCaseShowsTheErrorList() {
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("discharge-darcy-pipe.inp"), QStringLiteral("source.inp")));
    // D1 equal to Dw passes the checks of Save/Run but not the discharge check.
    h.SetRow(2, h.Row(4));
    h.SetRow(3, QStringLiteral("5"));
    const QString target = h.Path(QStringLiteral("case.inp"));
    h.SaveRun(target);
    QVERIFY2(h.Dialogs.Messages.isEmpty(), qPrintable(h.Dialogs.Messages.join('\n')));
    QCOMPARE(h.Window().ActiveSheet(), Sheet::Output);
    const QStringList shown = h.Output().Output_Memo->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(shown.first(), QStringLiteral(" THE FOLLOWING ERRORS WERE FOUND IN THE INPUT:"));
    QVERIFY(shown.contains(QStringLiteral(" Make sure that D1 > Dw.")));
    QCOMPARE(shown.last(), QString());  // one empty line after the list
    QCOMPARE(shown[shown.size() - 2], QStringLiteral("Please correct the errors."));
    OutputSheet& output = h.Output();
    QVERIFY(!output.ViewGraphButton->isVisible() && !output.Symbols_Button->isVisible() &&
            !output.FigureButton2->isVisible());
    QVERIFY(h.Window().Flags.CheckFailed && h.Window().Flags.RunDone);
    QVERIFY(h.Input().WaitMemo->isHidden());
    QCOMPARE(h.Input().WaitMemo->toPlainText(), QStringLiteral(" Saving input ...."));
    QVERIFY(QFile::exists(target));  // the refused case stays on disk
    QVERIFY(!QFile::exists(h.Path(QStringLiteral("case.out"))));
    QVERIFY(!QFile::exists(h.Path(QStringLiteral("Error.lst"))));  // shown, then deleted

    // Showing the sheet again keeps the list.
    h.Window().BringToFront(Sheet::Input);
    h.Window().BringToFront(Sheet::Output);
    QCOMPARE(h.Output().Output_Memo->toPlainText().split(QLatin1Char('\n')), shown);
    QVERIFY(h.Dialogs.Messages.isEmpty());
}

void SaveRunTest::engineMessageWaitsForTheUser() {
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-short.inp"), QStringLiteral("source.inp")));
    bool runWaited = false;
    h.Dialogs.OnMessage = [&](const QString& message) {
        if (!message.startsWith(QStringLiteral(" Dw-Dm"))) return;
        // The engine is held while the message is up: no report yet.
        runWaited =
            !QFile::exists(h.Path(QStringLiteral("case.out"))) && h.Window().SaveRun->Running();
    };
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    QCOMPARE(h.Dialogs.Messages,
             QStringList({" Dw-Dm is less than 0.2. The drain spacing will be short.",
                          kMadeMessage.arg(h.Path(QStringLiteral("case.out")))}));
    QVERIFY(runWaited);
}

void SaveRunTest::runKeepsTheWindowPaintingAndLocked() {
    Harness h(std::chrono::milliseconds(500));
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-energy-pipe.inp"), QStringLiteral("source.inp")));
    QStringList seenLines;
    bool locked = true;
    int ticks = 0;
    QTimer watch;
    watch.setInterval(50);
    connect(&watch, &QTimer::timeout, [&] {
        if (!h.Window().SaveRun->Running()) return;
        ++ticks;
        const QString lines = h.Input().WaitMemo->toPlainText();
        if (!seenLines.contains(lines)) seenLines << lines;
        locked = locked && !h.Window().menuBar()->isEnabled() &&
                 !h.Window().InputOpen->isEnabled() &&
                 !h.Window().SheetTabs->isTabEnabled(int(Sheet::Output)) &&
                 !h.Input().Title1_Edit->isEnabled() && h.Input().CancelRun_Button->isEnabled();
    });
    watch.start();
    QElapsedTimer clock;
    clock.start();
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    const qint64 elapsed = clock.elapsed();
    // Four pauses of 500 ms, during which the window served its timers and saw
    // the lines come one by one.
    QVERIFY(elapsed >= 2000);
    QVERIFY(ticks >= 20);
    QVERIFY(locked);
    QVERIFY(seenLines.contains(QStringLiteral(" Saving input ....")));
    QVERIFY(seenLines.contains(QStringLiteral(" Saving input ....\n Calculating .....")));
    QVERIFY(h.Input().Title1_Edit->isEnabled());
    QVERIFY(h.Input().CancelRun_Button->isHidden());
}

void SaveRunTest::cancelLeavesThePreviousReport() {
    Harness h;
    // A water-table depth at a spacing of 400 m takes many seconds.
    h.OpenInput(h.CopyExample(QStringLiteral("depth-pipe.inp"), QStringLiteral("case.inp")));
    h.SetRow(13, QStringLiteral("400"));
    const QString report = h.Path(QStringLiteral("case.out"));
    QFile previous(report);
    QVERIFY(previous.open(QIODevice::WriteOnly));
    previous.write("the report of an earlier run\r\n");
    previous.close();

    bool engineWasRunning = false;
    QTimer watch;
    watch.setInterval(20);
    connect(&watch, &QTimer::timeout, [&] {
        if (!h.Input().WaitMemo->toPlainText().contains(QStringLiteral(" Please wait .....")))
            return;
        watch.stop();
        // Let the engine get going, then cancel as the user would.
        QTimer::singleShot(300, [&] {
            engineWasRunning = h.Window().SaveRun->Running();
            QTest::mouseClick(h.Input().CancelRun_Button, Qt::LeftButton);
        });
    });
    watch.start();
    QElapsedTimer clock;
    clock.start();
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    QVERIFY(engineWasRunning);
    QVERIFY2(clock.elapsed() < 5000, "the run went on after Cancel");
    QCOMPARE(h.Dialogs.Messages,
             QStringList({"The calculations were cancelled, output is not available"}));
    QCOMPARE(test::ReadText(report), QStringLiteral("the report of an earlier run\r\n"));
    QStringList leftovers = QDir().entryList(
        {QStringLiteral("*.out*"), QStringLiteral("*.part"), QStringLiteral("*.tmp")}, QDir::Files);
    QCOMPARE(leftovers, QStringList({"case.out"}));
    QCOMPARE(h.Window().ActiveSheet(), Sheet::Input);
    QVERIFY(h.Input().WaitMemo->isHidden());
    QVERIFY(h.Window().SheetTabs->isTabEnabled(int(Sheet::Output)));
    QVERIFY(h.Window().InputSave->isEnabled());

    // The program goes on: the next run of a short case completes.
    h.SetRow(13, QStringLiteral("24"));
    h.Dialogs.Messages.clear();
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    QCOMPARE(h.Dialogs.Messages, QStringList({kMadeMessage.arg(report)}));
    QVERIFY(test::ReadText(report).contains(QStringLiteral(" Output data:")));
}

// Once the user has asked a run to stop (Cancel, or ending the program), a
// message the engine still sends is not shown: it would hold the end until
// answered.
void SaveRunTest::aRunBeingStoppedShowsNoMoreMessages() {
    ScriptedUserDialogs dialogs;
    BackgroundJob job;
    RunChannel channel(job, dialogs, [](const QString&) {});
    std::atomic<bool> shown{false};
    std::thread before([&] {
        channel.ShowMessage(" A message before the stop.");
        shown = true;
    });
    QTRY_VERIFY(shown.load());
    before.join();
    channel.RequestStop();
    std::atomic<bool> returned{false};
    std::thread after([&] {
        channel.ShowMessage(" A message after the stop.");
        returned = true;
    });
    QTRY_VERIFY(returned.load());
    after.join();
    QCOMPARE(dialogs.Messages, QStringList({" A message before the stop."}));
}

// Save/Run returns once the run has started: the run's end reaches the window
// through its own event loop, and a second Save/Run while the run is under
// way asks nothing and starts nothing.
void SaveRunTest::runEndsThroughTheEventLoop() {
    Harness h;
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp")));
    h.Window().BringToFront(Sheet::Input);
    h.Dialogs.FileAnswers << h.Path(QStringLiteral("case.inp"));
    h.Dialogs.YesNoAnswers << true;
    QSignalSpy ended(h.Window().SaveRun, &SaveRunWorkflow::RunEnded);
    h.Window().InputSave->trigger();
    QVERIFY(h.Window().SaveRun->Running());
    QVERIFY(h.Dialogs.Messages.isEmpty());
    QVERIFY(!h.Window().InputSave->isEnabled());

    const qsizetype fileDialogs = h.Dialogs.FileDialogs.size();
    const qsizetype questions = h.Dialogs.Questions.size();
    h.Window().SaveRun->InputSaveExecute();
    QCOMPARE(h.Dialogs.FileDialogs.size(), fileDialogs);
    QCOMPARE(h.Dialogs.Questions.size(), questions);

    QVERIFY(ended.wait(120000));
    QCOMPARE(ended.size(), 1);
    QVERIFY(!h.Window().SaveRun->Running());
    QCOMPARE(h.Dialogs.Messages,
             QStringList({kMadeMessage.arg(h.Path(QStringLiteral("case.out")))}));
    QVERIFY(test::ReadText(h.Path(QStringLiteral("case.out")))
                .contains(QStringLiteral(" Output data:")));
    QCOMPARE(h.Window().ActiveSheet(), Sheet::Output);
}

QTEST_MAIN(SaveRunTest)
namespace {

// The settings the program keeps between sessions (the tests run with a
// configuration folder of their own).
void ChooseUnits(Harness& h, int index) {
    h.Input().Units_ComboBox->setCurrentIndex(index);
    QCOMPARE(QSettings(QStringLiteral("Pelorin"), QStringLiteral("pelorin"))
                 .value(QStringLiteral("units"))
                 .toString(),
             index == 1 ? QStringLiteral("us") : QStringLiteral("si"));
}

// Types a text into a row and leaves the field, as a user does.
void TypeInto(Harness& h, int row, const QString& text) {
    h.SetRow(row, text);
    if (row == 2 || row == 3)
        h.Input().MaskEdit2Exit(row);
    else
        h.Input().MaskEdit1Exit(row);
}

// What a Save/Run into case.inp leaves: the input file, and the report or the
// error list.
QStringList SaveRunFiles(Harness& h) {
    for (const char* name : {"case.out", "Error.lst"}) QFile::remove(h.Path(QLatin1String(name)));
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    return {test::ReadText(h.Path(QStringLiteral("case.inp"))),
            test::ReadText(h.Path(QStringLiteral("case.out"))),
            test::ReadText(h.Path(QStringLiteral("Error.lst")))};
}

}  // namespace

void SaveRunTest::usCaseSavesAndRunsAsTheSiCase_data() {
    QTest::addColumn<QString>("aim");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("typedUs");
    QTest::addColumn<QString>("storedSi");
    QTest::addColumn<QString>("shownUs");
    std::ifstream csv(PELORIN_SOURCE_DIR "/tests/data/us-units.csv");
    std::string line;
    int cases = 0;
    while (std::getline(csv, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("aim,", 0) == 0) continue;
        const QStringList cell = QString::fromStdString(line).split(QLatin1Char(','));
        QTest::newRow(line.c_str()) << cell[0] << cell[1] << cell[2] << cell[3] << cell[4];
        ++cases;
    }
    QVERIFY(cases >= 10);
}

// A value typed in US units is shown back as the input file holds it, and the
// case saves and runs as the same case typed in SI: the same input file, the
// same report or error list.
void SaveRunTest::usCaseSavesAndRunsAsTheSiCase() {
    QFETCH(QString, aim);
    QFETCH(QString, quantity);
    QFETCH(QString, typedUs);
    QFETCH(QString, storedSi);
    QFETCH(QString, shownUs);
    const std::map<QString, QString> examples = {{"Spa", "spacing-darcy-pipe.inp"},
                                                 {"Dis", "discharge-darcy-pipe.inp"},
                                                 {"Hyd", "depth-pipe.inp"},
                                                 {"Con", "conductivity-darcy-pipe.inp"}};
    const CalcAim calcAim = *AimFromCode(aim.toStdString());
    Quantity q = Quantity::R;
    for (int k = 0; k < kQuantityCount; ++k) {
        if (quantity == QLatin1String(TextsOf(static_cast<Quantity>(k)).symbol))
            q = static_cast<Quantity>(k);
    }
    const int row = test::RowOf(calcAim, q);
    QVERIFY(row > 0);

    Harness h;
    ChooseUnits(h, 1);
    h.OpenInput(h.CopyExample(examples.at(aim), QStringLiteral("source.inp")));
    TypeInto(h, row, typedUs);
    QCOMPARE(h.Row(row), shownUs);
    const QStringList us = SaveRunFiles(h);
    const InputReadResult written = ReadInputFile(h.Path(QStringLiteral("case.inp")).toStdString());
    QCOMPARE(written.Case.Values[static_cast<std::size_t>(PositionOf(calcAim, q) - 1)],
             storedSi.toDouble());

    ChooseUnits(h, 0);
    h.OpenInput(h.CopyExample(examples.at(aim), QStringLiteral("source.inp")));
    TypeInto(h, row, storedSi);
    const QStringList si = SaveRunFiles(h);
    QCOMPARE(us, si);
    QVERIFY(!us[1].isEmpty() || !us[2].isEmpty());
}

// The texts of the graph the Graphics sheet draws of the last report.
QStringList GraphTexts(Harness& h) {
    h.Output().ViewGraphButton->click();
    QStringList texts;
    for (const graph::SceneItem& item : h.Window().Graphics_TabSheet->GraphScene().Items) {
        if (const auto* text = std::get_if<graph::SceneText>(&item)) texts << text->Text;
    }
    return texts;
}

// The graph's axes are in the chosen units: their scales chosen on feet.
void SaveRunTest::graphIsDrawnInTheChosenUnits() {
    Harness h;
    ChooseUnits(h, 1);
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp")));
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    const QStringList us = GraphTexts(h);
    QVERIFY2(us.contains(QStringLiteral("Distance from drain (ft)")), qPrintable(us.join('|')));
    QVERIFY(us.contains(QStringLiteral("Watertable height above drain (ft)")));
    ChooseUnits(h, 0);
    const QStringList si = GraphTexts(h);
    QVERIFY2(si.contains(QStringLiteral("Distance from drain (m)")), qPrintable(si.join('|')));
}

// Save as PDF gives the sheet in the chosen units, the report's SI values
// beside them.
void SaveRunTest::designSheetIsInTheChosenUnits() {
    Harness h;
    ChooseUnits(h, 1);
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp")));
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    const QString pdf = h.Path(QStringLiteral("case.pdf"));
    h.Dialogs.FileAnswers << pdf;
    h.Window().DesignSheetOutput->SaveAsPdfExecute();
    const QString us = test::PdfText(pdf);
    QVERIFY2(us.contains(QStringLiteral("in/day")) && us.contains(QStringLiteral("m/day")),
             qPrintable(us));
    ChooseUnits(h, 0);
    h.Dialogs.FileAnswers << pdf;
    h.Dialogs.YesNoAnswers << true;
    h.Window().DesignSheetOutput->SaveAsPdfExecute();
    const QString si = test::PdfText(pdf);
    QVERIFY2(si.contains(QStringLiteral("m/day")) && !si.contains(QStringLiteral("in/day")),
             qPrintable(si));
}

// The choice of units outlives the window, and the captions name the units.
void SaveRunTest::unitChoiceIsRememberedAndNamedInTheCaptions() {
    {
        Harness h;
        ChooseUnits(h, 1);
    }
    Harness h;
    QCOMPARE(h.Input().Units_ComboBox->currentIndex(), 1);
    QVERIFY(h.Input().RowLabels[0]->text().endsWith(QStringLiteral("(in/day) :")));
    QVERIFY(h.Input().RowLabels[1]->text().endsWith(QStringLiteral("(ft) :")));
    h.OpenInput(h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp")));
    QCOMPARE(h.Row(4), QStringLiteral("3.281"));  // Dw 1.000 m
    ChooseUnits(h, 0);
    QVERIFY(h.Input().RowLabels[0]->text().endsWith(QStringLiteral("(m/day) :")));
    QCOMPARE(h.Row(4), QStringLiteral("1.000"));
}

void SaveRunTest::usResultsStandBelowTheReport_data() {
    QTest::addColumn<int>("units");
    QTest::newRow("SI") << 0;
    QTest::newRow("US") << 1;
}

// In US units the run's figures stand below its report, converted from the
// report's own metres; the report's lines are shown as the file holds them.
void SaveRunTest::usResultsStandBelowTheReport() {
    QFETCH(int, units);
    Harness h;
    ChooseUnits(h, units);
    h.OpenInput(
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp")));
    h.SaveRun(h.Path(QStringLiteral("case.inp")));
    h.Window().BringToFront(Sheet::Output);
    const QStringList shown = h.Output().Output_Memo->toPlainText().split(QLatin1Char('\n'));
    const QStringList report = test::ReadText(h.Path(QStringLiteral("case.out")))
                                   .remove(QLatin1Char('\r'))
                                   .split(QLatin1Char('\n'));
    QVERIFY(report.size() > 40);
    // The report's figure after "is:" on the line that begins with `start`.
    const auto reported = [&](const QString& start) {
        for (const QString& line : report) {
            if (line.startsWith(start)) return line.section(QStringLiteral("is:"), 1).toDouble();
        }
        return -1.0;
    };
    const auto usFigure = [&](const QString& name) {
        for (const QString& line : shown) {
            if (line.startsWith(name)) return line.mid(name.size()).toDouble();
        }
        return -1.0;
    };
    QVERIFY(!shown.isEmpty());
    for (qsizetype i = 0; i + 1 < report.size(); ++i) QCOMPARE(shown.value(i), report[i]);
    if (units == 0) {
        QVERIFY(usFigure(QStringLiteral(" S (")) < 0);
        return;
    }
    const struct {
        QString usName;
        QString reportLine;
        double step;  // the report's last decimal
    } figures[] = {
        {" S (ft): ", " The drain spacing (Darcy,  m)", 0.01},
        {" Midway head, Darcy (ft): ", " Midway hydr. head (Darcy,  m)", 0.001},
        {" Midway head, energy balance (ft): ", " Midway hydr. head (energy, m)", 0.001},
        {" Midway depth, Darcy (ft): ", " Midway W.T. depth (Darcy,  m)", 0.001},
        {" Midway depth, energy balance (ft): ", " Midway W.T. depth (energy, m)", 0.001},
    };
    for (const auto& figure : figures) {
        const double metres = reported(figure.reportLine);
        QVERIFY2(metres > 0, qPrintable(figure.reportLine));
        // Each side rounded once to its last decimal: half a step in metres
        // and half a step in feet apart at most.
        const double apart = figure.step * (0.5 / 0.3048 + 0.5);
        QVERIFY2(std::abs(usFigure(figure.usName) - metres / 0.3048) <= apart,
                 qPrintable(figure.usName + shown.join(QLatin1Char('|'))));
    }
    // The profile follows in feet: from the drain (X 0) to midway (half the
    // spacing), its last head the midway head by Darcy.
    const qsizetype head = shown.indexOf(QStringLiteral("      X (ft)     F* (ft)      F (ft)"));
    QVERIFY2(head > 0, qPrintable(shown.join(QLatin1Char('|'))));
    const QStringList first = shown.value(head + 1).simplified().split(QLatin1Char(' '));
    const QStringList last = shown.last().simplified().split(QLatin1Char(' '));
    QCOMPARE(first.size(), 3);
    QCOMPARE(last.size(), 3);
    QCOMPARE(first[0], QStringLiteral("0.00"));
    QVERIFY(std::abs(last[0].toDouble() - usFigure(QStringLiteral(" S (ft): ")) / 2) <= 0.02);
    QVERIFY(std::abs(last[1].toDouble() - usFigure(QStringLiteral(" Midway head, Darcy (ft): "))) <=
            0.002);
}

void SaveRunTest::cleanupTestCase() {
    QSettings(QStringLiteral("Pelorin"), QStringLiteral("pelorin")).remove(QStringLiteral("units"));
}

#include "save_run_test.moc"
