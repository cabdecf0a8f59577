#include "DesktopProgram.h"

#include <QApplication>

#include "BaseForm.h"
#include "Program.h"
#include "QtUserDialogs.h"
#include "ScreenshotTour.h"

namespace pelorin {

int RunDesktopProgram() {
    QApplication::setApplicationName(
        QStringLiteral("Subsurface drainage by pipes or open ditches"));
    InstallFontSubstitutes();

    // A hidden option for the documentation: opens and runs an example and
    // saves a picture of every sheet, then ends.
    if (const auto tour = ScreenshotTourFromArguments(QApplication::arguments()))
        return RunScreenshotTour(*tour);

    QtUserDialogs dialogs;
    TProgram program(dialogs);
    dialogs.SetParent(&program.MainForm);
    program.MainForm.show();
    return QApplication::exec();
}

}  // namespace pelorin
