// pelorin: the desktop program.

#include <QApplication>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

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

// Qt's own options (those of QGuiApplication and QApplication, with one dash
// or two) that take the next argument as their value, and those that take
// none; each name between blanks. A value may also follow an '='
// ("-style=Fusion").
constexpr std::string_view kQtOptionsWithValue =
    " platform platformpluginpath platformtheme plugin qwindowgeometry geometry qwindowtitle"
    " title qwindowicon icon session display name style stylesheet qmljsdebugger dialogs"
    " font fn bg fg ";
constexpr std::string_view kQtOptionsAlone = " reverse widgetcount nograb dograb sync testability ";

// The option's name without its dashes and without a value after '='.
std::string_view OptionName(std::string_view argument) {
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    return argument.substr(0, argument.find('='));
}

bool Among(std::string_view name, std::string_view names) {
    return !name.empty() && names.find(' ' + std::string(name) + ' ') != std::string_view::npos;
}

struct QtArguments {
    bool PlatformGiven = false;
    std::optional<std::string_view> Unknown;  // the first option neither Qt's nor ours
};

// Walks the arguments as Qt will read them, skipping the values of its options.
QtArguments ReadQtArguments(int argc, char** argv) {
    QtArguments read;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.size() < 2 || argument[0] != '-') continue;
        const std::string_view name = OptionName(argument);
        if (name == "platform") read.PlatformGiven = true;
        if (Among(name, kQtOptionsWithValue)) {
            if (argument.find('=') == std::string_view::npos) ++i;
        } else if (!Among(name, kQtOptionsAlone)) {
            read.Unknown = argument;
            return read;
        }
    }
    return read;
}

bool Empty(const char* variable) {
    const char* value = std::getenv(variable);
    return value == nullptr || *value == '\0';
}

// What Qt would abort on, said plainly before it starts: an option it does not
// know (status 2, with the usage), or no display to open a window on while no
// platform is chosen (status 1).
std::optional<int> RefuseWhatQtCannotStart(int argc, char** argv) {
    const QtArguments arguments = ReadQtArguments(argc, argv);
    if (arguments.Unknown) {
        std::cerr << "pelorin: unknown option " << *arguments.Unknown << "\n\n" << kHelp;
        return 2;
    }
    if (!arguments.PlatformGiven && Empty("QT_QPA_PLATFORM") && Empty("DISPLAY") &&
        Empty("WAYLAND_DISPLAY")) {
        std::cerr << "pelorin: no display (DISPLAY and WAYLAND_DISPLAY are empty); pelorin-cli "
                     "runs cases without one\n";
        return 1;
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
    if (const std::optional<int> status = RefuseWhatQtCannotStart(argc, argv)) return *status;
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
