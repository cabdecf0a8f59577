#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

#include "SheetHost.h"

namespace pelorin {

// The introduction: what the program does, with the logo.
class IntroSheet : public QWidget {
    Q_OBJECT
  public:
    IntroSheet(SheetHost& host, QWidget* parent = nullptr);

    QPlainTextEdit* Intro_Memo;
    QLabel* LogoImage;

    void Intro_TabsheetShow();

  private:
    SheetHost& host_;
};

QStringList IntroductionLines();

// The explanatory figure of the symbols.
class FigureSheet : public QWidget {
    Q_OBJECT
  public:
    FigureSheet(SheetHost& host, QWidget* parent = nullptr);

    QLabel* Figure_Image;

    void Figure_TabSheetShow();

  private:
    SheetHost& host_;
};

}  // namespace pelorin
