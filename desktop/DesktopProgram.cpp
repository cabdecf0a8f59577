#include "DesktopProgram.h"

#include <QApplication>

#include "BaseForm.h"
#include "Program.h"
#include "QtUserDialogs.h"

namespace pelorin {

int RunDesktopProgram() {
    QApplication::setApplicationName(
        QStringLiteral("Subsurface drainage by pipes or open ditches"));
    InstallFontSubstitutes();

    QtUserDialogs dialogs;
    TProgram program(dialogs);
    dialogs.SetParent(&program.MainForm);
    program.MainForm.show();
    return QApplication::exec();
}

}  // namespace pelorin
