#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

#include "DesktopSession.h"
#include "SheetHost.h"
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
};

QStringList SymbolsLegendLines();

}  // namespace pelorin
