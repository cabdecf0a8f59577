// The design study window as an engineer uses it: opened on the Input sheet's
// case, a completed study whose table agrees with single runs of its cases and
// whose table and chart are saved, and a cancelled study.

#include <QImage>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <set>

#include "CaseFiles.h"
#include "DesignStudyWindow.h"
#include "GuiTestSupport.h"
#include "InputFile.h"
#include "QtText.h"
#include "ReportContents.h"
#include "RunSink.h"
#include "ScriptedUserDialogs.h"
#include "SweepChartFile.h"

using namespace pelorin;
using pelorin::test::Harness;
using pelorin::test::ReadText;

namespace {

constexpr int kStudyTimeout = 120000;
const char* const kExample = "spacing-darcy-pipe.inp";

// The fields of a CSV line; quoted fields may hold separators and doubled quotes.
QStringList CsvFields(const QString& line) {
    QStringList fields{QString()};
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += c;
            ++i;
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char(',')) {
            fields << QString();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

int Column(const QTableWidget& table, const QString& name) {
    for (int c = 0; c < table.columnCount(); ++c)
        if (table.horizontalHeaderItem(c)->text() == name) return c;
    return -1;
}

QString Cell(const QTableWidget& table, int row, const QString& column) {
    const int c = Column(table, column);
    return c < 0 || table.item(row, c) == nullptr ? QString() : table.item(row, c)->text();
}

void Choose(QComboBox* box, Quantity q) {
    const int index = box->findData(static_cast<int>(q));
    QVERIFY(index >= 0);
    box->setCurrentIndex(index);
}

// The sought quantity of one case run on its own, as its report prints it.
QString SingleRunResult(const QString& folder, const InputCase& input, int index) {
    const std::string name =
        FileNameToStd(QDir(folder).filePath(QStringLiteral("single-%1.inp").arg(index)));
    if (WriteInputFile(name, input).Status != FileStatus::Ok) return QStringLiteral("unwritten");
    FileRunOptions options;
    options.ErrorListFile = FileNameToStd(QDir(folder).filePath(QStringLiteral("single.lst")));
    SilentSink sink;
    const FileRun run = RunInputFile(name, sink, options);
    if (run.Outcome.End != CaseEnd::Reported) return QStringLiteral("refused");
    const ReportContents report = ReadReportContents(run.ReportPath);
    return QString::fromStdString(report.ResultGroups.front().front().Value);
}

}  // namespace

class DesignStudyTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void opensOnTheSheetsCase();
    void completedStudyAgreesWithSingleRunsAndSaves();
    void cancelledStudyKeepsItsFirstResultsOnly();
    void closingTheWindowStopsTheStudy();
    void endingTheProgramStopsTheStudy();

  private:
    DesignStudyWindow& OpenStudy(Harness& h) {
        h.OpenInput(h.CopyExample(QString::fromLatin1(kExample)));
        h.Window().BringToFront(Sheet::Input);
        QTest::mouseClick(h.Input().DesignStudy_Button, Qt::LeftButton);
        return *h.Window().DesignStudy_Window;
    }
    // A grid of several thousand cases: long enough to be cancelled under way.
    static void AskForALongStudy(DesignStudyWindow& window) {
        Choose(window.Quantity_Boxes[0], Quantity::R);
        window.Range_Edits[0]->setText(QStringLiteral("0.001:0.02:0.0001"));
        Choose(window.Quantity_Boxes[1], Quantity::D2);
        window.Range_Edits[1]->setText(QStringLiteral("3.0:4.2:0.1"));
        window.Methods_Box->setCurrentIndex(2);
    }
};

void DesignStudyTest::opensOnTheSheetsCase() {
    Harness h;
    DesignStudyWindow& window = OpenStudy(h);
    QVERIFY(window.isVisible());
    QVERIFY(h.Dialogs.Messages.isEmpty());
    // Only quantities of the spacing aim are offered; the first is R, around
    // the case's own 0.0070 m/day.
    QCOMPARE(window.Quantity_Boxes[0]->currentData().toInt(), static_cast<int>(Quantity::R));
    QCOMPARE(window.Quantity_Boxes[0]->findData(static_cast<int>(Quantity::S)), -1);
    QCOMPARE(window.Quantity_Boxes[1]->currentText(), QStringLiteral("(none)"));
    QCOMPARE(window.Range_Edits[0]->text(), QStringLiteral("0.0034:0.0106:0.0018"));
    QCOMPARE(window.Methods_Box->currentText(), QStringLiteral("Darcy"));
    QVERIFY(window.Case_Label->text().contains(QStringLiteral("Drain spacing")));
    QVERIFY(!window.SaveTable_Button->isEnabled());
    // The main window's Study menu opens it too.
    window.close();
    QMenu* studyMenu = nullptr;
    for (QAction* menu : h.Window().menuBar()->actions())
        if (menu->text() == QStringLiteral("St&udy")) studyMenu = menu->menu();
    QVERIFY(studyMenu != nullptr);
    QVERIFY(studyMenu->actions().contains(h.Window().DesignStudy));
    h.Window().DesignStudy->trigger();
    QVERIFY(window.isVisible());

    // A range that is no range is refused before anything runs.
    window.Range_Edits[0]->setText(QStringLiteral("0.001:0.01:0"));
    QTest::mouseClick(window.Run_Button, Qt::LeftButton);
    QCOMPARE(h.Dialogs.Messages.size(), 1);
    QVERIFY(h.Dialogs.Messages.front().startsWith(QStringLiteral("The values of R")));
    QVERIFY(!window.Running());
}

void DesignStudyTest::completedStudyAgreesWithSingleRunsAndSaves() {
    Harness h;
    DesignStudyWindow& window = OpenStudy(h);
    Choose(window.Quantity_Boxes[0], Quantity::R);
    window.Range_Edits[0]->setText(QStringLiteral("0.004:0.008:0.002"));
    Choose(window.Quantity_Boxes[1], Quantity::D2);
    window.Range_Edits[1]->setText(QStringLiteral("3.5,4.5"));
    window.Methods_Box->setCurrentIndex(2);
    QSignalSpy ended(&window, &DesignStudyWindow::StudyEnded);
    QTest::mouseClick(window.Run_Button, Qt::LeftButton);
    QVERIFY(window.Running());
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kStudyTimeout);
    QVERIFY(window.Status_Label->text().startsWith(QStringLiteral("Completed: 12")));

    const QTableWidget& table = *window.Results_Table;
    QCOMPARE(table.rowCount(), 12);
    const InputReadResult example =
        ReadInputFile(FileNameToStd(h.Path(QString::fromLatin1(kExample))));
    QCOMPARE(example.Status, FileStatus::Ok);
    std::set<QString> combinations;
    for (int row = 0; row < table.rowCount(); ++row) {
        QCOMPARE(Cell(table, row, QStringLiteral("row")).toInt(), row + 1);
        QCOMPARE(Cell(table, row, QStringLiteral("status")), QStringLiteral("ok"));
        InputCase input = example.Case;
        input.MethodCode = Cell(table, row, QStringLiteral("method")).toStdString();
        input.Values[PositionOf(CalcAim::Spacing, Quantity::R) - 1] =
            Cell(table, row, QStringLiteral("R")).toDouble();
        input.Values[PositionOf(CalcAim::Spacing, Quantity::D2) - 1] =
            Cell(table, row, QStringLiteral("D2")).toDouble();
        combinations.insert(Cell(table, row, QStringLiteral("method")) + ' ' +
                            Cell(table, row, QStringLiteral("R")) + ' ' +
                            Cell(table, row, QStringLiteral("D2")));
        QVERIFY(!Cell(table, row, QStringLiteral("result")).isEmpty());
        QCOMPARE(Cell(table, row, QStringLiteral("result")),
                 SingleRunResult(h.Path("."), input, row));
    }
    QCOMPARE(combinations.size(), std::size_t{12});
    QVERIFY(combinations.count(QStringLiteral("Ene 0.0080 4.500")) == 1);

    // Opened again on the same case, the window keeps its study.
    h.Window().DesignStudy->trigger();
    QCOMPARE(window.Results_Table->rowCount(), 12);
    QCOMPARE(window.Range_Edits[1]->text(), QStringLiteral("3.5,4.5"));

    // The chart: one line per method and value of D2, each through every R;
    // resting on a point tells its values.
    const study::SweepChart& chart = window.Chart->Chart();
    QCOMPARE(chart.Lines.size(), std::size_t{4});
    for (const study::ChartLine& line : chart.Lines) QCOMPARE(line.Points.size(), std::size_t{3});
    const auto [x, y] = chart.Lines.front().Points.back();
    const QString tip =
        window.Chart->PointTextAt(study::SweepChartPoint(chart, window.Chart->size(), x, y));
    QVERIFY2(tip.contains(QString::number(y)), qPrintable(tip));
    QVERIFY(tip.contains(QString::number(x)));
    QVERIFY(window.Chart->PointTextAt(QPointF(-100, -100)).isEmpty());

    // The table as CSV: RESULTS.csv's header and one well-formed line per case.
    QVERIFY(window.SaveTable_Button->isEnabled());
    h.Dialogs.FileAnswers << h.Path("study.csv");
    QTest::mouseClick(window.SaveTable_Button, Qt::LeftButton);
    const QStringList lines = ReadText(h.Path("study.csv")).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.front(),
             QStringLiteral("row,name,aim,method,R,D1,D2,Dw,Db,E,W,Ka,Kb1,Kv1,Kb2,Kv2,Dm,S,status,"
                            "result,head_darcy,head_energy,depth_darcy,depth_energy,message,"
                            "seconds"));
    for (int row = 0; row < 12; ++row) {
        const QStringList fields = CsvFields(lines[row + 1]);
        QCOMPARE(fields.size(), 26);
        QCOMPARE(fields[0].toInt(), row + 1);
        QCOMPARE(fields[2], QStringLiteral("Spa"));
        QCOMPARE(fields[19], Cell(table, row, QStringLiteral("result")));
    }

    // The chart as PNG and as SVG.
    h.Dialogs.FileAnswers << h.Path("study.png") << h.Path("study.svg");
    QTest::mouseClick(window.SaveChart_Button, Qt::LeftButton);
    QTest::mouseClick(window.SaveChart_Button, Qt::LeftButton);
    const QImage picture(h.Path("study.png"));
    QCOMPARE(picture.size(), QSize(study::kChartWidth, study::kChartHeight));
    QVERIFY(ReadText(h.Path("study.svg")).contains(QStringLiteral("<svg")));
    QVERIFY(h.Dialogs.Messages.isEmpty());
}

void DesignStudyTest::cancelledStudyKeepsItsFirstResultsOnly() {
    Harness h;
    DesignStudyWindow& window = OpenStudy(h);
    AskForALongStudy(window);
    QSignalSpy ended(&window, &DesignStudyWindow::StudyEnded);
    QTest::mouseClick(window.Run_Button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.Results_Table->rowCount() > 0, kStudyTimeout);
    QVERIFY(!window.Run_Button->isEnabled());
    QTest::mouseClick(window.Cancel_Button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kStudyTimeout);
    QVERIFY(window.Status_Label->text().startsWith(QStringLiteral("Cancelled")));

    // The rows shown are the first ones of the study, in order, and no more
    // come once it has stopped.
    const int shown = window.Results_Table->rowCount();
    QVERIFY2(shown < 191 * 13 * 2, qPrintable(QString::number(shown)));
    for (int row = 0; row < shown; ++row)
        QCOMPARE(Cell(*window.Results_Table, row, QStringLiteral("row")).toInt(), row + 1);
    QTest::qWait(300);
    QCOMPARE(window.Results_Table->rowCount(), shown);
    QCOMPARE(static_cast<int>(window.Results().size()), shown);

    // The window is usable again: a small study runs to its end.
    QVERIFY(window.Run_Button->isEnabled());
    Choose(window.Quantity_Boxes[1], Quantity::D2);
    window.Quantity_Boxes[1]->setCurrentIndex(0);  // (none)
    window.Range_Edits[0]->setText(QStringLiteral("0.005,0.006"));
    QTest::mouseClick(window.Run_Button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, kStudyTimeout);
    QCOMPARE(window.Results_Table->rowCount(), 4);
    QCOMPARE(Cell(*window.Results_Table, 3, QStringLiteral("status")), QStringLiteral("ok"));
}

void DesignStudyTest::closingTheWindowStopsTheStudy() {
    Harness h;
    DesignStudyWindow& window = OpenStudy(h);
    AskForALongStudy(window);
    QTest::mouseClick(window.Run_Button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.Results_Table->rowCount() > 0, kStudyTimeout);
    QVERIFY(window.close());
    QVERIFY(!window.Running());
    QVERIFY(!window.isVisible());
}

void DesignStudyTest::endingTheProgramStopsTheStudy() {
    Harness h;
    DesignStudyWindow& window = OpenStudy(h);
    AskForALongStudy(window);
    QTest::mouseClick(window.Run_Button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.Results_Table->rowCount() > 0, kStudyTimeout);
    h.Window().EndProgram();
    QVERIFY(!window.Running());
    QVERIFY(window.Results_Table->rowCount() < 191 * 13 * 2);
}

QTEST_MAIN(DesignStudyTest)
#include "design_study_test.moc"
