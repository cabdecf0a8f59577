#pragma once

// The water-table graph as a picture: a profile with its titles and method tag
// in, a 623 x 465 image out. The drawing is first laid out as a list of fills,
// texts and lines in painting order (the scene), then painted without
// anti-aliasing, so that every pixel has a colour of the palette.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <string>
#include <variant>
#include <vector>

#include "GraphFrame.h"
#include "GraphScales.h"
#include "Units.h"

namespace pelorin {
struct ReportProfileResult;
}  // namespace pelorin

namespace pelorin::graph {

class GraphPalette {
  public:
    static GraphPalette Colour();
    static GraphPalette BlackAndWhite();

    QColor operator[](GraphInk ink) const { return colours_[static_cast<int>(ink)]; }
    // Every colour the palette can put on a pixel.
    std::vector<QRgb> Colours() const;

  private:
    static GraphPalette FromInks(const InkColours& inks);

    std::array<QColor, kInkCount> colours_;
};

struct GraphRequest {
    GraphProfile Profile;  // metres
    QString Title1;
    QString Title2;
    std::string MethodTag;  // " Dar", " Ene" or " Hyd"
    bool InColour = true;
    UnitSystem Units = UnitSystem::SI;  // the axes in metres or in feet
};

// The profile, titles and tag of a report as the report reader gives them
// (the titles and the tag only when they were reached).
GraphRequest GraphRequestFrom(const ReportProfileResult& report, bool inColour);

// Reports are single-byte text: a title that is not valid UTF-8 is read as Latin-1.
QString ReportText(const std::string& text);

struct SceneFill {
    QRect Area;
    GraphInk Ink;
};

// A text with its top-left corner at TopLeft, on an opaque box of its backdrop.
struct SceneText {
    QPoint TopLeft;
    QString Text;
    GraphInk Ink;
    GraphInk Backdrop;
    bool LargeFont = false;  // the first title only
};

// A line with both end pixels drawn; the gaps of a dotted line show its backdrop.
struct SceneLine {
    QPoint From;
    QPoint To;
    GraphInk Ink;
    bool Dotted = false;
    GraphInk Backdrop = GraphInk::Panel;
};

using SceneItem = std::variant<SceneFill, SceneText, SceneLine>;

struct GraphScene {
    QString Refusal;  // empty when the graph can be drawn
    std::vector<SceneItem> Items;
};

// Needs a QGuiApplication: text widths come from the fonts.
GraphScene BuildGraphScene(const GraphRequest& request);
// The picture as a bitmap of the canvas size.
QImage PaintGraphScene(const GraphScene& scene, const GraphPalette& palette);
// What a scene is painted on: a bitmap sets its texts on whole pixels (hinted,
// as on a 96 dpi screen); a drawing keeps the font's own spacing, so that its
// words read whole wherever it is scaled.
enum class GraphTarget { Bitmap, Drawing };
// The same scene on any device (a drawing, a PDF page, a printer), in canvas
// pixels: the painter's transform places and sizes it there.
void PaintGraphScene(QPainter& painter, const GraphScene& scene, const GraphPalette& palette,
                     GraphTarget target);

struct GraphPicture {
    QString Refusal;  // empty when drawn
    QImage Image;
    // What the image was painted from, so that a drawing of it can be made too.
    GraphScene Scene;
    GraphPalette Palette;
    QString Title;  // the first title line, the drawing's name

    bool Drawn() const { return Refusal.isEmpty(); }
};

// Lays out and paints the graph in the palette of request.InColour.
GraphPicture DrawGraph(const GraphRequest& request);

// Arial of 10 points (the first title) or 8 points, at 96 dots per inch,
// without anti-aliasing or kerning, fully hinted.
QFont GraphFont(bool large);

// Writes a PNG file when the name ends in ".png", a Windows bitmap otherwise
// (GraphFiles.h writes drawings too).
// Returns the error text (the run-time text of a file fault), or an empty text
// when the file was written. The name is taken as the bytes given.
QString SaveGraphImage(const QImage& image, const std::string& fileName);
// The same for a name of the windows, in the system's encoding of file names.
QString SaveGraphImage(const QImage& image, const QString& fileName);

// Why a picture may not be written under `imageName`: it is the report it is
// drawn from (the same file under any spelling, a link or a hard link). Empty
// when it may.
std::string PictureOverReportRefusal(const std::string& imageName, const std::string& reportName);
// The same for any document made from a report; `what` names it ("The picture").
std::string OverReportRefusal(const std::string& what, const std::string& fileName,
                              const std::string& reportName);

// The program's name and version as the build gives them ("Pelorin 0.1.0"):
// the footer of every graph and design sheet, so a printed picture says
// which program drew it.
QString ProgramAndVersion();

}  // namespace pelorin::graph
