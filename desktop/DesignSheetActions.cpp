#include "DesignSheetActions.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <filesystem>
#include <system_error>

#include "DesignSheet.h"
#include "QtText.h"
#include "UserDialogs.h"

namespace pelorin {
namespace {

const char* const kNoReport =
    " No report is shown on the Output sheet: calculate a case or open an output file first.";
const char* const kNotSaved = "The design sheet was not saved";
const char* const kOverwrite = "The file already exists, overwrite?";
const char* const kSavedIn = "The design sheet was saved in ";

}  // namespace

DesignSheetActions::DesignSheetActions(UserDialogs& dialogs,
                                       std::function<std::string()> shownReport, QWidget* window)
    : QObject(window),
      dialogs_(dialogs),
      shownReport_(std::move(shownReport)),
      window_(window),
      printer_(QPrinter::HighResolution) {
    // The sheet is laid out for A4; the preview's page set-up may change it.
    printer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
}

bool DesignSheetActions::ReadShownReport(documents::DesignSheetRead& read) {
    const std::string report = shownReport_ ? shownReport_() : std::string();
    if (report.empty()) {
        dialogs_.ShowMessage(QString::fromLatin1(kNoReport));
        return false;
    }
    read = documents::ReadDesignSheet(report, RunMessagesOf(report),
                                      units_ ? units_() : UnitSystem::SI);
    if (!read.Read()) dialogs_.ShowMessage(read.Refusal);
    return read.Read();
}

void DesignSheetActions::RememberRun(const std::string& reportFile, const std::string& report,
                                     const std::vector<std::string>& messages) {
    lastRun_ = KnownRun{reportFile, report, messages};
}

// The same file (by its identity on the disk, whatever the name's form) with
// the same bytes: opened again on the Output sheet it is still that run's
// report; written over since, or a copy elsewhere, it is a saved report.
std::optional<std::vector<std::string>> DesignSheetActions::RunMessagesOf(
    const std::string& reportFile) const {
    if (!lastRun_) return std::nullopt;
    std::error_code error;
    if (!std::filesystem::equivalent(reportFile, lastRun_->ReportFile, error)) return std::nullopt;
    QFile file(FileNameFromStd(reportFile));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    if (file.readAll().toStdString() != lastRun_->Report) return std::nullopt;
    return lastRun_->Messages;
}

void DesignSheetActions::SaveAsPdfExecute() {
    documents::DesignSheetRead read;
    if (!ReadShownReport(read)) return;
    const QFileInfo report(FileNameFromStd(read.Sheet.ReportFile));
    const QString folder = pdfFolder_.isEmpty() ? report.absolutePath() : pdfFolder_;
    const QString fileName = dialogs_.SaveFileName(FileDialogSpec{
        QStringLiteral("Save design sheet as PDF"), QStringLiteral("PDF documents (*.pdf)"),
        QStringLiteral("pdf"), folder, report.completeBaseName() + QStringLiteral(".pdf")});
    if (fileName.isEmpty()) {
        dialogs_.ShowMessage(QString::fromLatin1(kNotSaved));
        return;
    }
    const std::string refusal = documents::DesignSheetOverReportRefusal(
        QFile::encodeName(fileName).toStdString(), read.Sheet.ReportFile);
    if (!refusal.empty()) {
        dialogs_.ShowMessage(QString::fromLocal8Bit(refusal));
        return;
    }
    if (QFileInfo::exists(fileName) && !dialogs_.AskYesNo(QString::fromLatin1(kOverwrite))) return;
    const QString error = documents::SaveDesignSheetPdf(read.Sheet, fileName);
    if (error.isEmpty()) pdfFolder_ = QFileInfo(fileName).absolutePath();
    dialogs_.ShowMessage(error.isEmpty() ? QString::fromLatin1(kSavedIn) + fileName : error);
}

void DesignSheetActions::PrintExecute() {
    documents::DesignSheetRead read;
    if (!ReadShownReport(read)) return;
    printer_.setDocName(FileNameFromStd(read.Sheet.ReportFile));
    QPrintPreviewDialog preview(&printer_, window_);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("Print design sheet"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
            [&read](QPrinter* printer) { documents::PaintDesignSheet(*printer, read.Sheet); });
    preview.exec();
}

}  // namespace pelorin
