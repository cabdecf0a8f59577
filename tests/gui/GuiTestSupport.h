#pragma once

// The program as a test drives it: real windows on the offscreen platform,
// dialogs answered from a script, and a temporary folder as current folder.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

#include "ProgramObjects.h"
#include "ScriptedUserDialogs.h"

namespace pelorin::test {

class Harness {
  public:
    explicit Harness(std::chrono::milliseconds pause = std::chrono::milliseconds(5))
        : program_((QDir::setCurrent(folder_.path()), std::make_unique<ProgramObjects>(Dialogs))) {
        Window().SaveRun->PauseLength = pause;
        Window().show();
    }
    ~Harness() { QDir::setCurrent(QDir::tempPath()); }

    ScriptedUserDialogs Dialogs;

    ProgramObjects& Program() { return *program_; }
    MainWindow& Window() { return program_->Main; }
    InputSheet& Input() { return *Window().Input_TabSheet; }
    OutputSheet& Output() { return *Window().Output_TabSheet; }

    QString Path(const QString& name) const { return QDir(folder_.path()).filePath(name); }

    // A copy of an example of Data/ in the test's folder.
    QString CopyExample(const QString& name, const QString& as = QString()) {
        const QString target = Path(as.isEmpty() ? name : as);
        QFile::remove(target);
        QFile::copy(QStringLiteral(PELORIN_SOURCE_DIR "/Data/") + name, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

    void OpenInput(const QString& path) {
        Window().BringToFront(Sheet::Input);
        Dialogs.FileAnswers << path;
        Window().InputOpen->trigger();
    }

    // Save/Run into `path`, answering the questions (overwrite when asked, and
    // whether to calculate).
    void SaveRun(const QString& path, bool calculate = true) {
        Window().BringToFront(Sheet::Input);
        Dialogs.FileAnswers << path;
        if (QFile::exists(path)) Dialogs.YesNoAnswers << true;
        Dialogs.YesNoAnswers << calculate;
        Window().InputSave->trigger();
    }

    void SetRow(int row, const QString& text) { Input().ValueEdits[row - 1]->setText(text); }
    QString Row(int row) { return Input().ValueEdits[row - 1]->text(); }

  private:
    QTemporaryDir folder_;
    std::unique_ptr<ProgramObjects> program_;
};

inline QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll());
}

// The report file as the Output sheet shows it: its lines, without line ends.
inline QString AsMemoText(const QString& fileText) {
    QString text = fileText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

}  // namespace pelorin::test
