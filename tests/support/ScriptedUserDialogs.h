#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

#include "UserDialogs.h"

namespace pelorin {

// Dialogs that answer from a script instead of asking a person: the tests use
// it, and so does the screenshot run of the program. An empty script answers
// "cancel" to a file dialog and No to a question.
class ScriptedUserDialogs : public UserDialogs {
  public:
    QQueue<QString> FileAnswers;  // for open and save dialogs, in order
    QQueue<bool> YesNoAnswers;

    QStringList Messages;   // every message shown, in order
    QStringList Questions;  // every question asked
    QList<FileDialogSpec> FileDialogs;
    // Called for each message after it is recorded (a test may act there).
    std::function<void(const QString&)> OnMessage;
    // Called for each question before it is answered.
    std::function<void(const QString&)> OnQuestion;

    void ShowMessage(const QString& text) override {
        Messages << text;
        if (OnMessage) OnMessage(text);
    }
    bool AskYesNo(const QString& question) override {
        Questions << question;
        if (OnQuestion) OnQuestion(question);
        return YesNoAnswers.isEmpty() ? false : YesNoAnswers.dequeue();
    }
    QString OpenFileName(const FileDialogSpec& spec) override { return Answer(spec); }
    QString SaveFileName(const FileDialogSpec& spec) override { return Answer(spec); }

  private:
    QString Answer(const FileDialogSpec& spec) {
        FileDialogs << spec;
        return FileAnswers.isEmpty() ? QString() : FileAnswers.dequeue();
    }
};

}  // namespace pelorin
