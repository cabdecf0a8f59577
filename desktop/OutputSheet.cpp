#include "OutputSheet.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <utility>

#include "FileSystem.h"
#include "InputChecks.h"
#include "Pictures.h"
#include "QtText.h"
#include "ReportNames.h"
#include "StatusLineWindow.h"
#include "SymbolsLegend.h"

namespace pelorin {

namespace {

// The sheet as designed.
constexpr int kDesignWidth = 709;
constexpr int kDesignHeight = 510;

QPushButton* Button(QWidget* parent, const QString& caption, const QRect& place, const char* name) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    return button;
}

}  // namespace

QStringList ResultLinesInUnits(CalcAim aim, const CaseResults& results, UnitSystem units) {
    const auto line = [units](const char* name, Dimension d, double si, int decimals) {
        return QStringLiteral(" %1 (%2): %3")
            .arg(QString::fromLatin1(name), QString::fromLatin1(UnitName(d, units)),
                 QString::fromStdString(ShowResult(si, d, units, decimals)));
    };
    static constexpr std::array<const char*, 4> kSoughtSymbols = {"S", "R", "Dm", "K"};
    QStringList lines{QStringLiteral(" #"),
                      QStringLiteral(" In US customary units (the report above is in metres "
                                     "and days):"),
                      line(kSoughtSymbols[static_cast<std::size_t>(aim)], SoughtDimension(aim),
                           results.Sought, results.SoughtDecimals)};
    const std::pair<const char*, double> midway[] = {
        {"Midway head, Darcy", results.HeadDarcy},
        {"Midway head, energy balance", results.HeadEnergy},
        {"Midway depth, Darcy", results.DepthDarcy},
        {"Midway depth, energy balance", results.DepthEnergy},
    };
    for (const auto& [name, si] : midway) lines << line(name, Dimension::Length, si, 3);
    // The profile's distances and heads, with the report's 2 and 4 decimals.
    const auto cell = [units](double si, int decimals) {
        return QStringLiteral("%1").arg(
            QString::fromStdString(ShowResult(si, Dimension::Length, units, decimals)), 12);
    };
    const QString unit = QString::fromLatin1(UnitName(Dimension::Length, units));
    lines << QStringLiteral(" %1%2%3")
                 .arg(QStringLiteral("X (%1)").arg(unit), 11)
                 .arg(QStringLiteral("F* (%1)").arg(unit), 12)
                 .arg(QStringLiteral("F (%1)").arg(unit), 12);
    for (const ProfileFigures& row : results.Profile)
        lines << QStringLiteral(" ") + cell(row.X, 2).mid(1) + cell(row.FStar, 4) + cell(row.F, 4);
    return lines;
}

void OutputSheet::RememberRunResults(CalcAim aim, const CaseResults& results) {
    runFigures_ = RunFigures{aim, results};
}

QStringList SymbolsLegendLines() {
    QStringList lines;
    for (const char* line : kSymbolsLegend) lines << QString::fromLatin1(line);
    return lines;
}

OutputSheet::OutputSheet(DesktopSession& session, UserDialogs& dialogs, SheetHost& host,
                         WorkflowFlags& flags, QWidget* parent)
    : QWidget(parent), session_(session), dialogs_(dialogs), host_(host), flags_(flags) {
    setFont(DesignFont(QStringLiteral("Tahoma"), 13));
    Output_Memo = new QPlainTextEdit(this);
    Output_Memo->setObjectName(QStringLiteral("Output_Memo"));
    Output_Memo->setGeometry(22, 16, 599, 448);
    Output_Memo->setFont(DesignFont(QStringLiteral("Courier New"), 13));
    Output_Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Output_Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Output_Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Output_Memo->setReadOnly(true);
    Output_Memo->hide();

    Joule_Image = new QLabel(this);
    Joule_Image->setObjectName(QStringLiteral("Joule_Image"));
    Joule_Image->setGeometry(548, 288, 141, 171);
    Joule_Image->setPixmap(CartoonPicture());

    Symbols_Memo = new QPlainTextEdit(this);
    Symbols_Memo->setObjectName(QStringLiteral("Symbols_Memo"));
    Symbols_Memo->setGeometry(417, 244, 185, 201);
    Symbols_Memo->setFont(DesignFont(QStringLiteral("Tahoma"), 11));
    Symbols_Memo->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: rgb(255, 251, 221); }"));
    Symbols_Memo->setReadOnly(true);
    Symbols_Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Symbols_Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Symbols_Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Symbols_Memo->setPlainText(SymbolsLegendLines().join(QLatin1Char('\n')));
    Symbols_Memo->hide();

    FigureButton2 =
        Button(this, QStringLiteral("Figure"), QRect(288, 476, 75, 25), "FigureButton2");
    ViewGraphButton =
        Button(this, QStringLiteral("See graph"), QRect(384, 476, 89, 25), "ViewGraphButton");
    Symbols_Button =
        Button(this, QStringLiteral("Symbols"), QRect(488, 476, 99, 25), "Symbols_Button");
    SeeOutput_Button =
        Button(this, QStringLiteral("Open output"), QRect(602, 476, 97, 25), "SeeOutput_Button");
    SavePdf_Button = Button(this, QStringLiteral("Save as PDF\u2026"), QRect(170, 476, 105, 25),
                            "SavePdf_Button");
    connect(FigureButton2, &QPushButton::clicked, this, &OutputSheet::FigureButton2Click);
    connect(ViewGraphButton, &QPushButton::clicked, this, &OutputSheet::ViewGraphButtonClick);
    connect(Symbols_Button, &QPushButton::clicked, this, &OutputSheet::Symbols_ButtonClick);
    ShowNothingLoaded();
}

void OutputSheet::AttachOutputOpen(QAction* outputOpen) {
    connect(SeeOutput_Button, &QPushButton::clicked, outputOpen, &QAction::trigger);
}

void OutputSheet::AttachSaveAsPdf(QAction* saveAsPdf) {
    connect(SavePdf_Button, &QPushButton::clicked, saveAsPdf, &QAction::trigger);
}

// Enlarged, the memo takes the extra room and what stands below and beside it
// moves along; below the designed size the page scrolls instead.
void OutputSheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int wider = std::max(0, width() - kDesignWidth);
    const int taller = std::max(0, height() - kDesignHeight);
    Output_Memo->setGeometry(22, 16, 599 + wider, 448 + taller);
    Symbols_Memo->move(417 + wider, 244 + taller);
    Joule_Image->move(548 + wider, 288 + taller);
    SavePdf_Button->move(170, 476 + taller);
    FigureButton2->move(288, 476 + taller);
    ViewGraphButton->move(384, 476 + taller);
    Symbols_Button->move(488, 476 + taller);
    SeeOutput_Button->move(602, 476 + taller);
}

void OutputSheet::ShowNothingLoaded() {
    shownReport_.clear();
    SavePdf_Button->hide();
    Output_Memo->hide();
    Symbols_Memo->hide();
    Symbols_Button->hide();
    ViewGraphButton->hide();
    FigureButton2->hide();
    Joule_Image->show();
}

void OutputSheet::ShowPicture() {
    Output_Memo->hide();
    Joule_Image->show();
}

void OutputSheet::Output_TabSheetShow() {
    host_.ShowStatus(QStringLiteral(
        "The output file can be inspected. Use \"See output\" to see examples under \"Data\" or "
        "to inspect any other output file."));
    if (flags_.CaseSavedWithoutRun) {
        ShowSavedCase();
        return;
    }
    if (!flags_.OutputShown) {
        ShowNothingLoaded();
        host_.HideFigureWindow();
    } else {
        Output_Memo->show();
    }
    if (!flags_.RunDone) return;
    Output_Memo->hide();
    Joule_Image->hide();
    session_.CurrentFileName = WithExtension(session_.CurrentFileName, ".out");
    if (flags_.CheckFailed) {
        ShowErrorList();
    } else {
        ShowReport(session_.CurrentFileName);
        flags_.OutputShown = true;
    }
    Output_Memo->show();
}

// The case saved last has not been calculated since: its report, when there is
// one, is shown as an older one, and no other case's report stands in for it.
void OutputSheet::ShowSavedCase() {
    Joule_Image->hide();
    session_.CurrentFileName = WithExtension(flags_.SavedInputFile, ".out");
    if (!QFileInfo::exists(FileNameFromStd(session_.CurrentFileName))) {
        FillMemo({QStringLiteral(" No report has been calculated for this case yet.")});
        shownReport_.clear();
        SavePdf_Button->hide();
        for (QWidget* widget :
             {static_cast<QWidget*>(Symbols_Memo), static_cast<QWidget*>(Symbols_Button),
              static_cast<QWidget*>(ViewGraphButton), static_cast<QWidget*>(FigureButton2)})
            widget->hide();
        Symbols_Button->setText(QStringLiteral("Symbols"));
        flags_.OutputShown = false;
    } else {
        const std::string problem = session_.ReadReportLines(session_.CurrentFileName);
        if (!problem.empty()) dialogs_.ShowMessage(FromFileText(problem));
        FillMemo(QStringList{QStringLiteral(
                     " This report was calculated before the case was last saved.")} +
                 ReportLinesRead());
        shownReport_ = session_.CurrentFileName;
        ShowReportButtons();
        flags_.OutputShown = true;
    }
    Output_Memo->show();
}

QStringList OutputSheet::ReportLinesRead() const {
    QStringList lines;
    for (int i = 0; i < session_.ReportLineCount; ++i)
        lines << ReportLineForDisplay(i + 1, session_.ReportLines[i]);
    return lines;
}

void OutputSheet::ShowErrorList() {
    // The list of the latest refusal is shown once, and its file removed.
    if (!session_.ErrorLines.empty()) {
        errorList_.clear();
        for (const std::string& line : session_.ErrorLines) errorList_ << FromFileText(line);
        errorList_ << QString();
        session_.ErrorLines.clear();
        RemoveEntry(session_.ErrorListFile);
    }
    FillMemo(errorList_);
    shownReport_.clear();
    SavePdf_Button->hide();
}

void OutputSheet::ShowReport(const std::string& fileName) {
    const std::string problem = session_.ReadReportLines(fileName);
    if (!problem.empty()) dialogs_.ShowMessage(FromFileText(problem));
    QStringList lines = ReportLinesRead();
    if (runFigures_ && units_ && units_() == UnitSystem::US)
        lines << ResultLinesInUnits(runFigures_->Aim, runFigures_->Results, UnitSystem::US);
    FillMemo(lines);
    shownReport_ = fileName;
    ShowReportButtons();
}

void OutputSheet::FillMemo(const QStringList& lines) {
    Output_Memo->clear();
    Output_Memo->setPlainText(lines.join(QLatin1Char('\n')));
}

void OutputSheet::ShowReportButtons() {
    SavePdf_Button->show();
    ViewGraphButton->show();
    Symbols_Button->show();
    FigureButton2->show();
}

void OutputSheet::Symbols_ButtonClick() {
    const bool show = !Symbols_Memo->isVisible();
    Symbols_Memo->setVisible(show);
    Symbols_Button->setText(show ? QStringLiteral("Close symbols") : QStringLiteral("Symbols"));
}

void OutputSheet::OutputOpenExecute() {
    Output_Memo->hide();
    host_.SetGraphInColour(true);
    const QString chosen = host_.ChooseFile(MainDialog::OutputOpen);
    if (chosen.isEmpty()) {
        dialogs_.ShowMessage(QStringLiteral("No output file was selected"));
        return;
    }
    session_.CurrentFileName = FileNameToStd(chosen);
    if (!QFileInfo::exists(chosen)) {
        dialogs_.ShowMessage(QStringLiteral("File does not exist, please select another one,"));
        return;
    }
    const std::string problem = session_.ReadReportLines(session_.CurrentFileName);
    if (!problem.empty()) dialogs_.ShowMessage(FromFileText(problem));
    host_.ShowStatus(QStringLiteral("The output file can be imported into spreadsheets"));
    FillMemo(ReportLinesRead());
    shownReport_ = session_.CurrentFileName;
    // The report chosen is the one to show from now on.
    flags_.CaseSavedWithoutRun = false;
    host_.FollowChosenFolder();
    Output_Memo->show();
    Joule_Image->hide();
    ShowReportButtons();
    flags_.OutputShown = true;
    host_.BringToFront(Sheet::Output);
}

}  // namespace pelorin
