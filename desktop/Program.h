#pragma once

#include "CompanionWindows.h"
#include "MainForm.h"
#include "TDMPelorin.h"
#include "UserDialogs.h"

namespace pelorin {

// The program's objects, created in the order of start-up: the data module,
// the main window, then the exit, figure, help and recharge windows. Each
// exists once for the life of the program.
struct TProgram {
    explicit TProgram(UserDialogs& dialogs) : MainForm(DM, dialogs) {
        MainForm.SetCompanions({&CloseForm, &FigureForm, &HelpForm, &RechargeForm});
    }

    TDMPelorin DM;
    TMainForm MainForm;
    TCloseForm CloseForm;
    TFigureForm FigureForm;
    THelpForm HelpForm;
    TRechargeForm RechargeForm;
};

}  // namespace pelorin
