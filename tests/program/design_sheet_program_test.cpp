// The design sheet from the desktop program, used as a person uses it: Save
// as PDF… on the Output sheet through the real file dialog, and File → Print…
// with its preview, whose page set-up stays for the session; the program's
// event loop runs to its end.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include "PdfText.h"
#include "ProgramRobot.h"

using namespace pelorin;
using namespace pelorin::test;

namespace {

const QString kNoReport = QStringLiteral(
    " No report is shown on the Output sheet: calculate a case or open an output file first.");

OutputSheet& Output() { return *Main()->Output_TabSheet; }

QPrintPreviewDialog* Preview() {
    return qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
}

// The report's result lines, blanks collapsed, as a reader finds them.
QStringList ResultLines(const QString& report) {
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    const qsizetype start = lines.indexOf(QStringLiteral(" #"));
    QStringList results;
    for (qsizetype i = start + 1; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty() && lines[i] != QStringLiteral(" #"))
            results << lines[i].simplified();
    return results;
}

}  // namespace

class DesignSheetProgramTest : public QObject {
    Q_OBJECT
  private slots:
    void saveAsPdfAndPrintWithPreview();
    void runWarningsOnTheSheet_data();
    void runWarningsOnTheSheet();
    void graphSavedAsADrawingOfTheKindChosen();
};

void DesignSheetProgramTest::saveAsPdfAndPrintWithPreview() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QDir::setCurrent(folder.path());
    const QString report = folder.filePath(QStringLiteral("field.out"));
    QVERIFY(
        QFile::copy(QStringLiteral(PELORIN_SOURCE_DIR "/Data/discharge-energy-ditch.out"), report));
    const QString saved = folder.filePath(QStringLiteral("sheet.pdf"));
    const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
    bool buttonBeforeReport = true;
    bool buttonWithReport = false;
    int previewPages = 0;
    QPageLayout::Orientation remembered = QPageLayout::Portrait;

    Robot robot;
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    robot.Do(QStringLiteral("Save as PDF without a report"), [&] {
        buttonBeforeReport = Output().SavePdf_Button->isVisible();
        Main()->SaveAsPdf->trigger();
    });
    robot.AnswerMessage();
    robot.Do(QStringLiteral("the Output sheet"),
             [] { Main()->SheetTabs->setCurrentIndex(static_cast<int>(Sheet::Output)); });
    robot.Do(QStringLiteral("Open output"), [] { Output().SeeOutput_Button->click(); });
    robot.ChooseFile(report);
    robot.Then(QStringLiteral("the report shown"), NoDialogOpen, [&] {
        buttonWithReport = Output().SavePdf_Button->isVisible();
        Output().SavePdf_Button->click();
    });
    robot.ChooseFile(saved);
    robot.AnswerMessage();
    robot.Then(QStringLiteral("saved"), NoDialogOpen, [] { Main()->FilePrint->trigger(); });
    // The preview's paint request is driven to a printer writing PDF; the page
    // set-up is changed to landscape in the preview.
    robot.Then(
        QStringLiteral("the print preview"), [] { return Preview() != nullptr; },
        [&] {
            QPrintPreviewDialog* preview = Preview();
            auto* pages = preview->findChild<QPrintPreviewWidget*>();
            previewPages = pages->pageCount();
            pages->setLandscapeOrientation();
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            printer.setPageLayout(preview->printer()->pageLayout());
            emit preview->paintRequested(&printer);
            preview->reject();
        });
    robot.Then(QStringLiteral("the preview closed"), NoDialogOpen,
               [] { Main()->FilePrint->trigger(); });
    robot.Then(
        QStringLiteral("the print preview again"), [] { return Preview() != nullptr; },
        [&] {
            remembered = Preview()->printer()->pageLayout().orientation();
            Preview()->reject();
        });
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);

    QVERIFY(!buttonBeforeReport);
    QVERIFY(buttonWithReport);
    QCOMPARE(robot.Messages,
             QStringList({kNoReport, QStringLiteral("The design sheet was saved in ") + saved}));
    // The save dialog offered the report's name with .pdf.
    QVERIFY2(robot.FileDialogsSeen.last().endsWith(QStringLiteral("|field.pdf")),
             qPrintable(robot.FileDialogsSeen.join(QLatin1Char(' '))));
    QCOMPARE(previewPages, 2);
    QCOMPARE(remembered, QPageLayout::Landscape);

    const QStringList results = ResultLines(report);
    QCOMPARE(results.size(), 5);
    for (const QString& file : {saved, printed}) {
        const QString text = PdfText(file);
        for (const QString& line : results)
            QVERIFY2(text.contains(line), qPrintable(file + QStringLiteral(": ") + line));
        QVERIFY(text.contains(QStringLiteral("Distance from drain (m)")));
    }
    QCOMPARE(PdfInfo(saved, QStringLiteral("Page size")), QStringLiteral("595 x 842 pts (A4)"));
    QCOMPARE(PdfInfo(printed, QStringLiteral("Page size")), QStringLiteral("842 x 595 pts (A4)"));
    QDir::setCurrent(QDir::tempPath());
}

// The sheet of the report a Save/Run has just written holds the messages of
// that run in a box of their own; the same report opened on the Output sheet
// as a copy is a saved report, whose box holds what its numbers show; a run
// without messages, and a report whose numbers show nothing, have no box.
void DesignSheetProgramTest::runWarningsOnTheSheet_data() {
    QTest::addColumn<QString>("example");  // of Data/, or the text of the input file
    QTest::addColumn<QStringList>("runMessages");
    QTest::addColumn<QStringList>("readFromReport");
    const QString above = QStringLiteral(" Watertable above soil surface, adjust the data.");
    const QString shortSpacing =
        QStringLiteral(" Dw-Dm is less than 0.2. The drain spacing will be short.");
    QTest::newRow("water table above the surface")
        << QStringLiteral("depth-above-surface.inp") << QStringList{above} << QStringList{above};
    QTest::newRow("short spacing") << QStringLiteral("spacing-darcy-short.inp")
                                   << QStringList{shortSpacing} << QStringList{shortSpacing};
    QTest::newRow("no warning") << QStringLiteral("spacing-darcy-pipe.inp") << QStringList()
                                << QStringList();
    // A Darcy spacing whose coarse march misjudged the head: its report
    // shows nothing of the repeated search.
    QTest::newRow("searched again")
        << QStringLiteral(
               "Coarse march misjudged\r\nKv1 below R\r\nFile Name: case.inp\r\n"
               "Spa Dar\r\n0.0122 3.740 7.014 1.171 1.827 0.000 0.731 7.492 0.052 "
               "0.0046 0.153 0.0432 0.452\r\n")
        << QStringList{QStringLiteral(" The spacing was searched again with a step of 0.001 m: "
                                      "the coarser step misjudged the midway head by 0.369 m.")}
        << QStringList();
}

void DesignSheetProgramTest::runWarningsOnTheSheet() {
    QFETCH(QString, example);
    QFETCH(QStringList, runMessages);
    QFETCH(QStringList, readFromReport);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QDir::setCurrent(folder.path());
    const QString input = folder.filePath(QStringLiteral("case.inp"));
    if (example.contains(QStringLiteral("\r\n"))) {
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(example.toLatin1());
    } else {
        QVERIFY(QFile::copy(QStringLiteral(PELORIN_SOURCE_DIR "/Data/") + example, input));
    }
    const QString report = folder.filePath(QStringLiteral("case.out"));
    const QString copy = folder.filePath(QStringLiteral("copy.out"));
    const QString ofRun = folder.filePath(QStringLiteral("run.pdf"));
    const QString ofCopy = folder.filePath(QStringLiteral("copy.pdf"));

    Robot robot;
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    robot.Do(QStringLiteral("Open input"), [] { Main()->InputOpen->trigger(); });
    robot.ChooseFile(input);
    robot.Then(QStringLiteral("Save/Run"), NoDialogOpen,
               [] { Main()->Input_TabSheet->Filesave_Button->click(); });
    robot.ChooseFile(input);
    robot.AnswerQuestion(true);  // overwrite
    robot.AnswerQuestion(true);  // calculate
    for (qsizetype i = 0; i < runMessages.size(); ++i) robot.AnswerMessage();
    robot.AnswerMessage();  // the calculations were made
    robot.Then(
        QStringLiteral("the report of the run shown"),
        [] {
            return NoDialogOpen() && !Main()->SaveRun->Running() && !Output().ShownReport().empty();
        },
        [] { Main()->SaveAsPdf->trigger(); });
    robot.ChooseFile(ofRun);
    robot.AnswerMessage();
    robot.Then(QStringLiteral("the sheet saved"), NoDialogOpen, [&] {
        QFile::copy(report, copy);
        Main()->SheetTabs->setCurrentIndex(static_cast<int>(Sheet::Output));
        Output().SeeOutput_Button->click();
    });
    robot.ChooseFile(copy);
    robot.Then(QStringLiteral("the copy shown"), NoDialogOpen,
               [] { Main()->SaveAsPdf->trigger(); });
    robot.ChooseFile(ofCopy);
    robot.AnswerMessage();
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(robot.Messages.mid(0, runMessages.size()), runMessages);
    QVERIFY(robot.Messages.value(runMessages.size())
                .startsWith(QStringLiteral("The calculations were made")));

    const QString sheetOfRun = PdfText(ofRun);
    const QString sheetOfCopy = PdfText(ofCopy);
    QVERIFY(sheetOfRun.contains(QStringLiteral("Input data (")));
    QVERIFY(sheetOfCopy.contains(QStringLiteral("Input data (")));
    QCOMPARE(sheetOfRun.contains(QStringLiteral("Warnings of the run")), !runMessages.isEmpty());
    QVERIFY(!sheetOfRun.contains(QStringLiteral("Warnings read from the report")));
    QCOMPARE(sheetOfCopy.contains(QStringLiteral("Warnings read from the report")),
             !readFromReport.isEmpty());
    QVERIFY(!sheetOfCopy.contains(QStringLiteral("Warnings of the run")));
    for (const QString& message : runMessages) QCOMPARE(sheetOfRun.count(message.trimmed()), 1);
    for (const QString& message : readFromReport) QCOMPARE(sheetOfCopy.count(message.trimmed()), 1);
    QDir::setCurrent(QDir::tempPath());
}

// In the graph's save dialog the kind chosen gives a name typed without an
// extension its own: "SVG drawings" writes an SVG file.
void DesignSheetProgramTest::graphSavedAsADrawingOfTheKindChosen() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QDir::setCurrent(folder.path());
    Robot robot;
    QStringList kinds;
    robot.WaitFor(QStringLiteral("the main window"), MainShown);
    robot.Do(QStringLiteral("the Output sheet"),
             [] { Main()->SheetTabs->setCurrentIndex(static_cast<int>(Sheet::Output)); });
    robot.Do(QStringLiteral("Open output"), [] { Output().SeeOutput_Button->click(); });
    robot.ChooseFile(QStringLiteral(PELORIN_SOURCE_DIR "/Data/depth-pipe.out"));
    robot.Then(QStringLiteral("the report"), NoDialogOpen,
               [] { Output().ViewGraphButton->click(); });
    robot.Then(QStringLiteral("the graph"), NoDialogOpen, [] {
        Main()->Graphics_TabSheet->findChild<QPushButton*>("SaveGraphButton")->click();
    });
    robot.Then(
        QStringLiteral("the save dialog"),
        [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; },
        [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* kind = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < kind->count(); ++i) kinds << kind->itemText(i);
            const int svg = kinds.indexOf(QStringLiteral("SVG drawings (*.svg)"));
            kind->setCurrentIndex(svg);
            // What a click on the choice sends.
            emit kind->activated(svg);
            emit kind->textActivated(kind->itemText(svg));
            Robot::TypeIntoFileDialog(dialog, folder.filePath(QStringLiteral("drawing")));
        });
    robot.AnswerMessage();
    EndByFinish(robot);
    const int status = robot.RunProgram();
    QVERIFY2(robot.Finished(), qPrintable(robot.Waiting()));
    QCOMPARE(status, 0);
    QCOMPARE(kinds, QStringList({"Image files (*.bmp)", "PNG images (*.png)",
                                 "SVG drawings (*.svg)", "PDF documents (*.pdf)"}));
    const QString drawing = folder.filePath(QStringLiteral("drawing.svg"));
    QCOMPARE(robot.Messages, QStringList({QStringLiteral("The graph was saved in  ") + drawing}));
    QFile svg(drawing);
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QVERIFY(svg.readAll().contains("<svg"));
    QDir::setCurrent(QDir::tempPath());
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DesignSheetProgramTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "design_sheet_program_test.moc"
