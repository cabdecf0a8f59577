#include "GraphicsSheet.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "GraphDrawing.h"
#include "TDMPelorin.h"
#include "UserDialogs.h"

namespace pelorin {
namespace {

const char* const kSheetHint =
    "Graphics presentations of output data can be seen and saved. Use \"Make graph\" to open an "
    "output file and see the graphs.";
const char* const kTooFewRows = " The drain spacing is very short. Graphs cannot me made.";
const char* const kNoOutputFile = "No output file was selected";
const char* const kNoGraphicsFile = "No graphics file was selected";
const char* const kFileMissing = "File does not exist, please select another one,";
const char* const kNotSaved = "The graph was not saved";
const char* const kOverwrite = "The file already exists, overwrite?";
const char* const kSavedIn = "The graph was saved in  ";

// BMP first: it is what a graph is saved as unless PNG is chosen.
const char* const kGraphFilter = "Image files (*.bmp);;PNG images (*.png)";

constexpr int kRowsForSeeGraph = 3;

QLabel* NewImage(QWidget* parent, const char* name, QRect place) {
    auto* image = new QLabel(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setGeometry(place);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return image;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption, QRect place) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    return button;
}

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

}  // namespace

TGraphicsSheet::TGraphicsSheet(TDMPelorin& dm, UserDialogs& dialogs,
                               std::function<void(const QString&)> showStatus, QWidget* parent)
    : QWidget(parent), dm(dm), dialogs(dialogs), showStatus(std::move(showStatus)) {
    CreateComponents();
}

void TGraphicsSheet::CreateComponents() {
    GraphImage = NewImage(this, "GraphImage", {0, 0, 623, 465});
    GraphImage->hide();
    PictureImage = NewImage(this, "PictureImage", {8, 0, 625, 465});
    PictureImage->hide();
    JouleImage2 = NewImage(this, "JouleImage2", {548, 296, 142, 172});
    MakeGraphics_Button = NewButton(this, "MakeGraphics_Button", "Make graph", {602, 478, 97, 25});
    SaveGraphButton = NewButton(this, "SaveGraphButton", "Save color graph", {376, 478, 115, 25});
    SaveGraphButton->hide();
    BlWhButton = NewButton(this, "BlWhButton", "Save Bl-Wh graph", {248, 480, 115, 25});
    SeeGraphButton = NewButton(this, "SeeGraphButton", "Open graph ", {498, 478, 97, 25});

    GraphOpen = new QAction(QStringLiteral("&GraphOpen"), this);
    GraphOpen->setObjectName(QStringLiteral("GraphOpen"));
    GraphOpen->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    GraphOpen->setStatusTip(QStringLiteral("Open a graphis file"));

    connect(MakeGraphics_Button, &QPushButton::clicked, this,
            [this] { MakeGraphics_ButtonClick(); });
    connect(SaveGraphButton, &QPushButton::clicked, this, [this] { SaveGraphButtonClick(); });
    connect(BlWhButton, &QPushButton::clicked, this, [this] { BlWhButtonClick(); });
    connect(SeeGraphButton, &QPushButton::clicked, GraphOpen, &QAction::trigger);
    connect(GraphOpen, &QAction::triggered, this, [this] { GraphOpenExecute(); });
}

void TGraphicsSheet::SetHooks(Hooks newHooks) {
    hooks = std::move(newHooks);
}

void TGraphicsSheet::SetJoulePicture(const QPixmap& picture) {
    JouleImage2->setPixmap(picture);
}

void TGraphicsSheet::ShowMessage(const QString& text) {
    dialogs.ShowMessage(text);
}

void TGraphicsSheet::Graphics_TabSheetShow() {
    if (showStatus) showStatus(QString::fromLatin1(kSheetHint));
    Call(hooks.HideFigureWindow);
    if (!graphShown) JouleImage2->show();
    graphInColour = true;
}

bool TGraphicsSheet::DrawGraph() {
    const graph::GraphPicture picture =
        graph::DrawGraph(graph::GraphRequestFrom(dm, graphInColour));
    if (!picture.Drawn()) {
        ShowMessage(picture.Refusal);
        return false;
    }
    graphShown = true;
    JouleImage2->hide();
    graphPicture = picture.Image;
    GraphImage->setPixmap(QPixmap::fromImage(graphPicture));
    GraphImage->show();
    return true;
}

void TGraphicsSheet::ViewGraphButtonClick() {
    Call(hooks.MarkOutputShown);
    GraphImage->show();
    SaveGraphButton->show();
    BlWhButton->show();
    graphShown = true;
    PictureImage->hide();
    JouleImage2->hide();
    const std::string readMessage = dm.ReadReportProfile(dm.CurrentFileName);
    if (!readMessage.empty()) ShowMessage(graph::ReportText(readMessage));
    if (dm.ProfileRowCount < kRowsForSeeGraph) {
        ShowMessage(QString::fromLatin1(kTooFewRows));
        return;
    }
    if (DrawGraph()) Call(hooks.BringToFront);
}

QString TGraphicsSheet::ChooseReport() {
    if (hooks.ChooseOutputFile) return hooks.ChooseOutputFile();
    return dialogs.OpenFileName(FileDialogSpec{QStringLiteral("Open output file"),
                                               QStringLiteral("Output files (*.out)"),
                                               QStringLiteral("out"), QString()});
}

void TGraphicsSheet::MakeGraphics_ButtonClick() {
    SaveGraphButton->show();
    BlWhButton->show();
    Call(hooks.HideOutputMemos);
    const QString fileName = ChooseReport();
    if (fileName.isEmpty()) {
        ShowMessage(QString::fromLatin1(kNoOutputFile));
        return;
    }
    dm.CurrentFileName = fileName.toStdString();
    if (!QFileInfo::exists(fileName)) {
        ShowMessage(QString::fromLatin1(kFileMissing));
        return;
    }
    const std::string readMessage = dm.ReadReportProfile(dm.CurrentFileName);
    if (!readMessage.empty()) ShowMessage(graph::ReportText(readMessage));
    GraphImage->show();
    PictureImage->hide();
    DrawGraph();
}

void TGraphicsSheet::SaveGraphButtonClick() {
    SaveGraph(true);
}

void TGraphicsSheet::BlWhButtonClick() {
    SaveGraph(false);
}

// Both saves redraw first, so the file always holds the profile in memory in
// the palette asked for, whatever the screen showed before.
void TGraphicsSheet::SaveGraph(bool inColour) {
    graphInColour = inColour;
    if (!DrawGraph()) return;
    const QString fileName = dialogs.SaveFileName(FileDialogSpec{QStringLiteral("Save graph"),
                                                                 QString::fromLatin1(kGraphFilter),
                                                                 QStringLiteral("bmp"), QString()});
    if (fileName.isEmpty()) {
        ShowMessage(QString::fromLatin1(kNotSaved));
        return;
    }
    const std::string refusal = graph::PictureOverReportRefusal(
        QFile::encodeName(fileName).toStdString(), dm.CurrentFileName);
    if (!refusal.empty()) {
        ShowMessage(QString::fromLocal8Bit(refusal));
        return;
    }
    if (QFileInfo::exists(fileName) && !dialogs.AskYesNo(QString::fromLatin1(kOverwrite))) return;
    const QString error = graph::SaveGraphImage(graphPicture, fileName);
    ShowMessage(error.isEmpty() ? QString::fromLatin1(kSavedIn) + fileName : error);
}

void TGraphicsSheet::GraphOpenExecute() {
    const QString fileName = dialogs.OpenFileName(FileDialogSpec{QStringLiteral("Open graph"),
                                                                 QString::fromLatin1(kGraphFilter),
                                                                 QStringLiteral("bmp"), QString()});
    if (fileName.isEmpty()) {
        ShowMessage(QString::fromLatin1(kNoGraphicsFile));
        return;
    }
    if (!QFileInfo::exists(fileName)) {
        ShowMessage(QString::fromLatin1(kFileMissing));
        return;
    }
    QImageReader reader(fileName);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        ShowMessage(reader.errorString());
        return;
    }
    PictureImage->setPixmap(QPixmap::fromImage(picture));
    JouleImage2->hide();
    GraphImage->hide();
    SaveGraphButton->hide();
    BlWhButton->hide();
    PictureImage->show();
    graphShown = true;
    if (hooks.SetDialogFolders) hooks.SetDialogFolders(QDir::currentPath());
    Call(hooks.BringToFront);
}

}  // namespace pelorin
