// pelorin-screenshots: the pictures of the documentation. The desktop program
// opens an example input file, runs it with every question answered yes by a
// scripted stand-in for the dialogs, and a PNG of each sheet and help window is
// saved into a folder. A tool of the project, not part of the shipped program.
//
//   pelorin-screenshots EXAMPLE.inp FOLDER

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include "FileSystem.h"
#include "ProgramObjects.h"
#include "ScriptedUserDialogs.h"
#include "StatusLineWindow.h"

namespace pelorin {

namespace {

// Lets the window system show and paint what the tour just changed.
void Settle(int milliseconds = 150) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// Encoded in memory and written by the program's one writer, like every file
// the program writes.
bool SavePng(const QImage& image, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return false;
    bool begun = false;
    return ReplaceFile(QFile::encodeName(path).toStdString(),
                       std::string_view(bytes.constData(), bytes.size()), begun) == 0;
}

class Camera {
  public:
    explicit Camera(const QString& folder) : folder_(folder) { QDir().mkpath(folder); }

    void Take(QWidget& window, const QString& name) {
        Settle();
        const QString path = QDir(folder_).filePath(name);
        if (!SavePng(window.grab().toImage(), path)) {
            std::fprintf(stderr, "screenshot tour: %s could not be saved\n", qPrintable(path));
            failed_ = true;
        }
    }
    bool Failed() const { return failed_; }

  private:
    QString folder_;
    bool failed_ = false;
};

// A copy of the example in a folder of its own, so that the run writes its
// report and error list there and not beside the example.
QString CopyExample(const QString& input, const QTemporaryDir& work) {
    const QString copy = QDir(work.path()).filePath(QFileInfo(input).fileName());
    QFile::copy(input, copy);
    return copy;
}

void ReportMessages(const ScriptedUserDialogs& dialogs) {
    for (const QString& message : dialogs.Messages)
        std::fprintf(stderr, "screenshot tour message: %s\n", qPrintable(message));
}

// The design study of the example: R over five values around its own for
// three drain depths, by both methods, run to its end.
void TakeDesignStudy(MainWindow& window, Camera& camera) {
    window.BringToFront(Sheet::Input);
    window.DesignStudy->trigger();
    DesignStudyWindow& study = *window.DesignStudy_Window;
    study.Quantity_Boxes[1]->setCurrentIndex(
        study.Quantity_Boxes[1]->findData(static_cast<int>(Quantity::D2)));
    study.Range_Edits[1]->setText(QStringLiteral("3.0,4.0,5.0"));
    study.Methods_Box->setCurrentIndex(2);
    study.Run_Button->click();
    while (study.Running()) Settle(50);
    Settle();
    camera.Take(study, QStringLiteral("design-study.png"));
    study.close();
}

}  // namespace

// The input file and the folder of the pictures, as absolute paths.
struct ScreenshotTour {
    QString InputFile;
    QString OutputFolder;
};

// The process exit code: 0 when every picture was saved.
int RunScreenshotTour(const ScreenshotTour& tour) {
    QTemporaryDir work(QDir::temp().filePath(QStringLiteral("pelorin-examples-XXXXXX")));
    if (!QFileInfo::exists(tour.InputFile) || !work.isValid()) {
        std::fprintf(stderr, "screenshot tour: no input file %s\n", qPrintable(tour.InputFile));
        return 2;
    }
    const QString example = CopyExample(tour.InputFile, work);
    ScriptedUserDialogs dialogs;
    ProgramObjects program(dialogs);
    MainWindow& window = program.Main;
    window.show();
    Camera camera(tour.OutputFolder);
    camera.Take(window, QStringLiteral("intro.png"));
    window.BringToFront(Sheet::Figure);
    camera.Take(window, QStringLiteral("figure.png"));

    window.BringToFront(Sheet::Input);
    dialogs.FileAnswers << example;
    window.InputOpen->trigger();
    camera.Take(window, QStringLiteral("input.png"));

    // Save over the copy, answer yes twice, and photograph the progress box
    // while the run goes on.
    dialogs.FileAnswers << example;
    dialogs.YesNoAnswers << true << true;
    QTimer::singleShot(1300, &window,
                       [&] { camera.Take(window, QStringLiteral("input-running.png")); });
    window.InputSave->trigger();
    window.Output_TabSheet->Symbols_ButtonClick();
    camera.Take(window, QStringLiteral("output.png"));
    window.Output_TabSheet->ViewGraphButton->click();
    camera.Take(window, QStringLiteral("graphics.png"));

    TakeDesignStudy(window, camera);

    program.Help.show();
    camera.Take(program.Help, QStringLiteral("entrance-resistance-help.png"));
    program.Recharge.show();
    camera.Take(program.Recharge, QStringLiteral("recharge-help.png"));
    program.Exit.show();
    camera.Take(program.Exit, QStringLiteral("exit.png"));
    ReportMessages(dialogs);
    return camera.Failed() ? 1 : 0;
}

}  // namespace pelorin

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(
        QStringLiteral("Subsurface drainage by pipes or open ditches"));
    pelorin::InstallFontSubstitutes();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "Usage: pelorin-screenshots EXAMPLE.inp FOLDER\n");
        return 2;
    }
    return pelorin::RunScreenshotTour(
        {QFileInfo(arguments[1]).absoluteFilePath(), QFileInfo(arguments[2]).absoluteFilePath()});
}
