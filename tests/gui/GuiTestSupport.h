#pragma once

// The program as a test drives it: real windows on the offscreen platform,
// dialogs answered from a script, and a temporary folder as current folder.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>

#include "CaseLayout.h"
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
    // whether to calculate), and the event loop served until the run has
    // ended and the workflow has done with it.
    void SaveRun(const QString& path, bool calculate = true) {
        Window().BringToFront(Sheet::Input);
        Dialogs.FileAnswers << path;
        if (QFile::exists(path)) Dialogs.YesNoAnswers << true;
        Dialogs.YesNoAnswers << calculate;
        QSignalSpy ended(Window().SaveRun, &SaveRunWorkflow::RunEnded);
        Window().InputSave->trigger();
        if (Window().SaveRun->Running()) QVERIFY(ended.wait(120000));
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

// The row (1-based) of a quantity's field on the Input sheet under an aim, or 0.
inline int RowOf(CalcAim aim, Quantity q) {
    const AimLayout& layout = LayoutOf(aim);
    for (int i = 0; i < kRowCount; ++i) {
        if (layout.sheet[i].shows == SheetRow::Shows::Quantity && layout.sheet[i].quantity == q)
            return i + 1;
    }
    return 0;
}

}  // namespace pelorin::test
