#pragma once

#include <QWidget>

#include "UserDialogs.h"

namespace pelorin {

// The real message boxes and file dialogs, modal to the given window.
class QtUserDialogs : public UserDialogs {
  public:
    explicit QtUserDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const QString& text) override;
    bool AskYesNo(const QString& question) override;
    QString OpenFileName(const FileDialogSpec& spec) override;
    QString SaveFileName(const FileDialogSpec& spec) override;

  private:
    QWidget* parent_;
};

// Runs an open or save dialog and, when a file was chosen, makes its folder the
// process's current folder, where relative names such as "Error.lst" live.
QString ChooseFileToOpen(UserDialogs& dialogs, const FileDialogSpec& spec);
QString ChooseFileToSave(UserDialogs& dialogs, const FileDialogSpec& spec);

}  // namespace pelorin
