#pragma once

#include <QAction>
#include <QMenu>
#include <QTabWidget>

#include "CompanionWindows.h"
#include "DesignSheetActions.h"
#include "DesignStudyWindow.h"
#include "DesktopSession.h"
#include "GraphicsSheet.h"
#include "InputSheet.h"
#include "IntroSheet.h"
#include "OutputSheet.h"
#include "SaveRunWorkflow.h"
#include "SheetHost.h"
#include "StatusLineWindow.h"
#include "UserDialogs.h"

namespace pelorin {

// The companion windows, created after the main window.
struct CompanionWindows {
    ExitWindow* Exit = nullptr;
    FigureWindow* Figure = nullptr;
    HelpWindow* Help = nullptr;
    RechargeWindow* Recharge = nullptr;
};

// The tabbed main window. Each sheet is a class of its own; the window holds
// the menus and actions, the file dialogs, the flags the sheets share, and
// passes between the sheets what one asks of another.
class MainWindow : public StatusLineWindow, public SheetHost {
    Q_OBJECT
  public:
    MainWindow(DesktopSession& session, UserDialogs& dialogs, QWidget* parent = nullptr);

    void SetCompanions(const CompanionWindows& companions);

    QTabWidget* SheetTabs;
    IntroSheet* Intro_Tabsheet;
    FigureSheet* Figure_TabSheet;
    InputSheet* Input_TabSheet;
    OutputSheet* Output_TabSheet;
    GraphicsSheet* Graphics_TabSheet;
    SaveRunWorkflow* SaveRun;
    DesignSheetActions* DesignSheetOutput;
    DesignStudyWindow* DesignStudy_Window;

    QAction* InputOpen;
    QAction* InputSave;
    QAction* OutputOpen;
    QAction* GraphOpen;
    QAction* SaveAsPdf;
    QAction* FilePrint;
    QAction* FileExit;
    QAction* DesignStudy;
    QAction* EditCut;
    QAction* EditCopy;
    QAction* EditPaste;
    QAction* EditDelete;

    FileDialogSpec InputOpen_Dialog;
    FileDialogSpec InputSave_Dialog;
    FileDialogSpec OutputOpen_Dialog;

    WorkflowFlags Flags;
    const char SavedDecimalSeparator;

    bool GraphInColour() const;
    bool GraphShown() const;

    // SheetHost
    void ShowStatus(const QString& text) override { StatusLineWindow::ShowStatus(text); }
    void BringToFront(Sheet sheet) override;
    void ShowFigureWindow() override;
    void HideFigureWindow() override;
    void ShowHelpWindow() override;
    void ShowRechargeWindow() override;
    QString ChooseFile(MainDialog dialog) override;
    void SetDialogFolders(const QString& folder) override;
    void SetInputSaveEnabled(bool enabled) override { InputSave->setEnabled(enabled); }
    void ShowOutputPicture() override { Output_TabSheet->ShowPicture(); }
    void SetGraphInColour(bool inColour) override;
    void ViewGraph() override;

    Sheet ActiveSheet() const { return static_cast<Sheet>(SheetTabs->currentIndex()); }

    // Ends the program: the event loop returns 0. A run under way is first
    // cancelled, after the question when `askAboutRun`; the program then ends
    // as soon as the run has stopped.
    void EndProgram(bool askAboutRun = true);
    // Opens the design study window on the Input sheet's case.
    void DesignStudyExecute();

  protected:
    void showEvent(QShowEvent* event) override;    // FormShow
    void closeEvent(QCloseEvent* event) override;  // FormClose

  private:
    void BuildSheets();
    void BuildGraphicsSheet();
    void BuildActions();
    void BuildMenus();
    void PlaceWindow();
    void SheetTabsChange(int index);
    void SetRunLock(bool locked);
    void LeaveEventLoop();
    void EditOnFocusedField(void (*onLine)(QLineEdit*), void (*onMemo)(QPlainTextEdit*));

    DesktopSession& session_;
    UserDialogs& dialogs_;
    CompanionWindows companions_;
    int previousPage_ = 0;
    // Set once the program is ending: the main window may close then.
    bool ending_ = false;
};

}  // namespace pelorin
