#include "StatusLineWindow.h"

#include <QFont>
#include <QFontDatabase>
#include <QStatusBar>

namespace pelorin {

StatusLineWindow::StatusLineWindow(QWidget* parent) : QMainWindow(parent) {
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setFont(DesignFont(QStringLiteral("Tahoma"), 13));
    statusBar()->setSizeGripEnabled(false);
}

void StatusLineWindow::ShowStatus(const QString& text) {
    statusBar()->showMessage(text);
    statusBar()->repaint();
}

QString StatusLineWindow::StatusText() const { return statusBar()->currentMessage(); }

QFont DesignFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    if (family == QLatin1String("Courier New")) font.setStyleHint(QFont::TypeWriter);
    return font;
}

void InstallFontSubstitutes() {
    const QStringList installed = QFontDatabase::families();
    auto substitute = [&](const QString& design, const QStringList& candidates) {
        if (installed.contains(design)) return;
        for (const QString& candidate : candidates) {
            if (installed.contains(candidate)) {
                QFont::insertSubstitution(design, candidate);
                return;
            }
        }
    };
    substitute(QStringLiteral("Tahoma"),
               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    substitute(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    substitute(QStringLiteral("Courier New"),
               {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
}

}  // namespace pelorin
