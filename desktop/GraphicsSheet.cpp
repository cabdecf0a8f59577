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

#include <QBuffer>
#include <QFile>
#include <QResizeEvent>
#include <algorithm>

#include "DesktopSession.h"
#include "GraphDrawing.h"
#include "GraphFiles.h"
#include "PictureFiles.h"
#include "QtText.h"
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

// BMP first: it is what a graph is saved as unless another kind is chosen.
// Drawings are saved only: the sheet shows pictures.
const char* const kGraphFilter = "Image files (*.bmp);;PNG images (*.png)";
const char* const kGraphSaveFilter =
    "Image files (*.bmp);;PNG images (*.png);;SVG drawings (*.svg);;PDF documents (*.pdf)";

constexpr int kRowsForSeeGraph = 3;

// The sheet as designed; beyond it the graph area takes the extra room.
constexpr int kDesignWidth = 709;
constexpr int kDesignHeight = 510;
constexpr QSize kGraphSize(623, 465);

// Why the file cannot be opened as a graph picture, or the picture.
struct OpenedPicture {
    QImage Picture;
    QString Refusal;
};

OpenedPicture ReadWholePicture(const QString& fileName) {
    if (QFileInfo(fileName).isDir()) return {{}, QStringLiteral("it is a folder")};
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {{}, file.errorString()};
    QByteArray bytes = file.readAll();
    if (const QString reason = IncompletePictureReason(bytes); !reason.isEmpty())
        return {{}, reason};
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    QImage picture = reader.read();
    if (picture.isNull()) return {{}, reader.errorString()};
    return {picture, {}};
}

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

graph::GraphRequest GraphRequestOf(const DesktopSession& session, bool inColour) {
    const std::size_t rows = std::min(
        {static_cast<std::size_t>(std::max(session.ProfileRowCount, 0)), session.ProfileX.size(),
         session.ProfileHeadDarcy.size(), session.ProfileHeadEnergy.size()});
    const auto firstRows = [rows](const std::vector<double>& column) {
        return std::vector<double>(column.begin(), column.begin() + static_cast<long>(rows));
    };
    graph::GraphRequest request;
    request.Profile.X = firstRows(session.ProfileX);
    request.Profile.HeadDarcy = firstRows(session.ProfileHeadDarcy);
    request.Profile.HeadEnergy = firstRows(session.ProfileHeadEnergy);
    request.Title1 = graph::ReportText(session.Input.Title1);
    request.Title2 = graph::ReportText(session.Input.Title2);
    request.MethodTag = session.ReportMethodTag;
    request.InColour = inColour;
    return request;
}

GraphicsSheet::GraphicsSheet(DesktopSession& session, UserDialogs& dialogs,
                             std::function<void(const QString&)> showStatus, QWidget* parent)
    : QWidget(parent), session_(session), dialogs_(dialogs), showStatus_(std::move(showStatus)) {
    CreateComponents();
}

void GraphicsSheet::CreateComponents() {
    GraphImage = NewImage(this, "GraphImage", {0, 0, 623, 465});
    GraphImage->hide();
    PictureImage = NewImage(this, "PictureImage", {8, 0, 625, 465});
    PictureImage->hide();
    Joule_Image = NewImage(this, "JouleImage2", {548, 296, 142, 172});
    MakeGraphics_Button = NewButton(this, "MakeGraphics_Button", "Make graph", {602, 478, 97, 25});
    SaveGraphButton = NewButton(this, "SaveGraphButton", "Save color graph", {376, 478, 115, 25});
    SaveGraphButton->hide();
    BlWhButton = NewButton(this, "BlWhButton", "Save Bl-Wh graph", {248, 480, 115, 25});
    BlWhButton->hide();
    SeeGraphButton = NewButton(this, "SeeGraphButton", "Open graph ", {498, 478, 97, 25});

    GraphOpen = new QAction(QStringLiteral("&GraphOpen"), this);
    GraphOpen->setObjectName(QStringLiteral("GraphOpen"));
    GraphOpen->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    GraphOpen->setStatusTip(QStringLiteral("Open a graphics file"));

    connect(MakeGraphics_Button, &QPushButton::clicked, this,
            [this] { MakeGraphics_ButtonClick(); });
    connect(SaveGraphButton, &QPushButton::clicked, this, [this] { SaveGraphButtonClick(); });
    connect(BlWhButton, &QPushButton::clicked, this, [this] { BlWhButtonClick(); });
    connect(SeeGraphButton, &QPushButton::clicked, GraphOpen, &QAction::trigger);
    connect(GraphOpen, &QAction::triggered, this, [this] { GraphOpenExecute(); });
}

void GraphicsSheet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int wider = std::max(0, width() - kDesignWidth);
    const int taller = std::max(0, height() - kDesignHeight);
    GraphImage->setGeometry(0, 0, kGraphSize.width() + wider, kGraphSize.height() + taller);
    PictureImage->setGeometry(8, 0, 625 + wider, 465 + taller);
    Joule_Image->move(548 + wider, 296 + taller);
    MakeGraphics_Button->move(602, 478 + taller);
    SaveGraphButton->move(376, 478 + taller);
    BlWhButton->move(248, 480 + taller);
    SeeGraphButton->move(498, 478 + taller);
    ShowGraphPicture();
}

// The graph is drawn at its one size (the size it is saved at); a larger area
// shows it enlarged.
void GraphicsSheet::ShowGraphPicture() {
    if (drawn_.Image.isNull()) return;
    const bool enlarged =
        GraphImage->width() > drawn_.Image.width() && GraphImage->height() > drawn_.Image.height();
    GraphImage->setPixmap(QPixmap::fromImage(
        enlarged
            ? drawn_.Image.scaled(GraphImage->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : drawn_.Image));
}

void GraphicsSheet::ShowSaveButtonsWithGraph() {
    const bool drawnGraphShown = !GraphImage->isHidden() && !drawn_.Image.isNull();
    SaveGraphButton->setVisible(drawnGraphShown);
    BlWhButton->setVisible(drawnGraphShown);
}

FileDialogSpec GraphicsSheet::GraphDialog(const QString& title) const {
    return FileDialogSpec{title, QString::fromLatin1(kGraphFilter), QStringLiteral("bmp"),
                          graphFolder_, QString()};
}

void GraphicsSheet::SetHooks(Hooks newHooks) { hooks_ = std::move(newHooks); }

void GraphicsSheet::SetJoulePicture(const QPixmap& picture) { Joule_Image->setPixmap(picture); }

void GraphicsSheet::ShowMessage(const QString& text) { dialogs_.ShowMessage(text); }

void GraphicsSheet::Graphics_TabSheetShow() {
    if (showStatus_) showStatus_(QString::fromLatin1(kSheetHint));
    Call(hooks_.HideFigureWindow);
    if (!graphShown_) Joule_Image->show();
    graphInColour_ = true;
}

bool GraphicsSheet::DrawGraph() {
    graph::GraphRequest request = GraphRequestOf(session_, graphInColour_);
    if (hooks_.Units) request.Units = hooks_.Units();
    const graph::GraphPicture picture = graph::DrawGraph(request);
    if (!picture.Drawn()) {
        ShowMessage(picture.Refusal);
        return false;
    }
    graphShown_ = true;
    Joule_Image->hide();
    PictureImage->hide();
    drawn_ = picture;
    shownSource_ = QStringLiteral("the graph of ") + FileNameFromStd(session_.CurrentFileName);
    ShowGraphPicture();
    GraphImage->show();
    ShowSaveButtonsWithGraph();
    return true;
}

void GraphicsSheet::ViewGraphButtonClick() {
    Call(hooks_.MarkOutputShown);
    GraphImage->show();
    graphShown_ = true;
    PictureImage->hide();
    Joule_Image->hide();
    ShowSaveButtonsWithGraph();
    const std::string readMessage = session_.ReadReportProfile(session_.CurrentFileName);
    if (!readMessage.empty()) ShowMessage(graph::ReportText(readMessage));
    if (session_.ProfileRowCount < kRowsForSeeGraph) {
        ShowMessage(QString::fromLatin1(kTooFewRows));
        return;
    }
    if (DrawGraph()) Call(hooks_.BringToFront);
}

QString GraphicsSheet::ChooseReport() {
    if (hooks_.ChooseOutputFile) return hooks_.ChooseOutputFile();
    return dialogs_.OpenFileName(FileDialogSpec{QStringLiteral("Open output file"),
                                                QStringLiteral("Output files (*.out)"),
                                                QStringLiteral("out"), QString(), QString()});
}

void GraphicsSheet::MakeGraphics_ButtonClick() {
    Call(hooks_.HideOutputMemos);
    const QString fileName = ChooseReport();
    if (fileName.isEmpty()) {
        ShowMessage(QString::fromLatin1(kNoOutputFile));
        return;
    }
    session_.CurrentFileName = fileName.toStdString();
    if (!QFileInfo::exists(fileName)) {
        ShowMessage(QString::fromLatin1(kFileMissing));
        return;
    }
    const std::string readMessage = session_.ReadReportProfile(session_.CurrentFileName);
    if (!readMessage.empty()) ShowMessage(graph::ReportText(readMessage));
    GraphImage->show();
    PictureImage->hide();
    ShowSaveButtonsWithGraph();
    DrawGraph();
}

void GraphicsSheet::SaveGraphButtonClick() { SaveGraph(true); }

void GraphicsSheet::BlWhButtonClick() { SaveGraph(false); }

// Both saves redraw first, so the file always holds the profile in memory in
// the palette asked for, whatever the screen showed before.
void GraphicsSheet::SaveGraph(bool inColour) {
    graphInColour_ = inColour;
    if (!DrawGraph()) return;
    FileDialogSpec spec = GraphDialog(QStringLiteral("Save graph"));
    spec.Filter = QString::fromLatin1(kGraphSaveFilter);
    const QString fileName = dialogs_.SaveFileName(spec);
    if (fileName.isEmpty()) {
        ShowMessage(QString::fromLatin1(kNotSaved));
        return;
    }
    const std::string refusal = graph::PictureOverReportRefusal(
        QFile::encodeName(fileName).toStdString(), session_.CurrentFileName);
    if (!refusal.empty()) {
        ShowMessage(QString::fromLocal8Bit(refusal));
        return;
    }
    if (QFileInfo::exists(fileName) && !dialogs_.AskYesNo(QString::fromLatin1(kOverwrite))) return;
    const QString error = graph::SaveGraphFile(drawn_, fileName);
    if (error.isEmpty()) graphFolder_ = QFileInfo(fileName).absolutePath();
    ShowMessage(error.isEmpty() ? QString::fromLatin1(kSavedIn) + fileName : error);
}

void GraphicsSheet::GraphOpenExecute() {
    const QString fileName = dialogs_.OpenFileName(GraphDialog(QStringLiteral("Open graph")));
    if (fileName.isEmpty()) {
        ShowMessage(QString::fromLatin1(kNoGraphicsFile));
        return;
    }
    if (!QFileInfo::exists(fileName)) {
        ShowMessage(QString::fromLatin1(kFileMissing));
        return;
    }
    // Only a whole picture is shown; otherwise what was shown stays, and the
    // message says what that is.
    const OpenedPicture opened = ReadWholePicture(fileName);
    if (opened.Picture.isNull()) {
        const QString stillShown = graphShown_ && !shownSource_.isEmpty()
                                       ? QStringLiteral(" Still shown: ") + shownSource_ + '.'
                                       : QString();
        ShowMessage(QStringLiteral("The file ") + fileName +
                    QStringLiteral(" cannot be shown as a graph: ") + opened.Refusal +
                    QStringLiteral(".") + stillShown);
        return;
    }
    shownSource_ = fileName;
    if (showStatus_) showStatus_(QStringLiteral("Shown: ") + fileName);
    graphFolder_ = QFileInfo(fileName).absolutePath();
    PictureImage->setPixmap(QPixmap::fromImage(opened.Picture));
    Joule_Image->hide();
    GraphImage->hide();
    PictureImage->show();
    ShowSaveButtonsWithGraph();
    graphShown_ = true;
    Call(hooks_.FollowChosenFolder);
    Call(hooks_.BringToFront);
}

}  // namespace pelorin
