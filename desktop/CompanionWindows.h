#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "StatusLineWindow.h"

namespace pelorin {

// Places a top-level window by the outer size of its design; the window
// manager adds its own frame, so the client is that size less a nominal frame.
void PlaceByOuterSize(QWidget* window, int left, int top, int outerWidth, int outerHeight);
inline constexpr int kNominalFrameWidth = 16;
inline constexpr int kNominalFrameHeight = 39;

// The exit window: a greeting and the Finish button that ends the program.
// Finish and the window's close box ask the main window to end the program;
// it decides (a run under way is cancelled first, on the user's yes).
class ExitWindow : public StatusLineWindow {
    Q_OBJECT
  public:
    explicit ExitWindow(QWidget* parent = nullptr);

    QPlainTextEdit* Finish_MemoMemo;
    QPushButton* Finish_Button;

    void Finish_ButtonClick() { emit EndRequested(); }

  signals:
    void EndRequested();

  protected:
    void showEvent(QShowEvent* event) override;    // FormShow
    void closeEvent(QCloseEvent* event) override;  // FormClose
};

// The explanatory figure in a window of its own.
class FigureWindow : public QWidget {
    Q_OBJECT
  public:
    explicit FigureWindow(QWidget* parent = nullptr);
    QLabel* Figure_Image;
};

// The picture that explains the entrance resistance.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QLabel* HelpImage;
    QPushButton* CloseButton;
    void CloseButtonClick() { close(); }
};

// How to find the time-average recharge.
class RechargeWindow : public QWidget {
    Q_OBJECT
  public:
    explicit RechargeWindow(QWidget* parent = nullptr);
    QPlainTextEdit* RechargeMemo;
};

// The lines of the recharge help text.
QStringList RechargeHelpLines();

}  // namespace pelorin
