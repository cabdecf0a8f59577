#pragma once

#include "CompanionWindows.h"
#include "DesktopSession.h"
#include "MainWindow.h"
#include "UserDialogs.h"

namespace pelorin {

// The program's objects, created in the order of start-up: the session,
// the main window, then the exit, figure, help and recharge windows. Each
// exists once for the life of the program.
struct ProgramObjects {
    explicit ProgramObjects(UserDialogs& dialogs) : Main(Session, dialogs) {
        Main.SetCompanions({&Exit, &Figure, &Help, &Recharge});
    }

    DesktopSession Session;
    MainWindow Main;
    ExitWindow Exit;
    FigureWindow Figure;
    HelpWindow Help;
    RechargeWindow Recharge;
};

}  // namespace pelorin
