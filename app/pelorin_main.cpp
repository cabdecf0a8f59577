// pelorin: the desktop program.

#include <csignal>
#include <QApplication>

#include "BaseForm.h"
#include "FileSystem.h"
#include "Program.h"
#include "QtUserDialogs.h"
#include "ScreenshotTour.h"

int main(int argc, char** argv) {
    // Before any file is opened: a closed standard stream must not be taken
    // by a file of the program. A signal that ends the program removes the
    // temporary file of a write under way first.
    pelorin::KeepStandardStreamsOpen();
    pelorin::RemoveTemporaryFilesOnSignals();
    // A write beyond the file-size limit fails with a "Disk full" message
    // instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(
        QStringLiteral("Subsurface drainage by pipes or open ditches"));
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    pelorin::InstallFontSubstitutes();

    // A hidden option for the documentation: opens and runs an example and
    // saves a picture of every sheet, then ends.
    if (const auto tour = pelorin::ScreenshotTourFromArguments(QApplication::arguments()))
        return pelorin::RunScreenshotTour(*tour);

    pelorin::QtUserDialogs dialogs;
    pelorin::TProgram program(dialogs);
    dialogs.SetParent(&program.MainForm);
    program.MainForm.show();
    return QApplication::exec();
}
