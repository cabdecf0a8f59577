#pragma once

#include <QMainWindow>
#include <QString>

namespace pelorin {

// A window with a one-panel status line, in which each sheet puts its hint;
// the long hints of actions and menu items show there too.
class StatusLineWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit StatusLineWindow(QWidget* parent = nullptr);

    // Puts the text in the status line and repaints at once.
    void ShowStatus(const QString& text);
    QString StatusText() const;
};

// A font by its design name and pixel size; the design faces resolve to
// metric-compatible ones where they are not installed.
QFont DesignFont(const QString& family, int pixelSize, bool bold = false);

// Maps the design faces (Arial, Tahoma, Courier New) to installed ones.
void InstallFontSubstitutes();

}  // namespace pelorin
