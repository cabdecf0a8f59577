#include "HeadlessGui.h"

#include <QString>
#include <iostream>

namespace pelorin::graph {
namespace {

void QuietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

}  // namespace

std::unique_ptr<QGuiApplication> StartHeadlessGui() {
    qInstallMessageHandler(QuietQtNotes);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "pelorin-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace pelorin::graph
