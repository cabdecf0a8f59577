#pragma once

#include <QObject>
#include <QPrinter>
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace pelorin {

class UserDialogs;

namespace documents {
struct DesignSheetRead;
}

// Save as PDF… and Print…: the design sheet of the report the Output sheet
// shows, as a PDF file or printed after a preview. The page set-up chosen in
// the preview is kept for the rest of the session.
class DesignSheetActions : public QObject {
  public:
    // `shownReport` gives the report on the Output sheet (empty: none).
    DesignSheetActions(UserDialogs& dialogs, std::function<std::string()> shownReport,
                       QWidget* window);

    void SaveAsPdfExecute();
    void PrintExecute();

    // The printer of the session, with its page set-up.
    const QPrinter& Printer() const { return printer_; }

  private:
    // The sheet of the shown report; false (after a message) when there is none.
    bool ReadShownReport(documents::DesignSheetRead& read);

    UserDialogs& dialogs_;
    std::function<std::string()> shownReport_;
    QWidget* window_;
    QPrinter printer_;
    // Where the last design sheet was saved: the dialog opens there.
    QString pdfFolder_;
};

}  // namespace pelorin
