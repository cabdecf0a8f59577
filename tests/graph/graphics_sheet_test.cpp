#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <set>

#include "DesktopSession.h"
#include "GraphDrawing.h"
#include "GraphTestSupport.h"
#include "GraphicsSheet.h"
#include "PictureFiles.h"
#include "QStringPrinting.h"
#include "UserDialogs.h"

namespace pelorin {
namespace {

using graph::test::ReportText;

// Answers the sheet's dialogs from a script and records what it was asked.
class ScriptedDialogs : public UserDialogs {
  public:
    QQueue<QString> FileAnswers;  // an empty text cancels
    QQueue<bool> YesNoAnswers;
    QStringList Messages;
    QStringList Questions;
    QList<FileDialogSpec> Specs;

    void ShowMessage(const QString& text) override { Messages << text; }
    bool AskYesNo(const QString& question) override {
        Questions << question;
        return !YesNoAnswers.isEmpty() && YesNoAnswers.dequeue();
    }
    QString OpenFileName(const FileDialogSpec& spec) override { return Answer(spec); }
    QString SaveFileName(const FileDialogSpec& spec) override { return Answer(spec); }

  private:
    QString Answer(const FileDialogSpec& spec) {
        Specs << spec;
        return FileAnswers.isEmpty() ? QString() : FileAnswers.dequeue();
    }
};

class GraphicsSheetTest : public testing::Test {
  protected:
    GraphicsSheetTest()
        : sheet(session, dialogs, [this](const QString& text) { statusTexts << text; }) {
        GraphicsSheet::Hooks hooks;
        hooks.BringToFront = [this] { ++broughtToFront; };
        hooks.MarkOutputShown = [this] { outputShown = true; };
        hooks.HideFigureWindow = [this] { ++figureHidden; };
        hooks.HideOutputMemos = [this] { ++memosHidden; };
        hooks.SetDialogFolders = [this](const QString& folder) { dialogFolders << folder; };
        sheet.SetHooks(hooks);
    }

    QString Report(const std::vector<graph::test::ProfileRow>& rows, const char* module = "DarSpac",
                   const QString& name = "case.out") {
        const QString file = folder.filePath(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(ReportText(module, rows)));
        return file;
    }

    template <typename T>
    T* Child(const char* name) {
        T* child = sheet.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    bool Shown(const char* name) { return !Child<QWidget>(name)->isHidden(); }

    std::set<QRgb> Colours(const QImage& image) {
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
        return colours;
    }
    bool BlackAndWhite(const QImage& image) {
        return Colours(image) ==
               std::set<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(192, 192, 192)};
    }

    QTemporaryDir folder;
    DesktopSession session;
    ScriptedDialogs dialogs;
    QStringList statusTexts;
    int broughtToFront = 0;
    bool outputShown = false;
    int figureHidden = 0;
    int memosHidden = 0;
    QStringList dialogFolders;
    GraphicsSheet sheet;
};

TEST_F(GraphicsSheetTest, ComponentsStartWherePlacedAndAsShown) {
    struct Component {
        const char* name;
        QRect place;
        bool shown;
        const char* caption;  // buttons only
    };
    const std::vector<Component> components{
        {"GraphImage", {0, 0, 623, 465}, false, nullptr},
        {"PictureImage", {8, 0, 625, 465}, false, nullptr},
        {"JouleImage2", {548, 296, 142, 172}, true, nullptr},
        {"MakeGraphics_Button", {602, 478, 97, 25}, true, "Make graph"},
        {"SaveGraphButton", {376, 478, 115, 25}, false, "Save color graph"},
        {"BlWhButton", {248, 480, 115, 25}, false, "Save Bl-Wh graph"},  // no graph to save
        {"SeeGraphButton", {498, 478, 97, 25}, true, "Open graph "},
    };
    for (const Component& c : components) {
        QWidget* widget = Child<QWidget>(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), c.place) << c.name;
        EXPECT_EQ(!widget->isHidden(), c.shown) << c.name;
        if (c.caption) {
            EXPECT_EQ(Child<QPushButton>(c.name)->text(), c.caption) << c.name;
        }
    }
    EXPECT_FALSE(sheet.GraphShown());
    EXPECT_FALSE(sheet.GraphInColour());
    EXPECT_EQ(sheet.GraphOpenAction()->shortcut(), QKeySequence("Ctrl+G"));
}

TEST_F(GraphicsSheetTest, ShowingTheSheetGivesItsHintAndSwitchesToColour) {
    sheet.Graphics_TabSheetShow();
    EXPECT_EQ(statusTexts,
              QStringList{"Graphics presentations of output data can be seen and saved. Use "
                          "\"Make graph\" to open an output file and see the graphs."});
    EXPECT_EQ(figureHidden, 1);
    EXPECT_TRUE(Shown("JouleImage2"));
    EXPECT_TRUE(sheet.GraphInColour());
}

TEST_F(GraphicsSheetTest, SeeGraphDrawsTheReportAndBringsTheSheetToTheFront) {
    session.CurrentFileName = Report(graph::test::HalfSpacing20Rows()).toStdString();
    sheet.SetGraphInColour(true);
    sheet.ViewGraphButtonClick();
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Messages.join("|").toStdString();
    EXPECT_TRUE(outputShown);
    EXPECT_EQ(broughtToFront, 1);
    EXPECT_TRUE(sheet.GraphShown());
    EXPECT_TRUE(Shown("GraphImage"));
    EXPECT_TRUE(Shown("SaveGraphButton"));
    EXPECT_FALSE(Shown("JouleImage2"));
    EXPECT_EQ(sheet.GraphPicture().size(), QSize(623, 465));
    EXPECT_EQ(Child<QLabel>("GraphImage")->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              sheet.GraphPicture());
    EXPECT_TRUE(Colours(sheet.GraphPicture()).count(qRgb(0, 0, 139)));
}

TEST_F(GraphicsSheetTest, SeeGraphRefusesAProfileOfTwoRows) {
    session.CurrentFileName = Report(graph::test::TwoRows()).toStdString();
    sheet.ViewGraphButtonClick();
    EXPECT_EQ(dialogs.Messages,
              QStringList{" The drain spacing is very short. Graphs cannot me made."});
    EXPECT_EQ(broughtToFront, 0);
    EXPECT_TRUE(sheet.GraphPicture().isNull());
}

TEST_F(GraphicsSheetTest, MakeGraphNeedsAChosenExistingReport) {
    sheet.MakeGraphics_ButtonClick();
    EXPECT_EQ(dialogs.Messages, QStringList{"No output file was selected"});
    EXPECT_EQ(memosHidden, 1);
    EXPECT_FALSE(Shown("SaveGraphButton"));  // nothing drawn, nothing to save
    ASSERT_EQ(dialogs.Specs.size(), 1);
    EXPECT_EQ(dialogs.Specs[0].Filter, "Output files (*.out)");

    dialogs.FileAnswers << folder.filePath("missing.out");
    sheet.MakeGraphics_ButtonClick();
    EXPECT_EQ(dialogs.Messages.last(), "File does not exist, please select another one,");
    EXPECT_EQ(session.CurrentFileName, folder.filePath("missing.out").toStdString());
    EXPECT_TRUE(sheet.GraphPicture().isNull());
}

TEST_F(GraphicsSheetTest, MakeGraphDrawsEvenAShortProfile) {
    dialogs.FileAnswers << Report(graph::test::TwoRows(), "EneSpac");
    sheet.MakeGraphics_ButtonClick();
    EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Messages.join("|").toStdString();
    EXPECT_EQ(session.ReportMethodTag, " Ene");
    EXPECT_TRUE(Shown("GraphImage"));
    EXPECT_FALSE(sheet.GraphPicture().isNull());
    EXPECT_TRUE(BlackAndWhite(sheet.GraphPicture()));  // the palette in force: not yet colour
}

TEST_F(GraphicsSheetTest, MakeGraphOnAReportWithoutRowsShowsWhyAndDrawsNothing) {
    dialogs.FileAnswers << Report({});
    sheet.MakeGraphics_ButtonClick();
    EXPECT_EQ(dialogs.Messages,
              QStringList{"The output file holds no watertable profile, so no graph can be made."});
    EXPECT_TRUE(sheet.GraphPicture().isNull());
    EXPECT_FALSE(Shown("GraphImage") && !Child<QLabel>("GraphImage")->pixmap().isNull());
}

TEST_F(GraphicsSheetTest, SavingWithoutAProfileIsRefusedBeforeTheDialog) {
    sheet.BlWhButtonClick();
    EXPECT_EQ(dialogs.Messages,
              QStringList{"The output file holds no watertable profile, so no graph can be made."});
    EXPECT_TRUE(dialogs.Specs.isEmpty());
}

TEST_F(GraphicsSheetTest, SaveAsksBeforeOverwritingAndSaysWhereItSaved) {
    dialogs.FileAnswers << Report(graph::test::HalfSpacing20Rows());
    sheet.MakeGraphics_ButtonClick();
    const QString target = folder.filePath("graph.bmp");

    sheet.SaveGraphButtonClick();  // cancelled
    EXPECT_EQ(dialogs.Messages.last(), "The graph was not saved");
    ASSERT_FALSE(dialogs.Specs.isEmpty());
    EXPECT_TRUE(dialogs.Specs.last().Filter.startsWith("Image files (*.bmp)"));
    EXPECT_TRUE(dialogs.Specs.last().Filter.contains("*.png"));
    EXPECT_EQ(dialogs.Specs.last().DefaultSuffix, "bmp");

    QFile existing(target);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    const int messagesBefore = dialogs.Messages.size();
    dialogs.FileAnswers << target;
    dialogs.YesNoAnswers << false;
    sheet.SaveGraphButtonClick();
    EXPECT_EQ(dialogs.Questions, QStringList{"The file already exists, overwrite?"});
    EXPECT_EQ(dialogs.Messages.size(), messagesBefore);
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "old");
    existing.close();

    dialogs.FileAnswers << target;
    dialogs.YesNoAnswers << true;
    sheet.SaveGraphButtonClick();
    EXPECT_EQ(dialogs.Messages.last(), "The graph was saved in  " + target);
    QImage saved;
    ASSERT_TRUE(saved.load(target, "bmp"));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), sheet.GraphPicture());
}

// The picture never replaces the report it is drawn from, under any name; a
// picture that cannot be written says why and leaves the old one.
TEST_F(GraphicsSheetTest, SavingOverTheReportOrOnAFullDiskKeepsTheFiles) {
    const QString report = Report(graph::test::HalfSpacing20Rows());
    dialogs.FileAnswers << report;
    sheet.MakeGraphics_ButtonClick();
    const QByteArray reportBytes = ReportText("DarSpac", graph::test::HalfSpacing20Rows()).c_str();
    ASSERT_TRUE(QFile::link(report, folder.filePath("link.bmp")));
    for (const QString& name :
         {report, folder.filePath("sub/../case.out"), folder.filePath("link.bmp")}) {
        QDir(folder.path()).mkdir("sub");
        dialogs.FileAnswers << name;
        dialogs.YesNoAnswers << true;
        sheet.SaveGraphButtonClick();
        EXPECT_TRUE(dialogs.Messages.last().contains("which it would replace"))
            << name.toStdString();
        QFile kept(report);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), reportBytes) << name.toStdString();
    }
    // /dev/full takes no byte
    dialogs.FileAnswers << QStringLiteral("/dev/full");
    dialogs.YesNoAnswers << true;
    sheet.BlWhButtonClick();
    EXPECT_EQ(dialogs.Messages.last(), "Disk full");
}

TEST_F(GraphicsSheetTest, BlackAndWhiteThenColourSavesBothAndLeavesColourOnScreen) {
    dialogs.FileAnswers << Report(graph::test::HalfSpacing20Rows());
    sheet.MakeGraphics_ButtonClick();
    const QString bw = folder.filePath("bw.bmp");
    const QString colour = folder.filePath("colour.png");
    dialogs.FileAnswers << bw << colour;

    sheet.BlWhButtonClick();
    EXPECT_FALSE(sheet.GraphInColour());
    EXPECT_TRUE(BlackAndWhite(sheet.GraphPicture()));
    sheet.SaveGraphButtonClick();
    EXPECT_TRUE(sheet.GraphInColour());

    QImage bwImage, colourImage;
    ASSERT_TRUE(bwImage.load(bw, "bmp"));
    ASSERT_TRUE(colourImage.load(colour, "png"));
    EXPECT_TRUE(BlackAndWhite(bwImage.convertToFormat(QImage::Format_RGB32)));
    EXPECT_TRUE(Colours(colourImage.convertToFormat(QImage::Format_RGB32)).count(qRgb(0, 0, 139)));
    EXPECT_EQ(colourImage.convertToFormat(QImage::Format_RGB32), sheet.GraphPicture());
}

// Drawings are offered besides the pictures; the shown picture stays as it is.
TEST_F(GraphicsSheetTest, SavesTheGraphAsAnSvgOrAPdfDrawing) {
    dialogs.FileAnswers << Report(graph::test::HalfSpacing20Rows());
    sheet.MakeGraphics_ButtonClick();
    sheet.SetGraphInColour(true);
    const QString svg = folder.filePath("graph.svg");
    const QString pdf = folder.filePath("graph.pdf");
    dialogs.FileAnswers << svg;
    sheet.SaveGraphButtonClick();
    const QImage shown = sheet.GraphPicture();
    dialogs.FileAnswers << pdf;
    sheet.SaveGraphButtonClick();
    EXPECT_EQ(dialogs.Messages,
              QStringList({"The graph was saved in  " + svg, "The graph was saved in  " + pdf}));
    EXPECT_TRUE(dialogs.Specs.last().Filter.contains("SVG drawings (*.svg)"));
    EXPECT_TRUE(dialogs.Specs.last().Filter.contains("PDF documents (*.pdf)"));
    EXPECT_EQ(sheet.GraphPicture(), shown);
    EXPECT_EQ(Child<QLabel>("GraphImage")->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              shown);
    QFile drawing(svg);
    ASSERT_TRUE(drawing.open(QIODevice::ReadOnly));
    const QByteArray svgBytes = drawing.readAll();
    EXPECT_TRUE(svgBytes.contains(">Distance from drain (m)</text>"));
    EXPECT_TRUE(svgBytes.contains("fill=\"#00008b\""));  // the colour panel
    QFile document(pdf);
    ASSERT_TRUE(document.open(QIODevice::ReadOnly));
    EXPECT_TRUE(document.readAll().startsWith("%PDF-"));
}

TEST_F(GraphicsSheetTest, OpenGraphShowsThePictureAndHidesTheSaveButtons) {
    sheet.GraphOpenExecute();
    EXPECT_EQ(dialogs.Messages.last(), "No graphics file was selected");
    EXPECT_TRUE(dialogs.Specs.last().Filter.startsWith("Image files (*.bmp)"));

    dialogs.FileAnswers << folder.filePath("missing.bmp");
    sheet.GraphOpenExecute();
    EXPECT_EQ(dialogs.Messages.last(), "File does not exist, please select another one,");

    const QString notAPicture = Report(graph::test::FourRows(), "DarSpac", "text.bmp");
    dialogs.FileAnswers << notAPicture;
    const int messagesBefore = dialogs.Messages.size();
    sheet.GraphOpenExecute();
    EXPECT_EQ(dialogs.Messages.size(), messagesBefore + 1);
    EXPECT_FALSE(Shown("PictureImage"));

    dialogs.FileAnswers << Report(graph::test::FourRows()) << folder.filePath("g.bmp");
    sheet.MakeGraphics_ButtonClick();
    sheet.SaveGraphButtonClick();
    dialogs.FileAnswers << folder.filePath("g.bmp");
    sheet.GraphOpenExecute();
    EXPECT_TRUE(Shown("PictureImage"));
    EXPECT_FALSE(Shown("GraphImage"));
    EXPECT_FALSE(Shown("SaveGraphButton"));
    EXPECT_FALSE(Shown("BlWhButton"));
    EXPECT_FALSE(Shown("JouleImage2"));
    EXPECT_TRUE(sheet.GraphShown());
    EXPECT_EQ(dialogFolders, QStringList{QDir::currentPath()});
    EXPECT_EQ(broughtToFront, 1);
    EXPECT_EQ(Child<QLabel>("PictureImage")->pixmap().size(), QSize(623, 465));

    dialogs.FileAnswers << Report(graph::test::FourRows());
    sheet.MakeGraphics_ButtonClick();
    EXPECT_TRUE(Shown("SaveGraphButton"));
    EXPECT_TRUE(Shown("BlWhButton"));
    EXPECT_TRUE(Shown("GraphImage"));
    EXPECT_FALSE(Shown("PictureImage"));
}

TEST_F(GraphicsSheetTest, TheOpenGraphButtonRunsTheGraphOpenAction) {
    Child<QPushButton>("SeeGraphButton")->click();
    EXPECT_EQ(dialogs.Messages, QStringList{"No graphics file was selected"});
}

TEST_F(GraphicsSheetTest, OpenGraphRefusesWhatIsNoWholePictureAndKeepsTheShownOne) {
    dialogs.FileAnswers << Report(graph::test::FourRows()) << folder.filePath("g.bmp");
    sheet.MakeGraphics_ButtonClick();
    sheet.SaveGraphButtonClick();
    dialogs.FileAnswers << folder.filePath("g.bmp");
    sheet.GraphOpenExecute();
    const QImage shown = Child<QLabel>("PictureImage")->pixmap().toImage();
    QFile whole(folder.filePath("g.bmp"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.bmp"));
    QFile cut(folder.filePath("cut.bmp"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() - 1));
    cut.close();
    for (const char* name : {"folder.bmp", "cut.bmp"}) {
        dialogs.FileAnswers << folder.filePath(name);
        sheet.GraphOpenExecute();
        EXPECT_TRUE(dialogs.Messages.last().startsWith("The file " + folder.filePath(name) +
                                                       " cannot be shown as a graph: "))
            << dialogs.Messages.last().toStdString();
        EXPECT_EQ(Child<QLabel>("PictureImage")->pixmap().toImage(), shown) << name;
        EXPECT_FALSE(Shown("SaveGraphButton"));
    }
    // The graph dialogs open where the last graph was saved or opened.
    EXPECT_EQ(dialogs.Specs.last().InitialFolder, folder.path());
}

// A bitmap of the given size and depth, optionally run-length coded from
// `rle`, as the headers lay it out.
QByteArray Bitmap(int width, int height, int bits, const QByteArray& rle = QByteArray()) {
    const int palette = bits <= 8 ? (1 << bits) * 4 : 0;
    const int stride = (width * bits + 31) / 32 * 4;
    const QByteArray pixels = rle.isEmpty() ? QByteArray(stride * height, '\x11') : rle;
    QByteArray b;
    auto le = [&b](quint32 value, int size) {
        for (int i = 0; i < size; ++i) b.append(char((value >> (8 * i)) & 0xFF));
    };
    b.append("BM");
    le(14 + 40 + palette + pixels.size(), 4);
    le(0, 4);
    le(14 + 40 + palette, 4);
    le(40, 4);
    le(width, 4);
    le(height, 4);
    le(1, 2);
    le(bits, 2);
    le(rle.isEmpty() ? 0 : (bits == 8 ? 1 : 2), 4);
    for (int i = 0; i < 5; ++i) le(0, 4);
    b.append(QByteArray(palette, '\0'));
    return b + pixels;
}

TEST(PictureFiles, OnlyWholePicturesAreTaken) {
    const QByteArray rgb = Bitmap(5, 3, 24);
    const QByteArray indexed = Bitmap(7, 2, 8);
    // Two rows of four pixels run-length coded: whole, a row left short, a
    // skip, and the end marker missing.
    const QByteArray rle = Bitmap(4, 2, 8, QByteArray("\x04\x01\x00\x00\x04\x02\x00\x01", 8));
    const QByteArray shortRow = Bitmap(4, 2, 8, QByteArray("\x03\x01\x00\x00\x04\x02\x00\x01", 8));
    const QByteArray skip = Bitmap(4, 2, 8, QByteArray("\x04\x01\x00\x02\x00\x01\x00\x01", 8));
    QImage png(6, 4, QImage::Format_RGB32);
    png.fill(Qt::red);
    QByteArray pngBytes;
    QBuffer buffer(&pngBytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(png.save(&buffer, "PNG"));
    EXPECT_EQ(IncompletePictureReason(rgb), "");
    EXPECT_EQ(IncompletePictureReason(indexed), "");
    EXPECT_EQ(IncompletePictureReason(rle), "");
    EXPECT_EQ(IncompletePictureReason(pngBytes), "");
    for (const QByteArray* whole :
         {&rgb, &indexed, &rle, static_cast<const QByteArray*>(&pngBytes)})
        for (qsizetype length = 1; length < whole->size(); ++length)
            EXPECT_NE(IncompletePictureReason(whole->left(length)), "") << length;
    EXPECT_EQ(IncompletePictureReason({}), "it is empty");
    EXPECT_EQ(IncompletePictureReason(shortRow), "it leaves pixels of its picture unset");
    EXPECT_EQ(IncompletePictureReason(skip), "it leaves pixels of its picture unset");
    EXPECT_EQ(IncompletePictureReason("GIF89a......"),
              "it is neither a bitmap (.bmp) nor a PNG picture");
}

}  // namespace
}  // namespace pelorin
