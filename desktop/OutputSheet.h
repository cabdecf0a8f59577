#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

#include "Calculate.h"
#include "DesktopSession.h"
#include "SheetHost.h"
#include "Units.h"
#include "UserDialogs.h"

class QAction;

namespace pelorin {

// The report viewer: the report of the last run, an opened report, or the
// error list of a refused case, with the legend of the report's symbols.
class OutputSheet : public QWidget {
    Q_OBJECT
  public:
    OutputSheet(DesktopSession& session, UserDialogs& dialogs, SheetHost& host,
                WorkflowFlags& flags, QWidget* parent = nullptr);

    void AttachOutputOpen(QAction* outputOpen);
    // "Save as PDF…" runs the window's action of that name.
    void AttachSaveAsPdf(QAction* saveAsPdf);
    // The units the Input sheet shows: in US units the figures of the last
    // run stand below its report (which stays in metres and days).
    void SetUnitsSource(std::function<UnitSystem()> units) { units_ = std::move(units); }
    // The typed figures of the run whose report the sheet shows next.
    void RememberRunResults(CalcAim aim, const CaseResults& results);
    // The report whose lines the sheet shows; empty while it shows none.
    const std::string& ShownReport() const { return shownReport_; }

    QPlainTextEdit* Output_Memo;
    QLabel* Joule_Image;
    QPlainTextEdit* Symbols_Memo;
    QPushButton* FigureButton2;
    QPushButton* ViewGraphButton;
    QPushButton* Symbols_Button;
    QPushButton* SeeOutput_Button;
    QPushButton* SavePdf_Button;

    // Event handlers.
    void Output_TabSheetShow();
    void Symbols_ButtonClick();
    void FigureButton2Click() { host_.ShowFigureWindow(); }
    void OutputOpenExecute();
    void ViewGraphButtonClick() { host_.ViewGraph(); }

    // The picture instead of a report (an input file was opened).
    void ShowPicture();
    // A refused case has no report to explain.
    void HideFigureButton() { FigureButton2->hide(); }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowNothingLoaded();
    void ShowSavedCase();
    QStringList ReportLinesRead() const;
    void ShowErrorList();
    void ShowReport(const std::string& fileName);
    void FillMemo(const QStringList& lines);
    void ShowReportButtons();

    DesktopSession& session_;
    UserDialogs& dialogs_;
    SheetHost& host_;
    WorkflowFlags& flags_;
    // The error list last shown: the file is deleted once it has been read,
    // so showing the sheet again shows these lines.
    QStringList errorList_;
    std::string shownReport_;
    std::function<UnitSystem()> units_;
    struct RunFigures {
        CalcAim Aim;
        CaseResults Results;
    };
    std::optional<RunFigures> runFigures_;
};

QStringList SymbolsLegendLines();

// The sought quantity (with the report's decimals) and the midway heads and
// depths (3) of a run in `units`, one "name (unit): value" line each, under a
// heading.
QStringList ResultLinesInUnits(CalcAim aim, const CaseResults& results, UnitSystem units);

}  // namespace pelorin
