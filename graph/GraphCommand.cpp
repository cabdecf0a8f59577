#include "GraphCommand.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <iostream>
#include <memory>

#include "GraphDrawing.h"
#include "TDMPelorin.h"

namespace pelorin::graph {
namespace {

struct GraphArguments {
    bool InColour = true;
    std::string Report;
    std::string Image;
};

bool ParseArguments(const std::vector<std::string>& arguments, GraphArguments& parsed) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        if (argument == "--bw")
            parsed.InColour = false;
        else
            files.push_back(argument);
    }
    if (files.size() != 2) return false;
    parsed.Report = files[0];
    parsed.Image = files[1];
    return true;
}

// Qt's notes about the environment (no runtime folder, no display) are noise on
// standard error for scripts that read the command's own messages there.
void QuietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

// Text needs a GUI application; the offscreen platform lets it run without a
// display, whatever platform the environment names (one without its display
// would abort the program). Qt is given no arguments, so that it cannot take
// any of ours.
std::unique_ptr<QGuiApplication> StartGuiApplication() {
    qInstallMessageHandler(QuietQtNotes);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "pelorin-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

int Fail(const std::string& fileName, const std::string& message) {
    std::cerr << fileName << ": " << message << '\n';
    return 2;
}

}  // namespace

int RunGraphCommand(const std::vector<std::string>& arguments) {
    GraphArguments parsed;
    if (!ParseArguments(arguments, parsed)) {
        std::cerr << "Usage: pelorin-cli graph [--bw] REPORT IMAGE\n";
        return 2;
    }
    const std::string refusal = PictureOverReportRefusal(parsed.Image, parsed.Report);
    if (!refusal.empty()) return Fail(parsed.Image, refusal);
    TDMPelorin dataModule;
    const std::string readMessage = dataModule.ReadReportProfile(parsed.Report);
    if (!readMessage.empty()) return Fail(parsed.Report, readMessage);

    const auto application = StartGuiApplication();
    const GraphPicture picture = DrawGraph(GraphRequestFrom(dataModule, parsed.InColour));
    if (!picture.Drawn()) return Fail(parsed.Report, picture.Refusal.toStdString());
    const QString saveError = SaveGraphImage(picture.Image, parsed.Image);
    if (!saveError.isEmpty()) return Fail(parsed.Image, saveError.toStdString());
    std::cout << parsed.Image << '\n';
    return 0;
}

}  // namespace pelorin::graph
