#pragma once

#include <QString>

namespace pelorin {

// What a file dialog is asked to show.
struct FileDialogSpec {
    QString Title;
    QString Filter;         // "Input files (*.inp)"
    QString DefaultSuffix;  // "inp"
    QString InitialFolder;  // empty: the platform's default
    QString InitialName;    // the file name filled in, if any
};

// Every message box and file dialog of the windows goes through this, so that
// tests can script the user's answers.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;
    // A modal information box with an OK button.
    virtual void ShowMessage(const QString& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const QString& question) = 0;
    // The chosen file, or an empty text when the user cancelled.
    virtual QString OpenFileName(const FileDialogSpec& spec) = 0;
    virtual QString SaveFileName(const FileDialogSpec& spec) = 0;
};

}  // namespace pelorin
