#include "CompanionWindows.h"

#include <QApplication>
#include <QCloseEvent>

#include "Pictures.h"

namespace pelorin {

void PlaceByOuterSize(QWidget* window, int left, int top, int outerWidth, int outerHeight) {
    window->move(left, top);
    window->setFixedSize(outerWidth - kNominalFrameWidth, outerHeight - kNominalFrameHeight);
}

namespace {

QLabel* PictureLabel(QWidget* parent, const QPixmap& picture, const QRect& place,
                     const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setPixmap(picture);
    return label;
}

QPlainTextEdit* TextBox(QWidget* parent, const QStringList& lines, const QRect& place,
                        const char* name) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setGeometry(place);
    memo->setReadOnly(true);
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    return memo;
}

}  // namespace

ExitWindow::ExitWindow(QWidget* parent) : StatusLineWindow(parent) {
    setWindowTitle(QStringLiteral("Pelorin exit"));
    auto* client = new QWidget(this);
    setCentralWidget(client);
    const QStringList greeting = {
        QString(),
        QStringLiteral("  Thank you for using Pelorin."),
        QString(),
        QStringLiteral("  Questions and remarks:"),
        QStringLiteral("  see the notes that come"),
        QStringLiteral("  with the program."),
        QStringLiteral("  "),
    };
    Finish_MemoMemo = TextBox(client, greeting, QRect(32, 32, 201, 121), "Finish_MemoMemo");
    Finish_MemoMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Finish_MemoMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Finish_MemoMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Finish_Button = new QPushButton(QStringLiteral("Finish"), client);
    Finish_Button->setObjectName(QStringLiteral("Finish_Button"));
    Finish_Button->setGeometry(176, 168, 57, 25);
    connect(Finish_Button, &QPushButton::clicked, this, &ExitWindow::Finish_ButtonClick);
    PlaceByOuterSize(this, 300, 200, 287, 259);
}

void ExitWindow::showEvent(QShowEvent* event) {
    StatusLineWindow::showEvent(event);
    ShowStatus(QStringLiteral("Click on Finish button to end program."));
}

void ExitWindow::closeEvent(QCloseEvent* event) {
    // The window stays until the program really ends: the user may still
    // choose to let a running calculation go on.
    event->ignore();
    emit EndRequested();
}

FigureWindow::FigureWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Pelorin figure"));
    Figure_Image = PictureLabel(this, ExplanatoryFigure(), QRect(8, 8, 665, 409), "FigureImage2");
    PlaceByOuterSize(this, 421, 4, 695, 464);
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Entrance resistance"));
    HelpImage = PictureLabel(this, EntranceResistancePicture(), QRect(8, 8, 553, 353), "HelpImage");
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setGeometry(496, 321, 59, 25);
    connect(CloseButton, &QPushButton::clicked, this, &HelpWindow::CloseButtonClick);
    PlaceByOuterSize(this, 507, 52, 577, 403);
}

QStringList RechargeHelpLines() {
    return {
        QString(),
        QStringLiteral("  To determine the time average recharge/discharge rate R, one can make"),
        QStringLiteral("  a water balance during a critical period of time >= 1 month."),
        QString(),
        QStringLiteral("  The main water balance factors are Rainfall (Rain), Irrigation (Irr),"),
        QStringLiteral("  and Evapotranspiration (ET). In some cases either the inflow of"),
        QStringLiteral("  groundwater (Gi) or the outflow of groundwater (Go) may play a role."),
        QStringLiteral(
            "  Gi may occur through the aquifer or from losses from the irrigation canal"),
        QStringLiteral("  system to the underground. Go may occur as natural subsurface drainage"),
        QStringLiteral("  through the aquifer to lower lying areas or river beds."),
        QStringLiteral("  When Gi>0 then Go=0 and when Go>0 then Gi=0"),
        QString(),
        QStringLiteral("  Using Rech=Recharge, the water balance reads:"),
        QStringLiteral("     Rech = Rain + Irr - ET"),
        QStringLiteral("  or in some cases:"),
        QStringLiteral("     Rech = Rain + Irr + Gi - ET"),
        QStringLiteral("  or"),
        QStringLiteral("     Rech= Rain + Irr - ET - Gi"),
        QString(),
        QStringLiteral("  The time average recharge becomes"),
        QStringLiteral(
            "    R = Rech / N , where N is the number of days of the critical period selected."),
        QString(),
        QStringLiteral(
            "  For example if the critical period is taken as the month with the highest"),
        QStringLiteral("  rainfall and we have Rain = 225 mm, Irr=0, ET=150 mm, and Gi=Go=0, then"),
        QStringLiteral("     Rech = 225 -150 = 75 mm or 0.075 m."),
        QStringLiteral("  The time average recharge/discharge rate R becomes:"),
        QStringLiteral("     R = 0.075 / 30 = 0.0025 m/day  "),
        QStringLiteral("  (assuming the selected months has 30 days)."),
        QString(),
        QString(),
    };
}

RechargeWindow::RechargeWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Recharge Help"));
    RechargeMemo = TextBox(this, RechargeHelpLines(), QRect(8, 8, 385, 385), "RechargeMemo");
    RechargeMemo->setFont(DesignFont(QStringLiteral("Tahoma"), 11));
    PlaceByOuterSize(this, 715, 83, 415, 439);
}

}  // namespace pelorin
