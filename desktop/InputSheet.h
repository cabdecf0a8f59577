#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

#include "DesktopSession.h"
#include "DrainageCase.h"
#include "InputRows.h"
#include "SheetHost.h"
#include "UserDialogs.h"

class QAction;

namespace pelorin {

// The case entry: titles, aim, method and the 13 value rows whose meaning
// follows the aim, the progress box of a run, and the buttons to the help
// windows, Save/Run and Open input.
class InputSheet : public QWidget {
    Q_OBJECT
  public:
    InputSheet(DesktopSession& session, UserDialogs& dialogs, SheetHost& host,
               char decimalSeparator, QWidget* parent = nullptr);

    // Save/Run and Open input are actions of the main window; the buttons fire them.
    void AttachActions(QAction* inputSave, QAction* inputOpen);

    QLabel* Filename_Label;
    QLineEdit* FileName_Edit;
    QLabel* Title1_Label;
    QLineEdit* Title1_Edit;
    QLabel* Title2_Label;
    QLineEdit* Title2_Edit;
    QLabel* Options_Label;
    QComboBox* CalcAim_Combobox;
    QLabel* Method_Label;
    QComboBox* Method_ComboBox;
    QLabel* Units_Label;
    QComboBox* Units_ComboBox;                   // SI or US customary, remembered between sessions
    std::array<QLabel*, kRowCount> RowLabels{};  // Label1 to Label13
    std::array<QLineEdit*, kRowCount> ValueEdits{};
    QLabel* Footnote_Label;
    QPlainTextEdit* WaitMemo;
    QPushButton* CancelRun_Button;
    QPushButton* RechargeButton;
    QPushButton* HelpButton;
    QPushButton* FigureButton1;
    QPushButton* Filesave_Button;
    QPushButton* Fileopen_Button;
    QPushButton* DesignStudy_Button;  // opens the design study on this case
    // Soil-texture presets: a class, which conductivities to fill (a box
    // beside each field of kPresetQuantities the aim shows) and Fill.
    QLabel* Texture_Label;
    QComboBox* Texture_ComboBox;
    std::array<QCheckBox*, 5> PresetBoxes{};  // in the order of kPresetQuantities
    QPushButton* Fill_Button;
    // "typ." beside a field filled from the table, its tooltip the full note.
    std::array<QLabel*, kRowCount> TypicalMarks{};

    static constexpr std::array<Quantity, 5> kPresetQuantities = {
        Quantity::Ka, Quantity::Kb1, Quantity::Kv1, Quantity::Kb2, Quantity::Kv2};

    // Event handlers.
    void Input_TabSheetShow();
    void Input_TabSheetExit();
    void CalcAim_ComboboxChange();
    void Method_ComboBoxChange();
    void Units_ComboBoxChange();
    void MaskEdit1Exit(int row);  // rows 1-based
    void MaskEdit2Exit(int row);
    void InputOpenExecute();
    void FigureButton1Click() { host_.ShowFigureWindow(); }
    void HelpButtonClick() { host_.ShowHelpWindow(); }
    void RechargeButtonClick() { host_.ShowRechargeWindow(); }
    void Fill_ButtonClick();

    // What Save/Run reads from the sheet. The aim and the method always come
    // from the two selection boxes, so they cannot disagree with the rows.
    CalcAim SelectedAim() const;
    CalcMethod RunMethod() const;
    // The units the rows are typed and shown in.
    UnitSystem Units() const;
    std::array<std::string, kRowCount> RowTexts() const;
    bool InputLoaded() const { return inputLoaded_; }
    // The input file last opened or saved (empty before the first).
    const QString& CurrentInputFile() const { return currentInputFile_; }
    void SetCurrentInputFile(const QString& fileName) { currentInputFile_ = fileName; }
    const InputRows& Rows() const { return rows_; }

    // The progress box of a run and its Cancel button.
    void ShowWaitMemo();
    void AddWaitLine(const QString& line);
    void HideWaitMemo();
    // While a run is under way only the progress box and Cancel take input.
    void SetRunLock(bool locked);

  signals:
    void CancelRunRequested();
    // An input file has been opened and is shown.
    void CaseOpened();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildHeader();
    void BuildRows();
    void BuildButtons();
    void BuildPresets();
    // The preset boxes beside the fields of their quantities under the aim.
    void PlacePresetBoxes();
    void ClearTypicalMarks();
    // The row (1-based) whose field holds `q` under the current aim, or 0.
    int RowOfQuantity(Quantity q) const;
    void SetTabOrder();
    void LayoutRows();
    void FillRowsForAim();
    void RememberFieldTexts();
    void CopyRowsFromFields();
    void CopyRowsToFields();
    void ShowOpenedCase();
    // The field's text written back as a number; false (and "0") when it is none.
    bool NormaliseField(int row);
    // The quantity whose field stands in a row (1-based) under the current aim.
    std::optional<Quantity> RowQuantity(int row) const;
    // A number as its field shows it: in US units, what the input file will
    // hold for it, with the decimals that give that number again.
    QString FieldText(double typed, std::optional<Quantity> q, UnitSystem units) const;

    DesktopSession& session_;
    UserDialogs& dialogs_;
    SheetHost& host_;
    const char separator_;
    InputRows rows_;
    bool inputLoaded_ = false;
    QString currentInputFile_;
    QAction* inputSave_ = nullptr;
    // A field that loses its focus because a run locks the sheet is not left
    // by the user: its exit handler does not run.
    bool runLocked_ = false;
    UnitSystem shownUnits_ = UnitSystem::SI;
};

}  // namespace pelorin
