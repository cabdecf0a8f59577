#pragma once

#include <QString>

#include <string>

namespace pelorin {

// The room every sheet needs, down to the lowest of its buttons; a window too
// small for it scrolls.
inline constexpr int kSheetWidth = 709;
inline constexpr int kSheetHeight = 505;

// The five sheets of the main window, in tab order.
enum class Sheet { Intro, Figure, Input, Output, Graphics };

// The file dialogs of the main window whose initial folder SetDialogFolders sets.
enum class MainDialog { InputOpen, InputSave, OutputOpen };

// The workflow flags that the Input and Output sheets and Save/Run share.
struct WorkflowFlags {
    bool RunDone = false;      // a dispatch has reached an input check
    bool CheckFailed = false;  // the last dispatch was refused by its check
    bool OutputShown = false;  // a report is loaded in the Output sheet
    bool SaveCancelled = false;
    // The case has been saved since the last report was calculated for it.
    bool CaseSavedWithoutRun = false;
    std::string SavedInputFile;  // that case's input file
};

// What a sheet asks of the main window that holds it.
class SheetHost {
  public:
    virtual ~SheetHost() = default;
    virtual void ShowStatus(const QString& text) = 0;
    virtual void BringToFront(Sheet sheet) = 0;
    virtual void ShowFigureWindow() = 0;
    virtual void HideFigureWindow() = 0;
    virtual void ShowHelpWindow() = 0;
    virtual void ShowRechargeWindow() = 0;
    // Runs the dialog; a chosen file's folder becomes the current folder.
    virtual QString ChooseFile(MainDialog dialog) = 0;
    virtual void SetDialogFolders(const QString& folder) = 0;
    virtual void SetInputSaveEnabled(bool enabled) = 0;
    // The Output sheet shows its picture instead of a report.
    virtual void ShowOutputPicture() = 0;
    virtual void SetGraphInColour(bool inColour) = 0;
    // "See graph" on the Output sheet.
    virtual void ViewGraph() = 0;
};

}  // namespace pelorin
