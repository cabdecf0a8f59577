// The desktop program from its start to its end, used as a person uses it:
// ending it, ending it during a run, cancelling runs of every aim and method,
// the controls after a run, graph pictures cut short, the window at three
// sizes, titles an input file cannot hold, the Output sheet after a Save
// without calculating, and the folders the dialogs open in.

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <map>

#include "ProgramRobot.h"
#include "QtText.h"

using namespace pelorin;
using namespace pelorin::test;

namespace {

const QString kRunning =
    QStringLiteral(" A calculation is running. Cancel it and end the program?");
const QString kCancelled =
    QStringLiteral("The calculations were cancelled, output is not available");
const QByteArray kEarlierReport("an earlier report\r\n");

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// An example of Data/ written to `path` with some of its 13 numbers replaced
// (1-based position → text).
void WriteCase(const QString& path, const QString& example, const std::map<int, QString>& values) {
    QList<QByteArray> lines =
        Bytes(QStringLiteral(PELORIN_SOURCE_DIR "/Data/") + example).split('\n');
    QList<QByteArray> numbers = lines[4].trimmed().split(' ');
    numbers.removeAll(QByteArray());
    for (const auto& [position, text] : values) numbers[position - 1] = text.toLatin1();
    lines[4] = numbers.join(' ') + '\r';
    Write(path, lines.join('\n'));
}

// The files of the folder, names only.
QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

InputSheet& Input() { return *Main()->Input_TabSheet; }
OutputSheet& Output() { return *Main()->Output_TabSheet; }

// Steps shared by the tests.
void ShowSheet(Robot& robot, Sheet sheet) {
    robot.Do(QStringLiteral("the sheet is chosen"),
             [sheet] { Main()->SheetTabs->setCurrentIndex(static_cast<int>(sheet)); });
}

void OpenInput(Robot& robot, const QString& path) {
    ShowSheet(robot, Sheet::Input);
    robot.Do(QStringLiteral("Open input"), [] { Input().Fileopen_Button->click(); });
    robot.ChooseFile(path);
}

// Save/Run over `path`, which exists: the overwrite question is answered yes.
void SaveRunOver(Robot& robot, const QString& path, bool calculate) {
    robot.Then(
        QStringLiteral("Save/Run enabled"), [] { return Input().Filesave_Button->isEnabled(); },
        [] { Input().Filesave_Button->click(); });
    robot.ChooseFile(path);
    robot.AnswerQuestion(true);
    robot.AnswerQuestion(calculate);
}

// Waits until the engine is at work: its announcement is shown and the pause
// after it has passed.
void WaitForTheEngine(Robot& robot) {
    auto since = std::make_shared<QElapsedTimer>();
    robot.WaitFor(QStringLiteral("the engine at work"), [since] {
        if (!Input().WaitMemo->toPlainText().contains(QStringLiteral(" Please wait .....")))
            return false;
        if (!since->isValid()) since->start();
        return since->elapsed() > 800;
    });
}

// Types the text key by key, as a keyboard that has every character would.
void Type(QWidget* field, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Every pair of visible children of the sheet that overlap, by name.
QStringList Overlaps(QWidget* sheet, const QStringList& designedOverlays) {
    QList<QWidget*> shown;
    for (QWidget* child : sheet->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible()) shown << child;
    QStringList overlaps;
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j) {
            const QString pair = shown[i]->objectName() + QLatin1Char('/') + shown[j]->objectName();
            if (shown[i]->geometry().intersects(shown[j]->geometry()) &&
                !designedOverlays.contains(pair))
                overlaps << pair;
        }
    return overlaps;
}

// The letter that Alt and the text's underlined character reach ("&Save/Run":
// "S"); empty when the text has none.
QString Mnemonic(const QString& text) {
    return QKeySequence::mnemonic(text).toString().remove(QStringLiteral("Alt+")).toUpper();
}

// Where two things of the window answer the same Alt letter: the titles of
// its menu bar and tabs and the visible buttons, labels with a buddy and
// group boxes; and, within each menu, its items.
QStringList MnemonicClashes(QWidget* window) {
    std::map<QString, QStringList> owners;
    auto add = [&owners](const QString& text, const QString& owner) {
        const QString letter = Mnemonic(text);
        if (!letter.isEmpty()) owners[letter] << owner + QStringLiteral(" \"") + text + '"';
    };
    QStringList clashes;
    if (auto* main = qobject_cast<QMainWindow*>(window); main != nullptr && main->menuWidget()) {
        for (QAction* menu : main->menuBar()->actions()) {
            add(menu->text(), QStringLiteral("menu"));
            std::map<QString, QStringList> items;
            for (QAction* item : menu->menu()->actions())
                if (!Mnemonic(item->text()).isEmpty())
                    items[Mnemonic(item->text())] << item->text();
            for (const auto& [letter, texts] : items)
                if (texts.size() > 1) clashes << letter + QStringLiteral(": ") + texts.join(", ");
        }
    }
    for (QTabBar* tabs : window->findChildren<QTabBar*>())
        for (int i = 0; tabs->isVisible() && i < tabs->count(); ++i) add(tabs->tabText(i), "tab");
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisible()) add(button->text(), button->objectName());
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisible() && label->buddy() != nullptr)
            add(label->text(), label->objectName());
    for (QGroupBox* box : window->findChildren<QGroupBox*>())
        if (box->isVisible()) add(box->title(), box->objectName());
    for (const auto& [letter, texts] : owners)
        if (texts.size() > 1) clashes << letter + QStringLiteral(": ") + texts.join(", ");
    return clashes;
}

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup() { QDir::setCurrent(QDir::tempPath()); }
    void endingByFinish();
    void endingByTheExitWindowsCloseBox();
    void endingByProgramExitThenFinish();
    void finishDuringARun_data();
    void finishDuringARun();
    void cancelInEachAimAndMethod_data();
    void cancelInEachAimAndMethod();
    void saveRunEnabledAfterFailure();
    void truncatedGraphPicturesAreRefused();
    void windowAtThreeSizes();
    void titlesOutsideLatin1AreRefused();
    void fileNamesOnTheReportAsSpelt();
    void noStaleReportAfterSave();
    void dialogsRememberTheirFolders();
    void windowOnItsScreen();
    void studyFaultsSaidOnTheStudyWindow();
    void everyMnemonicUniqueInItsWindow();
    void tabRunsDownTheInputSheet_data();
    void tabRunsDownTheInputSheet();

  private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString Path(const QString& name) const { return QDir(folder_->path()).filePath(name); }
};

void ProgramTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    QDir::setCurrent(folder_->path());
}

void ProgramTest::endingByFinish() {
    Robot robot;
    bool exitWindowBeforeFinish = false;
    QString exitStatus;
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    robot.Do(QStringLiteral("close the main window"), [] { Main()->close(); });
    robot.Then(QStringLiteral("the exit window"), ExitWindowShown, [&] {
        exitWindowBeforeFinish = MainShown();
        exitStatus = TopExitWindow()->StatusText();
        TopExitWindow()->Finish_Button->click();
    });
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QVERIFY(exitWindowBeforeFinish);
    QCOMPARE(exitStatus, QStringLiteral("Click on Finish button to end program."));
    QVERIFY(robot.Messages.isEmpty() && robot.Questions.isEmpty());
}

void ProgramTest::endingByTheExitWindowsCloseBox() {
    Robot robot;
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    robot.Do(QStringLiteral("close the main window"), [] { Main()->close(); });
    // The close box asks the window to close, as close() does.
    robot.Then(QStringLiteral("the exit window"), ExitWindowShown,
               [] { TopExitWindow()->close(); });
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
}

void ProgramTest::endingByProgramExitThenFinish() {
    Robot robot;
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    robot.Do(QStringLiteral("Ctrl+Q"), [] {
        Main()->activateWindow();
        QTest::keyClick(Main(), Qt::Key_Q, Qt::ControlModifier);
    });
    robot.Then(QStringLiteral("the exit window"), ExitWindowShown,
               [] { TopExitWindow()->Finish_Button->click(); });
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
}

void ProgramTest::finishDuringARun_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("yes: cancel and end") << true;
    QTest::newRow("no: the run goes on") << false;
}

void ProgramTest::finishDuringARun() {
    QFETCH(bool, cancel);
    // A conductivity by the energy balance at a spacing of 400 m takes seconds.
    const QString input = Path(QStringLiteral("case.inp"));
    const QString report = Path(QStringLiteral("case.out"));
    WriteCase(input, QStringLiteral("conductivity-energy-ditch.inp"),
              {{5, QStringLiteral("0")}, {8, QStringLiteral("400")}});
    Write(report, kEarlierReport);
    Robot robot;
    bool exitWindowDuringRun = false;
    OpenInput(robot, input);
    SaveRunOver(robot, input, true);
    WaitForTheEngine(robot);
    robot.Do(QStringLiteral("close the main window during the run"), [] { Main()->close(); });
    robot.Then(QStringLiteral("the exit window"), ExitWindowShown, [&] {
        exitWindowDuringRun = Main()->SaveRun->Running();
        TopExitWindow()->Finish_Button->click();
    });
    robot.AnswerQuestion(cancel);
    if (!cancel) {
        // The run ends with its report, and the program is ended afterwards.
        robot.AnswerMessage();
        EndByFinish(robot);
    }
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QVERIFY(exitWindowDuringRun);
    QCOMPARE(robot.Questions.last(), kRunning);
    QCOMPARE(robot.Questions.count(kRunning), 1);
    if (cancel) {
        QVERIFY2(robot.Messages.isEmpty(), qPrintable(robot.Messages.join('\n')));
        QCOMPARE(Bytes(report), kEarlierReport);
    } else {
        QCOMPARE(robot.Messages.size(), 1);
        QVERIFY(robot.Messages[0].startsWith(QStringLiteral("The calculations were made")));
        QVERIFY(Bytes(report).contains(" Output data:"));
    }
    QCOMPARE(FilesIn(folder_->path()), QStringList({"case.inp", "case.out"}));
}

void ProgramTest::cancelInEachAimAndMethod_data() {
    QTest::addColumn<QString>("example");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("position2");
    QTest::addColumn<QString>("value2");
    // Each case takes a second or more: wide spacings, deep layers, little recharge.
    QTest::newRow("spacing, energy balance")
        << "spacing-energy-pipe.inp" << 1 << "0.00015" << 3 << "50";
    QTest::newRow("spacing, Darcy") << "spacing-darcy-pipe.inp" << 1 << "0.00015" << 3 << "50";
    QTest::newRow("discharge, energy balance")
        << "discharge-energy-ditch.inp" << 13 << "600" << 13 << "600";
    QTest::newRow("discharge, Darcy") << "discharge-darcy-pipe.inp" << 13 << "1200" << 3 << "50";
    QTest::newRow("water-table depth") << "depth-pipe.inp" << 13 << "400" << 13 << "400";
    QTest::newRow("conductivity, energy balance")
        << "conductivity-energy-ditch.inp" << 5 << "0" << 8 << "400";
    QTest::newRow("conductivity, Darcy")
        << "conductivity-darcy-pipe.inp" << 8 << "1200" << 8 << "1200";
}

void ProgramTest::cancelInEachAimAndMethod() {
    QFETCH(QString, example);
    QFETCH(int, position);
    QFETCH(QString, value);
    QFETCH(int, position2);
    QFETCH(QString, value2);
    const QString input = Path(QStringLiteral("case.inp"));
    const QString report = Path(QStringLiteral("case.out"));
    WriteCase(input, example, {{position, value}, {position2, value2}});
    Write(report, kEarlierReport);
    Robot robot;
    QStringList notAsShown;
    OpenInput(robot, input);
    SaveRunOver(robot, input, true);
    WaitForTheEngine(robot);
    robot.Do(QStringLiteral("Cancel"), [] { Input().CancelRun_Button->click(); });
    robot.AnswerMessage();
    // The controls are as a showing of the Input sheet leaves them.
    robot.Then(QStringLiteral("the run over"), NoDialogOpen, [&] {
        InputSheet& sheet = Input();
        const std::pair<bool, const char*> expected[] = {
            {Main()->ActiveSheet() == Sheet::Input, "the Input sheet in front"},
            {Main()->InputSave->isEnabled(), "the Save/Run action"},
            {sheet.Filesave_Button->isEnabled(), "the Save/Run button"},
            {sheet.Fileopen_Button->isEnabled(), "the Open input button"},
            {sheet.Title1_Edit->isEnabled(), "the title"},
            {sheet.ValueEdits[3]->isEnabled(), "a value row"},
            {Main()->InputOpen->isEnabled(), "Open input"},
            {Main()->SheetTabs->isTabEnabled(int(Sheet::Output)), "the Output tab"},
            {sheet.WaitMemo->isHidden(), "the progress box put away"},
            {sheet.CancelRun_Button->isHidden(), "Cancel put away"},
        };
        for (const auto& [asShown, what] : expected)
            if (!asShown) notAsShown << QString::fromLatin1(what);
    });
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.Messages, QStringList({kCancelled}));
    QVERIFY2(notAsShown.isEmpty(), qPrintable(notAsShown.join(", ")));
    QCOMPARE(Bytes(report), kEarlierReport);
    QCOMPARE(FilesIn(folder_->path()), QStringList({"case.inp", "case.out"}));
}

void ProgramTest::saveRunEnabledAfterFailure() {
    // A report that cannot be written (its name is a folder's) makes the run fail.
    const QString input = Path(QStringLiteral("case.inp"));
    WriteCase(input, QStringLiteral("spacing-darcy-pipe.inp"), {});
    QVERIFY(QDir().mkdir(Path(QStringLiteral("case.out"))));
    Robot robot;
    bool enabledAfterFailure = false;
    OpenInput(robot, input);
    SaveRunOver(robot, input, true);
    robot.AnswerMessage();  // the failure
    robot.Then(QStringLiteral("the run over"), NoDialogOpen, [&] {
        enabledAfterFailure = Input().Filesave_Button->isEnabled() &&
                              Main()->InputSave->isEnabled() && Input().WaitMemo->isHidden();
        QDir().rmdir(Path(QStringLiteral("case.out")));
    });
    // The next Save/Run, by the button, calculates the case.
    SaveRunOver(robot, input, true);
    robot.AnswerMessage();
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.Messages.size(), 2);
    QVERIFY2(robot.Messages[0].contains(QStringLiteral("Invalid filename")),
             qPrintable(robot.Messages[0]));
    QVERIFY(robot.Messages[1].startsWith(QStringLiteral("The calculations were made")));
    QVERIFY(enabledAfterFailure);
}

void ProgramTest::truncatedGraphPicturesAreRefused() {
    // A graph saved by the program, then copies of it cut at 16 lengths, a
    // folder's worth of nothing, and garbage.
    const QString input = Path(QStringLiteral("case.inp"));
    const QString graph = Path(QStringLiteral("graph.bmp"));
    WriteCase(input, QStringLiteral("spacing-energy-pipe.inp"), {});
    Robot robot;
    OpenInput(robot, input);
    SaveRunOver(robot, input, true);
    robot.AnswerMessage();
    robot.Then(QStringLiteral("the report"), NoDialogOpen,
               [] { Output().ViewGraphButton->click(); });
    robot.Then(
        QStringLiteral("the graph"),
        [] {
            return Main()->Graphics_TabSheet->findChild<QWidget*>("SaveGraphButton")->isVisible();
        },
        [] { Main()->Graphics_TabSheet->findChild<QPushButton*>("SaveGraphButton")->click(); });
    robot.ChooseFile(graph);
    robot.AnswerMessage();  // saved
    robot.Do(QStringLiteral("Open graph"),
             [] { Main()->Graphics_TabSheet->findChild<QPushButton*>("SeeGraphButton")->click(); });
    robot.ChooseFile(graph);

    QList<qsizetype> lengths;
    QImage shownFirst;
    QStringList stayed;
    QStringList refusedFiles;
    auto shownPicture = [] {
        return Main()->Graphics_TabSheet->findChild<QLabel*>("PictureImage")->pixmap().toImage();
    };
    robot.Then(QStringLiteral("the graph opened"), NoDialogOpen, [&] {
        shownFirst = shownPicture();
        const QByteArray whole = Bytes(graph);
        lengths = {0,
                   1,
                   2,
                   13,
                   14,
                   17,
                   18,
                   30,
                   53,
                   54,
                   55,
                   100,
                   whole.size() / 3,
                   whole.size() / 2,
                   whole.size() - 4,
                   whole.size() - 1};
        for (const qsizetype length : lengths) {
            const QString cut = Path(QStringLiteral("cut-%1.bmp").arg(length));
            Write(cut, whole.left(length));
            refusedFiles << cut;
        }
        QByteArray garbage;
        for (int i = 0; i < 5000; ++i) garbage.append(char((i * 37 + 11) % 256));
        Write(Path(QStringLiteral("garbage.bmp")), garbage);
        refusedFiles << Path(QStringLiteral("garbage.bmp"));
    });
    // The list is filled when that step runs; the steps for it are queued now
    // for as many files as there will be.
    for (int i = 0; i < 17; ++i) {
        robot.Then(QStringLiteral("Open graph again"), NoDialogOpen, [] {
            Main()->Graphics_TabSheet->findChild<QPushButton*>("SeeGraphButton")->click();
        });
        robot.Then(
            QStringLiteral("a file dialog"),
            [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; },
            [&, i] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                Robot::TypeIntoFileDialog(dialog, refusedFiles.value(i));
            });
        robot.AnswerMessage();
        robot.Then(QStringLiteral("the refusal answered"), NoDialogOpen, [&, i] {
            if (shownPicture() == shownFirst) stayed << refusedFiles.value(i);
        });
    }
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.Messages.size(), 2 + 17);
    // Each refusal says which picture is still shown.
    for (int i = 0; i < 17; ++i) {
        QVERIFY2(robot.Messages[2 + i].startsWith(QStringLiteral("The file ") + refusedFiles[i] +
                                                  QStringLiteral(" cannot be shown as a graph: ")),
                 qPrintable(robot.Messages[2 + i]));
        QVERIFY2(robot.Messages[2 + i].endsWith(QStringLiteral(". Still shown: ") + graph + '.'),
                 qPrintable(robot.Messages[2 + i]));
    }
    QCOMPARE(stayed, refusedFiles);
    QCOMPARE(shownFirst.size(), QSize(623, 465));
}

void ProgramTest::windowAtThreeSizes() {
    const QString report = Path(QStringLiteral("case.out"));
    QFile::copy(QStringLiteral(PELORIN_SOURCE_DIR "/Data/spacing-energy-pipe.out"), report);
    Robot robot;
    QStringList faults;
    QSize designed;
    auto look = [&](const QString& size) {
        // Every sheet at this size: nothing laid over anything else (but the
        // legend, which stands over the report by design), and scroll bars
        // exactly when the sheet does not fit.
        for (int i = 0; i < Main()->SheetTabs->count(); ++i) {
            Main()->SheetTabs->setCurrentIndex(i);
            QCoreApplication::sendPostedEvents();  // the page laid out for its size
            auto* page = qobject_cast<QScrollArea*>(Main()->SheetTabs->widget(i));
            QWidget* sheet = page->widget();
            const QStringList overlaps =
                Overlaps(sheet, {QStringLiteral("Output_Memo/Symbols_Memo")});
            if (!overlaps.isEmpty())
                faults << size + QStringLiteral(": ") + overlaps.join(QLatin1Char(' '));
            const bool fits = page->viewport()->width() >= kSheetWidth &&
                              page->viewport()->height() >= kSheetHeight;
            const bool scrolls =
                page->horizontalScrollBar()->isVisible() || page->verticalScrollBar()->isVisible();
            if (fits == scrolls) faults << size + QStringLiteral(": scroll bars of page %1").arg(i);
            if (size == QLatin1String("designed") && !fits)
                faults << size + QStringLiteral(": page %1 too small for its sheet").arg(i);
        }
        const QRect memo = Output().Output_Memo->geometry();
        if (memo.bottom() >= Output().SeeOutput_Button->geometry().top())
            faults << size + QStringLiteral(": the buttons are not below the report");
    };
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    ShowSheet(robot, Sheet::Output);
    robot.Do(QStringLiteral("Open output"), [] { Output().SeeOutput_Button->click(); });
    robot.ChooseFile(report);
    robot.Then(QStringLiteral("the report"), NoDialogOpen, [&] {
        Output().Symbols_ButtonClick();
        designed = Main()->size();
        look(QStringLiteral("designed"));
        Main()->resize(1200, 900);
    });
    robot.Then(
        QStringLiteral("enlarged"), [] { return Main()->width() == 1200; },
        [&] {
            look(QStringLiteral("enlarged"));
            if (Output().Output_Memo->width() <= 599 || Output().Output_Memo->height() <= 448)
                faults << QStringLiteral("enlarged: the report did not grow");
            Main()->resize(420, 300);
        });
    robot.Then(
        QStringLiteral("shrunk"), [] { return Main()->width() < 600; },
        [&] {
            look(QStringLiteral("shrunk"));
            if (Output().Output_Memo->size() != QSize(599, 448))
                faults << QStringLiteral("shrunk: the report is not at its designed size");
        });
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    // The design: a client area of 717 by 557 below the menu bar (760 wide on
    // screens wider than 860 pixels), and no less than the sheets need.
    QVERIFY2(designed.width() >= 717 && designed.width() <= 760 && designed.height() >= 557,
             qPrintable(QStringLiteral("%1 by %2").arg(designed.width()).arg(designed.height())));
}

void ProgramTest::titlesOutsideLatin1AreRefused() {
    const QString input = Path(QStringLiteral("case.inp"));
    WriteCase(input, QStringLiteral("spacing-darcy-pipe.inp"), {});
    const QByteArray before = Bytes(input);
    Robot robot;
    OpenInput(robot, input);
    robot.Then(QStringLiteral("the case"), NoDialogOpen, [] {
        // Typed as a user types: Latin-1 letters pass, the others do not;
        // "e" with a combining accent is the Latin-1 "é".
        Input().Title1_Edit->clear();
        Type(Input().Title1_Edit, QStringLiteral("Łódź drains, café"));
        Input().Title2_Edit->clear();
        Type(Input().Title2_Edit, QStringLiteral("R 7 mm/d, € 3 per m, cafe\u0301 ☔"));
        Input().Filesave_Button->click();
    });
    robot.AnswerMessage();
    // With the titles mended the case is saved, accents and all.
    robot.Then(QStringLiteral("the refusal answered"), NoDialogOpen, [] {
        Input().Title1_Edit->setText(QStringLiteral("Lodz drains, café"));
        Input().Title2_Edit->setText(QStringLiteral("R 7 mm/d, cafe\u0301"));
    });
    SaveRunOver(robot, input, false);
    robot.AnswerMessage();
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.Messages.first(),
             QStringLiteral(" The titles hold characters that an input file cannot store: "
                            "Ł, ź, €, ☔. Please replace them."));
    QCOMPARE(robot.FileDialogsSeen.size(), 2);  // Open input, and the second Save/Run
    const QList<QByteArray> saved = Bytes(input).split('\n');
    QVERIFY(before != Bytes(input));
    QCOMPARE(saved[0], QByteArray("Lodz drains, caf\xe9\r"));
    QCOMPARE(saved[1], QByteArray("R 7 mm/d, caf\xe9\r"));
}

void ProgramTest::fileNamesOnTheReportAsSpelt() {
    QVERIFY(QDir().mkdir(QStringLiteral("Ωmega fields")));
    const QString input = Path(QStringLiteral("Ωmega fields/drän.inp"));
    WriteCase(input, QStringLiteral("spacing-darcy-pipe.inp"), {});
    Robot robot;
    QStringList shown;
    OpenInput(robot, input);
    SaveRunOver(robot, input, true);
    robot.AnswerMessage();
    robot.Then(QStringLiteral("the report"), NoDialogOpen,
               [&] { shown = Output().Output_Memo->toPlainText().split(QLatin1Char('\n')); });
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QVERIFY(shown.size() > 15);
    QVERIFY2(shown[13].endsWith(QStringLiteral("Ωmega fields/drän.inp")), qPrintable(shown[13]));
    QVERIFY2(shown[14].endsWith(QStringLiteral("Ωmega fields/drän.out")), qPrintable(shown[14]));
    // The report holds the system's bytes for the names.
    const QList<QByteArray> lines =
        Bytes(Path(QStringLiteral("Ωmega fields/drän.out"))).split('\n');
    QVERIFY(lines[13].contains(QFile::encodeName(input)));
}

void ProgramTest::noStaleReportAfterSave() {
    // Case a is calculated; case b is saved without calculating; then case a
    // is changed and saved again without calculating.
    const QString a = Path(QStringLiteral("a.inp"));
    const QString b = Path(QStringLiteral("b.inp"));
    WriteCase(a, QStringLiteral("spacing-darcy-pipe.inp"), {});
    WriteCase(b, QStringLiteral("depth-pipe.inp"), {});
    Robot robot;
    QStringList afterB;
    bool graphOfferedAfterB = true;
    QStringList afterA;
    OpenInput(robot, a);
    SaveRunOver(robot, a, true);
    robot.AnswerMessage();
    OpenInput(robot, b);
    SaveRunOver(robot, b, false);
    robot.AnswerMessage();
    ShowSheet(robot, Sheet::Output);
    robot.Do(QStringLiteral("look"), [&] {
        afterB = Output().Output_Memo->isVisible()
                     ? Output().Output_Memo->toPlainText().split(QLatin1Char('\n'))
                     : QStringList();
        graphOfferedAfterB = Output().ViewGraphButton->isVisible();
    });
    OpenInput(robot, a);
    robot.Do(QStringLiteral("change R"), [] { Input().ValueEdits[0]->setText("0.008"); });
    SaveRunOver(robot, a, false);
    robot.AnswerMessage();
    ShowSheet(robot, Sheet::Output);
    robot.Do(QStringLiteral("look"),
             [&] { afterA = Output().Output_Memo->toPlainText().split(QLatin1Char('\n')); });
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(afterB, QStringList({" No report has been calculated for this case yet."}));
    QVERIFY(!graphOfferedAfterB);
    QCOMPARE(afterA.first(),
             QStringLiteral(" This report was calculated before the case was last saved."));
    QString reportText = QString::fromLatin1(Bytes(Path(QStringLiteral("a.out"))));
    reportText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    reportText.chop(1);
    QCOMPARE(afterA.mid(1).join(QLatin1Char('\n')), reportText);
}

void ProgramTest::dialogsRememberTheirFolders() {
    QVERIFY(QDir().mkpath(QStringLiteral("cases")));
    QVERIFY(QDir().mkpath(QStringLiteral("pictures")));
    const QString input = Path(QStringLiteral("cases/field.inp"));
    WriteCase(input, QStringLiteral("spacing-energy-pipe.inp"), {});
    Robot robot;
    OpenInput(robot, input);
    // A report opened elsewhere moves the current folder, but the save
    // dialog still opens on the input file.
    ShowSheet(robot, Sheet::Output);
    robot.Do(QStringLiteral("Open output"), [] { Output().SeeOutput_Button->click(); });
    robot.ChooseFile(QStringLiteral(PELORIN_SOURCE_DIR "/Data/depth-pipe.out"));
    robot.Then(QStringLiteral("the report"), NoDialogOpen,
               [] { Output().ViewGraphButton->click(); });
    robot.Then(QStringLiteral("the graph"), NoDialogOpen,
               [] { Main()->Graphics_TabSheet->findChild<QPushButton*>("BlWhButton")->click(); });
    robot.ChooseFile(Path(QStringLiteral("pictures/bw.bmp")));
    robot.AnswerMessage();
    robot.Then(QStringLiteral("saved"), NoDialogOpen, [] {
        Main()->Graphics_TabSheet->findChild<QPushButton*>("SeeGraphButton")->click();
    });
    robot.ChooseFile(Path(QStringLiteral("pictures/bw.bmp")));
    ShowSheet(robot, Sheet::Input);
    robot.Then(QStringLiteral("Save/Run"), NoDialogOpen, [] { Input().Filesave_Button->click(); });
    robot.ChooseFile(input);
    robot.AnswerQuestion(true);
    robot.AnswerQuestion(false);
    robot.AnswerMessage();
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.FileDialogsSeen.size(), 5);
    const QString cases = QDir(folder_->path()).filePath(QStringLiteral("cases"));
    const QString pictures = QDir(folder_->path()).filePath(QStringLiteral("pictures"));
    // Open graph opens where the last graph was saved; Save/Run on the input
    // file, its name filled in.
    QCOMPARE(robot.FileDialogsSeen[3], pictures + QStringLiteral("|"));
    QCOMPARE(robot.FileDialogsSeen[4], cases + QStringLiteral("|field.inp"));
}

// The window on the screen it starts on: this test runs on the offscreen
// platform's 800 by 600 screen and again on one of 1600 by 1000 at scale
// factors 1 and 2 (tests/program/CMakeLists.txt). The window opens within the
// screen's free area; during a run nothing on the Input sheet is laid over
// another control, as it opens, at 800 by 600 and maximised; and the sheet
// scrolls exactly when it does not fit.
void ProgramTest::windowOnItsScreen() {
    const QString input = Path(QStringLiteral("case.inp"));
    WriteCase(input, QStringLiteral("spacing-darcy-pipe.inp"), {{1, "0.00015"}, {3, "50"}});
    Robot robot;
    QStringList faults;
    QRect opened;
    QRect freeArea;
    auto look = [&faults](const QString& size) {
        QWidget* sheet = &Input();
        auto* page = qobject_cast<QScrollArea*>(Main()->SheetTabs->currentWidget());
        if (!Input().WaitMemo->isVisible() || !Input().CancelRun_Button->isVisible())
            faults << size + QStringLiteral(": the progress box or Cancel is not shown");
        const QStringList overlaps = Overlaps(sheet, {});
        if (!overlaps.isEmpty())
            faults << size + QStringLiteral(": ") + overlaps.join(QLatin1Char(' '));
        const bool fits =
            page->viewport()->width() >= kSheetWidth && page->viewport()->height() >= kSheetHeight;
        const bool scrolls =
            page->horizontalScrollBar()->isVisible() || page->verticalScrollBar()->isVisible();
        if (fits == scrolls) faults << size + QStringLiteral(": the sheet's scroll bars");
    };
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    robot.Do(QStringLiteral("where it opened"), [&] {
        opened = Main()->frameGeometry();
        freeArea = Main()->screen()->availableGeometry();
    });
    OpenInput(robot, input);
    SaveRunOver(robot, input, true);
    WaitForTheEngine(robot);
    robot.Do(QStringLiteral("as it opened"), [&] {
        look(QStringLiteral("as it opened"));
        Main()->resize(800, 600);
    });
    robot.Then(
        QStringLiteral("800 by 600"), [] { return Main()->size() == QSize(800, 600); },
        [&] {
            look(QStringLiteral("800 by 600"));
            Main()->showMaximized();
        });
    robot.Then(
        QStringLiteral("maximised"), [] { return Main()->isMaximized(); },
        [&] {
            QCoreApplication::sendPostedEvents();
            look(QStringLiteral("maximised"));
            if (Main()->width() < freeArea.width() - 40)
                faults << QStringLiteral("maximised: %1 wide on a screen %2 wide")
                              .arg(Main()->width())
                              .arg(freeArea.width());
            Input().CancelRun_Button->click();
        });
    robot.AnswerMessage();
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.Messages, QStringList({kCancelled}));
    QVERIFY2(freeArea.contains(opened),
             qPrintable(QStringLiteral("opened at %1,%2 %3 by %4 on a free area of %5 by %6")
                            .arg(opened.x())
                            .arg(opened.y())
                            .arg(opened.width())
                            .arg(opened.height())
                            .arg(freeArea.width())
                            .arg(freeArea.height())));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

// The design study's table and chart saved where they cannot be: the message
// stands on the study window and says why, in words the user can act on.
void ProgramTest::studyFaultsSaidOnTheStudyWindow() {
    const QString input = Path(QStringLiteral("case.inp"));
    WriteCase(input, QStringLiteral("spacing-darcy-pipe.inp"), {});
    const QString unwritable = QStringLiteral("/proc/study.csv");
    const QString missingFolder = Path(QStringLiteral("no such folder/study.png"));
    Robot robot;
    OpenInput(robot, input);
    robot.Then(QStringLiteral("the case"), NoDialogOpen, [] { Main()->DesignStudy->trigger(); });
    robot.Then(
        QStringLiteral("the design study window"),
        [] { return Main()->DesignStudy_Window->isVisible(); },
        [] { Main()->DesignStudy_Window->Run_Button->click(); });
    robot.Then(
        QStringLiteral("the study's results"),
        [] {
            return !Main()->DesignStudy_Window->Running() &&
                   Main()->DesignStudy_Window->SaveTable_Button->isEnabled();
        },
        [] { Main()->DesignStudy_Window->SaveTable_Button->click(); });
    robot.ChooseFile(unwritable);
    robot.AnswerMessage();
    robot.Then(QStringLiteral("the table refused"), NoDialogOpen,
               [] { Main()->DesignStudy_Window->SaveChart_Button->click(); });
    robot.ChooseFile(missingFolder);
    robot.AnswerMessage();
    robot.Then(QStringLiteral("the chart refused"), NoDialogOpen,
               [] { Main()->DesignStudy_Window->close(); });
    EndByFinish(robot);
    const int status = robot.RunProgram(300);
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.Messages, QStringList({"The table was not saved: Permission denied",
                                          "The chart was not saved: No such folder"}));
    QCOMPARE(robot.DialogWindows, QStringList({"DesignStudyWindow", "DesignStudyWindow"}));
}

// Alt and a letter reach one thing in each window: the main window on each of
// its sheets, the design study window and the companion windows.
void ProgramTest::everyMnemonicUniqueInItsWindow() {
    const QString input = Path(QStringLiteral("case.inp"));
    WriteCase(input, QStringLiteral("spacing-darcy-pipe.inp"), {});
    Robot robot;
    QStringList clashes;
    QStringList windowsSeen;
    auto walk = [&](QWidget* window, const QString& name) {
        windowsSeen << name;
        for (const QString& clash : MnemonicClashes(window)) clashes << name + ": " + clash;
    };
    OpenInput(robot, input);
    robot.Then(QStringLiteral("the case"), NoDialogOpen, [&] {
        for (int i = 0; i < Main()->SheetTabs->count(); ++i) {
            Main()->SheetTabs->setCurrentIndex(i);
            walk(Main(), Main()->SheetTabs->tabText(i).trimmed());
        }
        Main()->SheetTabs->setCurrentIndex(static_cast<int>(Sheet::Input));
        Main()->DesignStudy->trigger();
    });
    robot.Then(
        QStringLiteral("the design study window"),
        [] { return Main()->DesignStudy_Window->isVisible(); },
        [&] {
            walk(Main()->DesignStudy_Window, QStringLiteral("design study"));
            Main()->DesignStudy_Window->close();
            Input().HelpButton->click();
            Input().RechargeButton->click();
            Input().FigureButton1->click();
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window != Main() && window->isVisible() &&
                    qobject_cast<QMenu*>(window) == nullptr)
                    walk(window, window->windowTitle());
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window != Main()) window->hide();
        });
    robot.Then(QStringLiteral("no dialog"), NoDialogOpen, [] { Main()->close(); });
    robot.Then(QStringLiteral("the exit window"), ExitWindowShown, [&] {
        walk(TopExitWindow(), QStringLiteral("exit"));
        TopExitWindow()->Finish_Button->click();
    });
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QVERIFY2(windowsSeen.size() >= 10, qPrintable(windowsSeen.join(", ")));
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
    // The mnemonics the issue names still stand.
    QCOMPARE(Mnemonic(QStringLiteral("&Save/Run")), QStringLiteral("S"));
}

void ProgramTest::tabRunsDownTheInputSheet_data() {
    QTest::addColumn<QString>("example");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("spacing") << "spacing-darcy-pipe.inp"
                             << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    QTest::newRow("conductivity") << "conductivity-darcy-pipe.inp"
                                  << QList<int>{3, 4, 5, 6, 7, 8, 9, 10};
}

// Tab from the first title runs through the choices and down the shown rows
// to Save/Run.
void ProgramTest::tabRunsDownTheInputSheet() {
    QFETCH(QString, example);
    QFETCH(QList<int>, rows);
    const QString input = Path(QStringLiteral("case.inp"));
    WriteCase(input, example, {});
    Robot robot;
    QStringList visited;
    OpenInput(robot, input);
    robot.Then(
        QStringLiteral("the main window active"),
        [] {
            if (!NoDialogOpen()) return false;
            Main()->activateWindow();
            return Main()->isActiveWindow();
        },
        [&] {
            Input().Title1_Edit->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 30 && QApplication::focusWidget() != nullptr; ++i) {
                visited << QApplication::focusWidget()->objectName();
                if (QApplication::focusWidget() == Input().Filesave_Button) break;
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
        });
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QStringList expected{"Title1_Edit", "Title2_Edit", "CalcAim_Combobox", "Units_ComboBox",
                         "Method_ComboBox"};
    for (int row : rows) expected << QStringLiteral("MaskEdit%1").arg(row);
    expected << QStringLiteral("Filesave_Button");
    QCOMPARE(visited, expected);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ProgramTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "program_test.moc"
