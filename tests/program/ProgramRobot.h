#pragma once

// A user at the desktop program, as the tests play one: the program starts as
// it does for a person (its own start-up, its real dialogs) and its event loop
// runs to the end, while the robot acts on a timer, step after step, each
// when what it waits for is on the screen. Modal dialogs run their own loops;
// the timer fires inside them too, so a step can answer a dialog that an
// earlier step opened.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

#include "CompanionWindows.h"
#include "DesktopProgram.h"
#include "MainWindow.h"

namespace pelorin::test {

// The status the event loop gets when the robot gives up waiting.
constexpr int kRobotGaveUp = 99;

class Robot {
  public:
    // What the user saw and answered, in order.
    QStringList Messages;
    QStringList Questions;
    // The objectName of the window each message and question stood on.
    QStringList DialogWindows;
    // Initial folder and filled-in name of each file dialog, "folder|name".
    QStringList FileDialogsSeen;

    // A step: wait until `ready`, then act.
    Robot& Then(const QString& what, std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({what, std::move(ready), std::move(act)});
        return *this;
    }
    Robot& Do(const QString& what, std::function<void()> act) {
        return Then(
            what, [] { return true; }, std::move(act));
    }
    Robot& WaitFor(const QString& what, std::function<bool()> ready) {
        return Then(what, std::move(ready), [] {});
    }

    // Answers the next message box (OK) or question (Yes or No).
    Robot& AnswerMessage() { return Answer(QMessageBox::Ok); }
    Robot& AnswerQuestion(bool yes) { return Answer(yes ? QMessageBox::Yes : QMessageBox::No); }

    // Chooses `path` in the next file dialog, as typed into its name box.
    Robot& ChooseFile(const QString& path) {
        return Then(
            QStringLiteral("a file dialog for ") + path,
            [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; },
            [this, path] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                const QStringList names = dialog->selectedFiles();
                const QString filled =
                    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
                FileDialogsSeen << dialog->directory().absolutePath() + QLatin1Char('|') + filled;
                TypeIntoFileDialog(dialog, path);
            });
    }

    // Types the path into the dialog's name box and presses Return.
    static void TypeIntoFileDialog(QFileDialog* dialog, const QString& path) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    }

    // Starts the program and runs it to its end; the exit status.
    int RunProgram(int generousSeconds = 120) {
        QTimer tick;
        tick.setInterval(20);
        QObject::connect(&tick, &QTimer::timeout, [this] { Tick(); });
        tick.start();
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(kRobotGaveUp); });
        giveUp.start(generousSeconds * 1000);
        return RunDesktopProgram();
    }

    bool Finished() const { return next_ == steps_.size(); }
    // The step the robot was waiting for when the program ended.
    QString Waiting() const {
        return Finished() ? QString() : QStringLiteral("still waiting for: ") + steps_[next_].What;
    }

  private:
    struct Step {
        QString What;
        std::function<bool()> Ready;
        std::function<void()> Act;
    };

    Robot& Answer(QMessageBox::StandardButton button) {
        return Then(
            QStringLiteral("a message box"),
            [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
            [this, button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                (box->button(QMessageBox::Yes) != nullptr ? Questions : Messages) << box->text();
                DialogWindows << (box->parentWidget() != nullptr
                                      ? box->parentWidget()->window()->objectName()
                                      : QStringLiteral("(none)"));
                // A box without the expected button is still closed, so that the
                // test goes on and its comparison of the texts tells.
                QAbstractButton* answer = box->button(button);
                if (answer == nullptr) answer = box->buttons().value(0);
                if (answer != nullptr) answer->click();
            });
    }

    // The step is passed before it acts: an act that opens a modal dialog
    // returns only when the dialog is closed, by a later step.
    // The act runs from a timer of its own: Qt does not fire a timer again
    // while its own slot still runs (in a modal dialog's loop, say).
    void Tick() {
        if (acting_ || next_ >= steps_.size() || !steps_[next_].Ready()) return;
        acting_ = true;
        const Step& step = steps_[next_++];
        QTimer::singleShot(0, [this, &step] {
            acting_ = false;
            step.Act();
        });
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool acting_ = false;  // a step is about to act
};

// The program's windows, found as a user sees them.
template <class Window>
Window* TopWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(widget)) return window;
    return nullptr;
}
inline MainWindow* Main() { return TopWindow<MainWindow>(); }
inline ExitWindow* TopExitWindow() { return TopWindow<ExitWindow>(); }
inline bool MainShown() { return Main() != nullptr && Main()->isVisible(); }
inline bool ExitWindowShown() { return TopExitWindow() != nullptr && TopExitWindow()->isVisible(); }
inline bool NoDialogOpen() { return QApplication::activeModalWidget() == nullptr; }

// Closes the main window once no dialog is open, and ends the program with
// Finish in its exit window.
inline void EndByFinish(Robot& robot) {
    robot.Then(QStringLiteral("no dialog"), NoDialogOpen, [] { Main()->close(); });
    robot.Then(QStringLiteral("the exit window"), ExitWindowShown,
               [] { TopExitWindow()->Finish_Button->click(); });
}

}  // namespace pelorin::test
