// pelorin: the desktop program.

#include <QApplication>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>

#include "DesktopProgram.h"
#include "FileSystem.h"
#include "LaneLevel.h"

namespace {

constexpr const char* kHelp =
    "Usage: pelorin [--help | --version] [Qt options]\n"
    "\n"
    "The desktop calculator of parallel subsurface drains: drain spacing, drain\n"
    "discharge, depth of the water table or hydraulic conductivity, by the Darcy\n"
    "method or the energy balance.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text and end\n"
    "  --version      show the version and end\n"
    "\n"
    "Other arguments go to Qt (for example -platform offscreen or -style Fusion).\n"
    "The same cases run without a window through pelorin-cli (pelorin-cli --help).\n";

// --help and --version are answered here, before the window system is
// started, so that they work without a display. Returns the exit status when
// the program ends here.
std::optional<int> AnswerInformationOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kHelp;
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "pelorin " << PELORIN_VERSION << '\n';
            return 0;
        }
    }
    return std::nullopt;
}

// PELORIN_SIMD forces the instruction set of the lane marches (the tests run
// every level); a level the processor lacks ends the program at once.
std::optional<int> ChooseLanes() {
    const char* forced = std::getenv("PELORIN_SIMD");
    const pelorin::LaneLevelChoice choice = pelorin::ChooseLaneLevel(forced ? forced : "");
    if (!choice.refusal.empty()) {
        std::cerr << "pelorin: " << choice.refusal << '\n';
        return 2;
    }
    pelorin::SetLaneLevel(choice.level);
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = AnswerInformationOption(argc, argv)) return *status;
    if (const std::optional<int> status = ChooseLanes()) return *status;
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
    // The installed desktop entry's name: a Wayland compositor finds the
    // window's icon through it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Pelorin"));
    return pelorin::RunDesktopProgram();
}
