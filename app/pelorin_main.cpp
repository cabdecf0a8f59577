// pelorin: the desktop program.

#include <QApplication>
#include <csignal>

#include "DesktopProgram.h"
#include "FileSystem.h"

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
    QApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    return pelorin::RunDesktopProgram();
}
