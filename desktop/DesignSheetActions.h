#pragma once

#include <QObject>
#include <QPrinter>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Units.h"

class QWidget;

namespace pelorin {

class UserDialogs;

namespace documents {
struct DesignSheetRead;
}

// Save as PDF… and Print…: the design sheet of the report the Output sheet
// shows, as a PDF file or printed after a preview. The page set-up chosen in
// the preview is kept for the rest of the session. The sheet of the report
// that the last Save/Run wrote, while the file is as it wrote it, shows that
// run's messages; any other report's sheet reads its warnings from the report.
class DesignSheetActions : public QObject {
  public:
    // `shownReport` gives the report on the Output sheet (empty: none).
    DesignSheetActions(UserDialogs& dialogs, std::function<std::string()> shownReport,
                       QWidget* window);

    void SaveAsPdfExecute();
    void PrintExecute();

    // The units the user has chosen: a US sheet shows its numbers in US units
    // with the report's SI values beside them.
    void SetUnitsSource(std::function<UnitSystem()> units) { units_ = std::move(units); }

    // The printer of the session, with its page set-up.
    const QPrinter& Printer() const { return printer_; }

    // The report a run has just written, with the run's messages: the sheet
    // of that report shows them as long as the file is what the run wrote.
    void RememberRun(const std::string& reportFile, const std::string& report,
                     const std::vector<std::string>& messages);

  private:
    // The sheet of the shown report; false (after a message) when there is none.
    bool ReadShownReport(documents::DesignSheetRead& read);
    // The messages of the run that wrote `reportFile` as it now is; none when
    // that run is not known.
    std::optional<std::vector<std::string>> RunMessagesOf(const std::string& reportFile) const;

    struct KnownRun {
        std::string ReportFile;
        std::string Report;
        std::vector<std::string> Messages;
    };

    UserDialogs& dialogs_;
    std::function<std::string()> shownReport_;
    std::function<UnitSystem()> units_;
    QWidget* window_;
    QPrinter printer_;
    // Where the last design sheet was saved: the dialog opens there.
    QString pdfFolder_;
    std::optional<KnownRun> lastRun_;
};

}  // namespace pelorin
