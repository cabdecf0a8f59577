#include "QtUserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace pelorin {

void QtUserDialogs::ShowMessage(const QString& text) {
    QMessageBox::information(parent_, QApplication::applicationName(), text);
}

bool QtUserDialogs::AskYesNo(const QString& question) {
    return QMessageBox::question(parent_, QStringLiteral("Confirm"), question,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

namespace {

// "PNG images (*.png)" gives "png"; a filter of several patterns its first.
QString SuffixOfFilter(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(filter).captured(1);
}

QString RunDialog(QWidget* parent, const FileDialogSpec& spec, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, spec.Title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    // Save/Run asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter(spec.Filter);
    dialog.setDefaultSuffix(spec.DefaultSuffix);
    // A name typed without an extension gets the one of the kind chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                         const QString suffix = SuffixOfFilter(filter);
                         if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
                     });
    if (!spec.InitialFolder.isEmpty()) dialog.setDirectory(spec.InitialFolder);
    if (!spec.InitialName.isEmpty()) dialog.selectFile(spec.InitialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString MoveToFolderOf(const QString& fileName) {
    if (!fileName.isEmpty()) QDir::setCurrent(QFileInfo(fileName).absolutePath());
    return fileName;
}

}  // namespace

QString QtUserDialogs::OpenFileName(const FileDialogSpec& spec) {
    return RunDialog(parent_, spec, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::SaveFileName(const FileDialogSpec& spec) {
    return RunDialog(parent_, spec, QFileDialog::AcceptSave);
}

QString ChooseFileToOpen(UserDialogs& dialogs, const FileDialogSpec& spec) {
    return MoveToFolderOf(dialogs.OpenFileName(spec));
}

QString ChooseFileToSave(UserDialogs& dialogs, const FileDialogSpec& spec) {
    return MoveToFolderOf(dialogs.SaveFileName(spec));
}

}  // namespace pelorin
