#include "DesktopProgram.h"

#include <QApplication>

#include "ProgramObjects.h"
#include "QtUserDialogs.h"
#include "StatusLineWindow.h"

namespace pelorin {

int RunDesktopProgram() {
    QApplication::setApplicationName(
        QStringLiteral("Subsurface drainage by pipes or open ditches"));
    InstallFontSubstitutes();

    QtUserDialogs dialogs;
    ProgramObjects program(dialogs);
    dialogs.SetParent(&program.Main);
    program.Main.show();
    return QApplication::exec();
}

}  // namespace pelorin
