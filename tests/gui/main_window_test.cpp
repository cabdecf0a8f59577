// The main window: start-up, sheets and their status texts, the row layouts
// and field handlers of the Input sheet, Open input and Open output, a corrupt
// input file, the Output sheet's buttons and the way out of the program.

#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>

#include "FieldNumbers.h"
#include "GuiTestSupport.h"
#include "InputRows.h"

using namespace pelorin;
using pelorin::test::Harness;

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void startUpState();
    void actionsAndMenus();
    void fileDialogsFollowTheCurrentFolder();
    void sheetsShowTheirStatusTexts_data();
    void sheetsShowTheirStatusTexts();
    void saveRunOnlyOnTheInputSheet();
    void rowLayoutOfEachAim_data();
    void rowLayoutOfEachAim();
    void aimChangeUsesTheMemory();
    void aimAndMethodFollowTheBoxes();
    void leavingAFieldNormalisesItsNumber_data();
    void leavingAFieldNormalisesItsNumber();
    void equalLayersAreAnnounced_data();
    void equalLayersAreAnnounced();
    void openInputShowsTheCase();
    void openInputOfAConductivityCase();
    void openInputCancelledOrMissing();
    void corruptInputKeepsProgramAndSheet_data();
    void corruptInputKeepsProgramAndSheet();
    void openOutputShowsTheReport();
    void openOutputCancelledOrMissing();
    void symbolsButtonTogglesTheLegend();
    void companionWindows();
    void closingTheMainWindowShowsTheExitWindow();
    void cutGoesToTheFocusedField();
};

void MainWindowTest::startUpState() {
    Harness h;
    MainWindow& w = h.Window();
    QCOMPARE(w.windowTitle(), QStringLiteral("Pelorin, groundwater drainage by pipes and ditches"));
    QCOMPARE(w.ActiveSheet(), Sheet::Intro);
    QCOMPARE(w.StatusText(), QStringLiteral("Use the Input tabsheet to continue"));
    const QStringList captions = {" Intro ", " Figure ", " Input ", " Output ", " Graphics "};
    QCOMPARE(w.SheetTabs->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) QCOMPARE(w.SheetTabs->tabText(i), captions[i]);
    QVERIFY(!w.InputSave->isEnabled());
    QVERIFY(!w.Flags.RunDone && !w.Flags.OutputShown && !w.Flags.CheckFailed);
    QVERIFY(!w.GraphShown());
    QVERIFY(!w.GraphInColour());
    QVERIFY(h.Program().Session.CurrentFileName.empty());

    InputSheet& input = h.Input();
    QCOMPARE(input.CalcAim_Combobox->currentIndex(), 0);
    QCOMPARE(input.Method_ComboBox->currentIndex(), 0);
    QCOMPARE(input.CalcAim_Combobox->count(), 4);
    QVERIFY(!input.CalcAim_Combobox->isEditable());
    for (int row = 1; row <= kRowCount; ++row) {
        QCOMPARE(h.Row(row), QStringLiteral("0"));
        QCOMPARE(input.ValueEdits[row - 1]->pos(), QPoint(512, 132 + 20 * (row - 1)));
        QCOMPARE(input.RowLabels[row - 1]->pos(), QPoint(32, 135 + 20 * (row - 1)));
    }
    for (const std::string& memory : input.Rows().Memory) QCOMPARE(memory, std::string("0"));
    QVERIFY(input.WaitMemo->isHidden());
    QVERIFY(input.FileName_Edit->isHidden() && input.Filename_Label->isHidden());
    QCOMPARE(input.WaitMemo->geometry(), QRect(240, 398, 344, 66));

    OutputSheet& output = h.Output();
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             output.Output_Memo, output.Symbols_Memo, output.Symbols_Button, output.ViewGraphButton,
             output.FigureButton2})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    QVERIFY(!output.Joule_Image->isHidden() && !output.SeeOutput_Button->isHidden());
    for (QWidget* companion : std::initializer_list<QWidget*>{
             &h.Program().Exit, &h.Program().Figure, &h.Program().Help, &h.Program().Recharge})
        QVERIFY(!companion->isVisible());
}

void MainWindowTest::actionsAndMenus() {
    Harness h;
    MainWindow& w = h.Window();
    struct Expected {
        QAction* action;
        const char* caption;
        const char* shortcut;
        const char* tip;
        const char* status;
    };
    const Expected expected[] = {
        {w.InputOpen, "&InputOpen", "Ctrl+I", "Open an existing datafile",
         "Open an existing datafile"},
        {w.InputSave, "Input&Save", "Ctrl+S", "Save the data into a datafile",
         "Save the data into a datafile"},
        {w.OutputOpen, "&OutputOpen", "Ctrl+O", "Open an output file", "Open an output file"},
        {w.GraphOpen, "&GraphOpen", "Ctrl+G", "Open a graphics file", "Open a graphics file"},
        {w.SaveAsPdf, "Save as &PDF\u2026", "", "Save the design sheet of the report as a PDF file",
         "Save the design sheet of the report as a PDF file"},
        {w.FilePrint, "P&rint\u2026", "Ctrl+P", "Print the design sheet of the report",
         "Print the design sheet of the report"},
        {w.FileExit, "ProgramE&xit", "Ctrl+Q", "Exit", "Quit the application"},
        {w.EditCut, "Cu&t", "Ctrl+X", "Cut", "Cuts the selection and puts it on the Clipboard"},
        {w.EditCopy, "&Copy", "Ctrl+C", "Copy",
         "Copies the selection and puts it on the Clipboard"},
        {w.EditPaste, "&Paste", "Ctrl+V", "Paste", "Inserts Clipboard contents"},
        {w.EditDelete, "&Delete", "Del", "Delete", "Erases the selection"},
        {w.DesignStudy, "&Design study\u2026", "Ctrl+D",
         "Run the case over ranges of its quantities",
         "Run the case over ranges of its quantities"},
    };
    for (const Expected& e : expected) {
        QCOMPARE(e.action->text(), QString::fromUtf8(e.caption));
        QCOMPARE(e.action->shortcut(), QKeySequence(QString::fromLatin1(e.shortcut)));
        QCOMPARE(e.action->toolTip(), QString::fromLatin1(e.tip));
        QCOMPARE(e.action->statusTip(), QString::fromLatin1(e.status));
    }
    const QList<QAction*> menus = w.menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
    QCOMPARE(menus[1]->text(), QStringLiteral("&Edit"));
    QCOMPARE(menus[2]->text(), QStringLiteral("St&udy"));
    QCOMPARE(menus[2]->menu()->actions(), QList<QAction*>({w.DesignStudy}));
    QCOMPARE(menus[0]->menu()->actions(),
             QList<QAction*>({w.InputOpen, w.InputSave, w.OutputOpen, w.GraphOpen, w.SaveAsPdf,
                              w.FilePrint, w.FileExit}));
    QCOMPARE(menus[1]->menu()->actions(),
             QList<QAction*>({w.EditCut, w.EditCopy, w.EditPaste, w.EditDelete}));
    // Ctrl+X reaches only Cut.
    int bound = 0;
    for (QAction* action : w.findChildren<QAction*>())
        bound += action->shortcut() == QKeySequence(QStringLiteral("Ctrl+X")) ? 1 : 0;
    QCOMPARE(bound, 1);
}

void MainWindowTest::fileDialogsFollowTheCurrentFolder() {
    Harness h;
    MainWindow& w = h.Window();
    const QString start = QDir::currentPath();
    for (const FileDialogSpec* spec :
         {&w.InputOpen_Dialog, &w.InputSave_Dialog, &w.OutputOpen_Dialog})
        QCOMPARE(spec->InitialFolder, start);
    QCOMPARE(w.InputOpen_Dialog.Filter, QStringLiteral("Input files (*.inp)"));
    QCOMPARE(w.InputSave_Dialog.DefaultSuffix, QStringLiteral("inp"));
    QCOMPARE(w.OutputOpen_Dialog.Filter, QStringLiteral("Output files (*.out)"));
    QCOMPARE(w.OutputOpen_Dialog.DefaultSuffix, QStringLiteral("out"));

    // Opening a file in another folder moves the current folder and the dialogs there.
    QDir(start).mkdir(QStringLiteral("elsewhere"));
    const QString moved =
        h.CopyExample(QStringLiteral("depth-pipe.inp"), QStringLiteral("elsewhere/d.inp"));
    QDir::setCurrent(QDir::tempPath());
    h.OpenInput(moved);
    QCOMPARE(QDir::currentPath(), QDir(start).filePath(QStringLiteral("elsewhere")));
    QCOMPARE(h.Dialogs.FileDialogs.last().InitialFolder, start);
    QCOMPARE(w.InputOpen_Dialog.InitialFolder, QDir::currentPath());
    QCOMPARE(w.OutputOpen_Dialog.InitialFolder, QDir::currentPath());
}

void MainWindowTest::sheetsShowTheirStatusTexts_data() {
    QTest::addColumn<int>("sheet");
    QTest::addColumn<QString>("status");
    QTest::newRow("figure")
        << int(Sheet::Figure)
        << "The figure gives explanations of symbols used in the input tabsheet";
    QTest::newRow("input")
        << int(Sheet::Input)
        << "Enter data or use \"Open\" to see examples under \"Data\" or to edit existing "
           "files. Thereafter use \"Save/Run\".";
    QTest::newRow("output")
        << int(Sheet::Output)
        << "The output file can be inspected. Use \"See output\" to see examples under "
           "\"Data\" or to inspect any other output file.";
    QTest::newRow("intro") << int(Sheet::Intro) << "Use the Input tabsheet to continue";
}

void MainWindowTest::sheetsShowTheirStatusTexts() {
    QFETCH(int, sheet);
    QFETCH(QString, status);
    Harness h;
    h.Window().BringToFront(Sheet::Graphics);
    h.Program().Figure.show();
    h.Window().BringToFront(static_cast<Sheet>(sheet));
    QCOMPARE(h.Window().StatusText(), status);
    // Every sheet but the Input sheet puts the figure window away.
    QCOMPARE(h.Program().Figure.isVisible(), sheet == int(Sheet::Input));
}

void MainWindowTest::saveRunOnlyOnTheInputSheet() {
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    QVERIFY(h.Window().InputSave->isEnabled());
    QVERIFY(h.Input().Filesave_Button->isEnabled());
    h.Window().BringToFront(Sheet::Output);
    QVERIFY(!h.Window().InputSave->isEnabled());
    QVERIFY(!h.Input().Filesave_Button->isEnabled());
}

void MainWindowTest::rowLayoutOfEachAim_data() {
    QTest::addColumn<int>("aim");
    QTest::addColumn<QString>("firstCaption");  // row 1, empty when hidden
    QTest::addColumn<QString>("lastCaption");   // row 13, empty when hidden
    QTest::addColumn<bool>("footnote");
    QTest::addColumn<bool>("rechargeHelp");
    QTest::newRow("spacing") << 0 << RowCaption(Quantity::R) << RowCaption(Quantity::Dm) << true
                             << true;
    QTest::newRow("discharge") << 1 << RowCaption(Quantity::Dm) << RowCaption(Quantity::S) << true
                               << false;
    QTest::newRow("depth") << 2 << RowCaption(Quantity::R) << RowCaption(Quantity::S) << false
                           << true;
    QTest::newRow("conductivity") << 3 << QString() << QString() << false << true;
}

void MainWindowTest::rowLayoutOfEachAim() {
    QFETCH(int, aim);
    QFETCH(QString, firstCaption);
    QFETCH(QString, lastCaption);
    QFETCH(bool, footnote);
    QFETCH(bool, rechargeHelp);
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    InputSheet& input = h.Input();
    input.CalcAim_Combobox->setCurrentIndex(aim);
    auto caption = [&](int row) {
        QLabel* label = input.RowLabels[row - 1];
        return label->isVisible() ? label->text() : QString();
    };
    QCOMPARE(caption(1), firstCaption);
    QCOMPARE(caption(13), lastCaption);
    QCOMPARE(input.ValueEdits[0]->isVisible(), !firstCaption.isEmpty());
    QCOMPARE(input.Footnote_Label->isVisible(), footnote);
    QCOMPARE(input.RechargeButton->isEnabled(), rechargeHelp);
    QCOMPARE(h.Program().Session.Input.AimCode, std::string(AimCodeOf(static_cast<CalcAim>(aim))));
    if (aim == 3) {
        QCOMPARE(caption(3), QString(RowCaption(Quantity::R)));
        QCOMPARE(caption(10), QString(RowCaption(Quantity::S)));
        QCOMPARE(caption(12), QStringLiteral("*) Time average"));
        for (int row : {11, 12, 13}) QVERIFY(!input.ValueEdits[row - 1]->isVisible());
    }
}

void MainWindowTest::aimChangeUsesTheMemory() {
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    h.SetRow(1, QStringLiteral("0.005"));
    h.SetRow(5, QStringLiteral("1.1"));
    h.Input().CalcAim_Combobox->setCurrentIndex(1);
    QCOMPARE(h.Row(1), QStringLiteral("0"));
    QCOMPARE(h.Row(5), QStringLiteral("1.1"));
    h.Input().CalcAim_Combobox->setCurrentIndex(0);
    QCOMPARE(h.Row(1), QStringLiteral("0"));
}

void MainWindowTest::aimAndMethodFollowTheBoxes() {
    Harness h;
    InputSheet& input = h.Input();
    h.Window().BringToFront(Sheet::Input);
    input.CalcAim_Combobox->setCurrentIndex(2);
    input.Method_ComboBox->setCurrentIndex(1);
    h.Window().BringToFront(Sheet::Intro);
    h.Window().BringToFront(Sheet::Input);  // no file opened: the boxes still decide
    QCOMPARE(h.Program().Session.Input.AimCode, std::string("Hyd"));
    QCOMPARE(h.Program().Session.Input.MethodCode, std::string("Dar"));
    QCOMPARE(input.RunMethod(), CalcMethod::Darcy);
    QCOMPARE(input.SelectedAim(), CalcAim::WaterTableDepth);
}

void MainWindowTest::leavingAFieldNormalisesItsNumber_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    QTest::newRow("decimal comma") << "1,5"
                                   << "1.5"
                                   << "";
    QTest::newRow("trailing zeros") << "2.500"
                                    << "2.5"
                                    << "";
    QTest::newRow("tiny") << "0.0000012"
                          << "1.2E-6"
                          << "";
    QTest::newRow("letters") << "abc"
                             << "0"
                             << "abc is not a valid real number";
    QTest::newRow("empty") << ""
                           << "0"
                           << " is not a valid real number";
}

void MainWindowTest::leavingAFieldNormalisesItsNumber() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    for (int row : {1, 7}) {
        h.SetRow(row, typed);
        h.Input().MaskEdit1Exit(row);
        QCOMPARE(h.Row(row), shown);
    }
    if (message.isEmpty()) {
        QVERIFY(h.Dialogs.Messages.isEmpty());
    } else {
        QCOMPARE(h.Dialogs.Messages, QStringList({message, message}));
    }
}

void MainWindowTest::equalLayersAreAnnounced_data() {
    QTest::addColumn<int>("aim");
    QTest::addColumn<QString>("d1");
    QTest::addColumn<QString>("d2");
    QTest::addColumn<bool>("announced");
    QTest::newRow("equal") << 0 << "2"
                           << "2" << true;
    QTest::newRow("equal, comma") << 2 << "2,0"
                                  << "2" << true;
    QTest::newRow("both zero") << 0 << "0"
                               << "0" << false;
    QTest::newRow("different") << 1 << "2"
                               << "3" << false;
}

void MainWindowTest::equalLayersAreAnnounced() {
    QFETCH(int, aim);
    QFETCH(QString, d1);
    QFETCH(QString, d2);
    QFETCH(bool, announced);
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    h.Input().CalcAim_Combobox->setCurrentIndex(aim);
    h.SetRow(3, d2);
    h.SetRow(2, d1);
    h.Input().MaskEdit2Exit(2);
    const QStringList expected =
        announced ? QStringList{"When D1 and D2 are equal, there is only one layer. The values of Kb2 and Kv2 "
                                "are immaterial."}
                  : QStringList{};
    QCOMPARE(h.Dialogs.Messages, expected);
}

void MainWindowTest::openInputShowsTheCase() {
    Harness h;
    const QString file = h.CopyExample(QStringLiteral("discharge-darcy-pipe.inp"));
    h.OpenInput(file);
    InputSheet& input = h.Input();
    QVERIFY(h.Dialogs.Messages.isEmpty());
    QCOMPARE(h.Window().ActiveSheet(), Sheet::Input);
    QCOMPARE(input.CalcAim_Combobox->currentIndex(), 1);
    QCOMPARE(input.Method_ComboBox->currentIndex(), 1);
    QCOMPARE(input.RunMethod(), CalcMethod::Darcy);
    QVERIFY(!input.RechargeButton->isEnabled());
    QVERIFY(input.FileName_Edit->isVisible());
    QCOMPARE(input.FileName_Edit->text(), file);
    const InputReadResult expected = ReadInputFile(file.toStdString());
    QCOMPARE(input.Title1_Edit->text(), QString::fromStdString(expected.Case.Title1));
    for (int row = 1; row <= kRowCount; ++row)
        QCOMPARE(h.Row(row),
                 QString::fromStdString(FormatFieldNumber(expected.Case.Values[row - 1], '.')));
    // The recharge, the result of this aim, is unknown to the other aims.
    input.CalcAim_Combobox->setCurrentIndex(0);
    QCOMPARE(h.Row(1), QStringLiteral("-1"));
    QCOMPARE(h.Row(13), QString::fromStdString(FormatFieldNumber(expected.Case.Values[0], '.')));
}

void MainWindowTest::openInputOfAConductivityCase() {
    Harness h;
    h.OpenInput(h.CopyExample(QStringLiteral("conductivity-darcy-pipe.inp")));
    InputSheet& input = h.Input();
    QCOMPARE(input.CalcAim_Combobox->currentIndex(), 3);
    const QStringList expected = {"0.006", "4", "1.5", "1.6", "0", "0", "1", "30"};
    for (int k = 0; k < expected.size(); ++k) QCOMPARE(h.Row(k + 3), expected[k]);
    for (int row : {1, 2, 11, 12, 13}) QVERIFY(!input.ValueEdits[row - 1]->isVisible());
}

void MainWindowTest::openInputCancelledOrMissing() {
    Harness h;
    h.OpenInput(QString());
    h.OpenInput(h.Path(QStringLiteral("missing.inp")));
    QCOMPARE(h.Dialogs.Messages, QStringList({"No input file was selected",
                                              "File does not exist, please select another one,"}));
    QVERIFY(!h.Input().FileName_Edit->isVisible());
    QCOMPARE(h.Dialogs.FileDialogs.size(), 2);
}

void MainWindowTest::corruptInputKeepsProgramAndSheet_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("aim code in lower case")
        << QByteArray("T1\r\nT2\r\nFile Name: x\r\nspa Ene\r\n 1 2 3 4 5 6 7 8 9 10 11 12 13\r\n")
        << "A program error occurred.The code in the inputfile \"%1\" is corrupt";
    QTest::newRow("decimal comma")
        << QByteArray(
               "T1\r\nT2\r\nFile Name: x\r\nSpa Ene\r\n 0,005 2 3 4 5 6 7 8 9 10 11 12 13\r\n")
        << "A program error occurred.Real numbers in the inputfile \"%1\" are corrupt";
}

void MainWindowTest::corruptInputKeepsProgramAndSheet() {
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    Harness h;
    const QString good = h.CopyExample(QStringLiteral("depth-pipe.inp"));
    h.OpenInput(good);
    h.Input().CalcAim_Combobox->setCurrentIndex(1);
    h.SetRow(5, QStringLiteral("7.25"));
    const QStringList rowsBefore = [&] {
        QStringList rows;
        for (int row = 1; row <= kRowCount; ++row) rows << h.Row(row);
        return rows;
    }();
    const InputCase caseBefore = h.Program().Session.Input;

    const QString corrupt = h.Path(QStringLiteral("corrupt.inp"));
    QFile file(corrupt);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    h.OpenInput(corrupt);

    QCOMPARE(h.Dialogs.Messages, QStringList({message.arg(corrupt)}));
    QCOMPARE(h.Program().Session.CurrentFileName, good.toStdString());
    QCOMPARE(h.Program().Session.Input.Values, caseBefore.Values);
    QCOMPARE(h.Program().Session.Input.AimCode, caseBefore.AimCode);
    QCOMPARE(h.Input().CalcAim_Combobox->currentIndex(), 1);
    QCOMPARE(h.Input().FileName_Edit->text(), good);
    for (int row = 1; row <= kRowCount; ++row) QCOMPARE(h.Row(row), rowsBefore[row - 1]);
    QVERIFY(h.Window().isVisible());
}

void MainWindowTest::openOutputShowsTheReport() {
    Harness h;
    const QString report = h.CopyExample(QStringLiteral("spacing-energy-pipe.out"));
    h.Window().BringToFront(Sheet::Figure);
    h.Dialogs.FileAnswers << report;
    h.Window().OutputOpen->trigger();
    OutputSheet& output = h.Output();
    QCOMPARE(h.Window().ActiveSheet(), Sheet::Output);
    QCOMPARE(output.Output_Memo->toPlainText(), test::AsMemoText(test::ReadText(report)));
    QVERIFY(output.Output_Memo->isVisible());
    QVERIFY(!output.Joule_Image->isVisible());
    for (QWidget* button : std::initializer_list<QWidget*>{
             output.ViewGraphButton, output.Symbols_Button, output.FigureButton2})
        QVERIFY(button->isVisible());
    QVERIFY(h.Window().Flags.OutputShown);
    QVERIFY(h.Window().GraphInColour());
    QCOMPARE(h.Program().Session.CurrentFileName, report.toStdString());
    // The sheet's own status text replaces the one of Open output.
    QVERIFY(
        h.Window().StatusText().startsWith(QStringLiteral("The output file can be inspected.")));

    // Again while the sheet is in front: the status text of Open output stays.
    h.Dialogs.FileAnswers << report;
    h.Window().OutputOpen->trigger();
    QCOMPARE(h.Window().StatusText(),
             QStringLiteral("The output file can be imported into spreadsheets"));
    QVERIFY(h.Dialogs.Messages.isEmpty());
}

void MainWindowTest::openOutputCancelledOrMissing() {
    Harness h;
    h.Window().OutputOpen->trigger();
    h.Dialogs.FileAnswers << h.Path(QStringLiteral("nothing.out"));
    h.Window().OutputOpen->trigger();
    QCOMPARE(h.Dialogs.Messages, QStringList({"No output file was selected",
                                              "File does not exist, please select another one,"}));
    QVERIFY(h.Output().Output_Memo->isHidden());
}

void MainWindowTest::symbolsButtonTogglesTheLegend() {
    Harness h;
    h.Dialogs.FileAnswers << h.CopyExample(QStringLiteral("depth-pipe.out"));
    h.Window().OutputOpen->trigger();
    OutputSheet& output = h.Output();
    QVERIFY(!output.Symbols_Memo->isVisible());
    output.Symbols_Button->click();
    QVERIFY(output.Symbols_Memo->isVisible());
    QCOMPARE(output.Symbols_Button->text(), QStringLiteral("Close symbols"));
    QCOMPARE(output.Symbols_Memo->toPlainText().split(QLatin1Char('\n')).first(),
             QStringLiteral("Output symbols         "));
    output.Symbols_Button->click();
    QVERIFY(!output.Symbols_Memo->isVisible());
    QCOMPARE(output.Symbols_Button->text(), QStringLiteral("Symbols"));
}

void MainWindowTest::companionWindows() {
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    h.Input().FigureButton1->click();
    h.Input().HelpButton->click();
    h.Input().RechargeButton->click();
    ProgramObjects& p = h.Program();
    QVERIFY(p.Figure.isVisible() && p.Help.isVisible() && p.Recharge.isVisible());
    QCOMPARE(p.Figure.windowTitle(), QStringLiteral("Pelorin figure"));
    QCOMPARE(p.Help.windowTitle(), QStringLiteral("Entrance resistance"));
    QCOMPARE(p.Recharge.windowTitle(), QStringLiteral("Recharge Help"));
    QCOMPARE(p.Figure.Figure_Image->pixmap().size(), QSize(667, 413));
    QCOMPARE(p.Help.HelpImage->pixmap().size(), QSize(553, 353));
    const QStringList recharge = p.Recharge.RechargeMemo->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(recharge.size(), 30);
    QCOMPARE(recharge[26], QStringLiteral("     R = 0.075 / 30 = 0.0025 m/day  "));
    p.Help.CloseButton->click();
    QVERIFY(!p.Help.isVisible());
}

void MainWindowTest::closingTheMainWindowShowsTheExitWindow() {
    Harness h;
    QVERIFY(!h.Window().close());
    QVERIFY(h.Window().isVisible());
    ExitWindow& exit = h.Program().Exit;
    QVERIFY(exit.isVisible());
    QCOMPARE(exit.windowTitle(), QStringLiteral("Pelorin exit"));
    QCOMPARE(exit.StatusText(), QStringLiteral("Click on Finish button to end program."));
    QCOMPARE(exit.Finish_Button->text(), QStringLiteral("Finish"));
    QCOMPARE(exit.Finish_MemoMemo->toPlainText().split(QLatin1Char('\n')).at(1),
             QStringLiteral("  Thank you for using Pelorin."));
    exit.hide();
    h.Window().FileExit->trigger();  // ProgramExit takes the same way
    QVERIFY(exit.isVisible() && h.Window().isVisible());
}

void MainWindowTest::cutGoesToTheFocusedField() {
    Harness h;
    h.Window().BringToFront(Sheet::Input);
    QApplication::setActiveWindow(&h.Window());
    QLineEdit* title = h.Input().Title1_Edit;
    title->setText(QStringLiteral("Drains"));
    title->setFocus();
    QTRY_VERIFY(title->hasFocus());
    title->selectAll();
    h.Window().EditCut->trigger();
    QCOMPARE(title->text(), QString());
    h.Window().EditPaste->trigger();
    QCOMPARE(title->text(), QStringLiteral("Drains"));
    QVERIFY(!h.Program().Exit.isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
