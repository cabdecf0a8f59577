#include "IntroSheet.h"

#include "Pictures.h"
#include "StatusLineWindow.h"

namespace pelorin {

QStringList IntroductionLines() {
    return {
        QStringLiteral("   "),
        QStringLiteral("                INTRODUCTION TO THE PelorinW PROGRAM"),
        QStringLiteral("   The program is published together with its documentation."),
        QString(),
        QStringLiteral(
            "   The Pelorin program calculates the discharge,  hydraulic  head or spacing "),
        QStringLiteral(
            "   between parallel subsurface drains: pipe drains or open ditches, with or without "),
        QStringLiteral("   entrance resistance. "),
        QString(),
        QStringLiteral(
            "   The calculations are based on the concept of the energy balance of groundwater"),
        QStringLiteral("   flow, as described in the documentation that comes with the program."),
        QStringLiteral("   However, the traditional concepts based on the Darcy and waterbalance "
                       "(continuity) "),
        QStringLiteral("   equations are also used."),
        QString(),
        QStringLiteral("   The program allows for the presence of three different soil layers with "
                       "different "),
        QStringLiteral("   hydraulic permeabilities: one layer above and two below drain level. "),
        QStringLiteral("   The last two layers can also have different horizontal and vertical "
                       "permeabilities."),
        QString(),
        QStringLiteral(
            "   Reference: the article on the energy balance listed in the documentation."),
        QString(),
        QStringLiteral("   Questions and remarks: see the contact notes in the documentation."),
    };
}

IntroSheet::IntroSheet(SheetHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    Intro_Memo = new QPlainTextEdit(this);
    Intro_Memo->setObjectName(QStringLiteral("Intro_Memo"));
    Intro_Memo->setGeometry(48, 24, 505, 337);
    Intro_Memo->setReadOnly(true);
    Intro_Memo->setFont(DesignFont(QStringLiteral("Tahoma"), 11));
    Intro_Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Intro_Memo->setPlainText(IntroductionLines().join(QLatin1Char('\n')));
    LogoImage = new QLabel(this);
    LogoImage->setObjectName(QStringLiteral("LogoImage"));
    LogoImage->setGeometry(584, 360, 109, 96);
    LogoImage->setPixmap(LogoPicture());
}

void IntroSheet::Intro_TabsheetShow() {
    host_.ShowStatus(QStringLiteral("Use the Input tabsheet to continue"));
    host_.HideFigureWindow();
}

FigureSheet::FigureSheet(SheetHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    Figure_Image = new QLabel(this);
    Figure_Image->setObjectName(QStringLiteral("Figure_Image"));
    Figure_Image->setGeometry(16, 16, 667, 413);
    Figure_Image->setPixmap(ExplanatoryFigure());
}

void FigureSheet::Figure_TabSheetShow() {
    host_.ShowStatus(
        QStringLiteral("The figure gives explanations of symbols used in the input tabsheet"));
    host_.HideFigureWindow();
}

}  // namespace pelorin
