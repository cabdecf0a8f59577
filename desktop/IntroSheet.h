#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

#include "SheetHost.h"

namespace pelorin {

// The introduction: what the program does, with the logo.
class TIntroSheet : public QWidget {
    Q_OBJECT
  public:
    TIntroSheet(TSheetHost& host, QWidget* parent = nullptr);

    QPlainTextEdit* Intro_Memo;
    QLabel* LogoImage;

    void Intro_TabsheetShow();

  private:
    TSheetHost& host_;
};

QStringList IntroductionLines();

// The explanatory figure of the symbols.
class TFigureSheet : public QWidget {
    Q_OBJECT
  public:
    TFigureSheet(TSheetHost& host, QWidget* parent = nullptr);

    QLabel* Figure_Image;

    void Figure_TabSheetShow();

  private:
    TSheetHost& host_;
};

}  // namespace pelorin
