#include "GraphDrawing.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetrics>
#include <QImageWriter>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <utility>

#include "FileSystem.h"
#include "GraphFiles.h"
#include "GuardedArithmetic.h"
#include "ReportReaders.h"
#include "RunError.h"

namespace pelorin::graph {
namespace {

// Pixels of the marker cells and segment ends beyond which nothing of them can
// reach the canvas; far-off points are left out or clipped rather than handed
// to the painter, whose fixed-point coordinates would overflow.
constexpr int kMarkerMargin = 100;
constexpr int kSafeCoordinate = 4096;

class SceneBuilder {
  public:
    SceneBuilder(const GraphRequest& request, PreparedGraph graph)
        : request_(request),
          graph_(std::move(graph)),
          scale_(graph_.Scale),
          marks_(ChooseGraphMarks(graph_.DisplayProfile.RowCount(), request.MethodTag)),
          canvas_(1, 1, QImage::Format_RGB32),
          small_(GraphFont(false), &canvas_) {}

    std::vector<SceneItem> Build() {
        AddTitlesAndPanel();
        AddCaptionsAndLegend();
        AddAxes();
        AddHeightTicks();
        AddDistanceTicks();
        AddRequestedLine();
        AddMarkers();
        return std::move(items_);
    }

  private:
    void Fill(QRect area, GraphInk ink) { items_.push_back(SceneFill{area, ink}); }
    void Text(QPoint at, const QString& text, GraphInk ink, GraphInk backdrop, bool large = false) {
        items_.push_back(SceneText{at, text, ink, backdrop, large});
    }
    void Line(QPoint from, QPoint to, GraphInk ink, bool dotted = false) {
        items_.push_back(SceneLine{from, to, ink, dotted, GraphInk::Panel});
    }

    void AddTitlesAndPanel() {
        Fill(QRect(0, 0, kCanvasWidth, kCanvasHeight), GraphInk::Canvas);
        Text(At(kTitle1At), request_.Title1, GraphInk::CanvasText, GraphInk::Canvas, true);
        Text(At(kFooterAt), ProgramAndVersion(), GraphInk::CanvasText, GraphInk::Canvas);
        Fill(QRect(QPoint(kPanelArea.Left, kPanelArea.Top),
                   QPoint(kPanelArea.Right, kPanelArea.Bottom)),
             GraphInk::Panel);
        Text(At(kTitle2At), request_.Title2, GraphInk::SecondTitle, GraphInk::Panel);
    }

    void AddCaptionsAndLegend() {
        Text(At(kDistanceCaptionAt), QString::fromStdString(scale_.DistanceCaption),
             GraphInk::Label, GraphInk::Panel);
        Text(At(kHeightCaptionAt), QString::fromStdString(scale_.HeightCaption), GraphInk::Label,
             GraphInk::Panel);
        Text(At(kLegendDarcyAt), QString::fromStdString(scale_.LegendDarcy), GraphInk::Darcy,
             GraphInk::Panel);
        Text(At(kLegendEnergyAt), QString::fromStdString(scale_.LegendEnergy), GraphInk::Energy,
             GraphInk::Panel);
        if (marks_.RequestedLegend)
            Text(At(kLegendRequestedAt), QString::fromStdString(scale_.LegendRequested),
                 GraphInk::Requested, GraphInk::Panel);
    }

    static QPoint At(FramePoint point) { return {point.X, point.Y}; }

    void AddAxes() {
        Line({kPlotLeft, kPlotBottom}, {kPlotLeft, kPlotTop}, GraphInk::Axis);
        Line({kPlotLeft, kPlotBottom}, {kPlotRight, kPlotBottom}, GraphInk::Axis);
    }

    void AddHeightTicks() {
        for (const AxisTick& tick : HeightAxisTicks(scale_, DecimalSeparator())) {
            Line({kPlotLeft, tick.Pixel}, {kPlotLeft - kTickLength, tick.Pixel}, GraphInk::Axis);
            const QString label = QString::fromStdString(tick.Label);
            const int left = kPlotLeft - small_.horizontalAdvance(label) - kHeightLabelGap;
            const int top = tick.Pixel - RoundStep(0.5 * small_.height());
            Text({left, top}, label, GraphInk::Label, GraphInk::Panel);
        }
    }

    void AddDistanceTicks() {
        for (const DistanceTick& tick : DistanceAxisTicks(scale_, DecimalSeparator())) {
            Line({tick.Pixel, kPlotBottom}, {tick.Pixel, kPlotBottom + kTickLength},
                 GraphInk::Axis);
            Text({tick.LabelLeft, kDistanceLabelTop}, QString::fromStdString(tick.Label),
                 GraphInk::Label, GraphInk::Panel);
        }
    }

    void AddRequestedLine() {
        const std::vector<std::int32_t>& rows =
            marks_.Curve == RequestedCurve::Energy ? scale_.PixelYEnergy : scale_.PixelYDarcy;
        for (int i = marks_.Segments.First; i <= marks_.Segments.Last; ++i) {
            const auto segment = ClippedSegment(Point(i - 1, rows, kRequestedLineBelow),
                                                Point(i, rows, kRequestedLineBelow));
            if (segment) Line(segment->first, segment->second, GraphInk::Requested, true);
        }
    }

    void AddMarkers() {
        AddMarkerRun(marks_.DarcyMarkers, scale_.PixelYDarcy, QStringLiteral("x"), GraphInk::Darcy);
        AddMarkerRun(marks_.EnergyMarkers, scale_.PixelYEnergy, QStringLiteral("o"),
                     GraphInk::Energy);
    }

    void AddMarkerRun(RowRange range, const std::vector<std::int32_t>& rows, const QString& marker,
                      GraphInk ink) {
        const QRect reach(-kMarkerMargin, -kMarkerMargin, kCanvasWidth + 2 * kMarkerMargin,
                          kCanvasHeight + 2 * kMarkerMargin);
        for (int i = range.First; i <= range.Last; ++i) {
            const QPoint at(scale_.PixelX[i], rows[i]);
            if (reach.contains(at)) Text(at, marker, ink, GraphInk::Panel);
        }
    }

    // A point of the curve in double precision, `below` pixels under the marker row.
    QPointF Point(int row, const std::vector<std::int32_t>& rows, int below) const {
        return QPointF(scale_.PixelX[row], static_cast<double>(rows[row]) + below);
    }

    static std::string DecimalSeparator() { return QLocale().decimalPoint().toStdString(); }

    // The segment as it is, or its part on and near the canvas when an end lies
    // far outside; nothing when it misses the canvas.
    static std::optional<std::pair<QPoint, QPoint>> ClippedSegment(QPointF a, QPointF b);

    const GraphRequest& request_;
    PreparedGraph graph_;
    const GraphScale& scale_;
    GraphMarks marks_;
    QImage canvas_;
    QFontMetrics small_;
    std::vector<SceneItem> items_;
};

bool Near(QPointF p) {
    return std::abs(p.x()) <= kSafeCoordinate && std::abs(p.y()) <= kSafeCoordinate;
}

// Liang-Barsky clipping against a box one pixel larger than the canvas.
std::optional<std::pair<QPoint, QPoint>> SceneBuilder::ClippedSegment(QPointF a, QPointF b) {
    if (Near(a) && Near(b)) return std::pair(a.toPoint(), b.toPoint());
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const std::array<double, 4> p{-dx, dx, -dy, dy};
    const std::array<double, 4> q{a.x() + 1, kCanvasWidth - a.x(), a.y() + 1,
                                  kCanvasHeight - a.y()};
    double enter = 0.0;
    double leave = 1.0;
    for (int side = 0; side < 4; ++side) {
        if (p[side] == 0.0) {
            if (q[side] < 0.0) return std::nullopt;
            continue;
        }
        const double t = q[side] / p[side];
        if (p[side] < 0.0) enter = std::max(enter, t);
        if (p[side] > 0.0) leave = std::min(leave, t);
    }
    if (enter > leave) return std::nullopt;
    const QPointF from(a.x() + enter * dx, a.y() + enter * dy);
    const QPointF to(a.x() + leave * dx, a.y() + leave * dy);
    return std::pair(from.toPoint(), to.toPoint());
}

void PaintText(QPainter& painter, const SceneText& text, const GraphPalette& palette,
               GraphTarget target) {
    QFont font = GraphFont(text.LargeFont);
    if (target == GraphTarget::Drawing) font.setHintingPreference(QFont::PreferNoHinting);
    painter.setFont(font);
    painter.setPen(palette[text.Ink]);
    painter.setBackground(palette[text.Backdrop]);
    const QFontMetrics metrics(font, painter.device());
    painter.drawText(text.TopLeft.x(), text.TopLeft.y() + metrics.ascent(), text.Text);
}

void PaintLine(QPainter& painter, const SceneLine& line, const GraphPalette& palette) {
    QPen pen(palette[line.Ink], 1, line.Dotted ? Qt::DotLine : Qt::SolidLine, Qt::SquareCap);
    painter.setPen(pen);
    painter.setBackground(palette[line.Backdrop]);
    painter.drawLine(line.From, line.To);
}

}  // namespace

GraphPalette GraphPalette::FromInks(const InkColours& inks) {
    GraphPalette palette;
    for (int i = 0; i < kInkCount; ++i) palette.colours_[i] = QColor::fromRgb(inks[i]);
    return palette;
}

GraphPalette GraphPalette::Colour() { return FromInks(kColourInks); }

GraphPalette GraphPalette::BlackAndWhite() { return FromInks(kBlackAndWhiteInks); }

std::vector<QRgb> GraphPalette::Colours() const {
    std::vector<QRgb> colours;
    for (const QColor& colour : colours_)
        if (std::find(colours.begin(), colours.end(), colour.rgb()) == colours.end())
            colours.push_back(colour.rgb());
    return colours;
}

QString ReportText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString ProgramAndVersion() { return QStringLiteral("Pelorin " PELORIN_VERSION); }

GraphRequest GraphRequestFrom(const ReportProfileResult& report, bool inColour) {
    const std::size_t rows =
        std::min({report.X.size(), report.HeadDarcy.size(), report.HeadEnergy.size()});
    const auto firstRows = [rows](const std::vector<double>& column) {
        return std::vector<double>(column.begin(), column.begin() + static_cast<long>(rows));
    };
    GraphRequest request;
    request.Profile.X = firstRows(report.X);
    request.Profile.HeadDarcy = firstRows(report.HeadDarcy);
    request.Profile.HeadEnergy = firstRows(report.HeadEnergy);
    if (report.TitlesRead) {
        request.Title1 = ReportText(report.Title1);
        request.Title2 = ReportText(report.Title2);
        request.MethodTag = report.MethodTag;
    }
    request.InColour = inColour;
    return request;
}

QFont GraphFont(bool large) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(large ? kLargeFontPixels : kSmallFontPixels);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setKerning(false);
    // Full hinting keeps the monochrome glyphs on whole pixels, as on a 96 dpi screen.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

namespace {

// The profile's distances and heads in the chosen length unit.
GraphProfile ProfileInUnits(GraphProfile profile, UnitSystem units) {
    if (units == UnitSystem::SI) return profile;
    for (std::vector<double>* column : {&profile.X, &profile.HeadDarcy, &profile.HeadEnergy})
        for (double& value : *column) value = FromSi(value, Dimension::Length, units);
    return profile;
}

}  // namespace

GraphScene BuildGraphScene(const GraphRequest& request) {
    GraphScene scene;
    PreparedGraph graph = PrepareGraph(ProfileInUnits(request.Profile, request.Units),
                                       UnitName(Dimension::Length, request.Units));
    if (!graph.Drawable()) {
        scene.Refusal = QString::fromStdString(graph.Refusal);
        return scene;
    }
    try {
        scene.Items = SceneBuilder(request, std::move(graph)).Build();
    } catch (const RunError& error) {
        scene.Refusal = QString::fromStdString(error.what());
    }
    return scene;
}

QImage PaintGraphScene(const GraphScene& scene, const GraphPalette& palette) {
    QImage image(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
    image.fill(kWhite);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    PaintGraphScene(painter, scene, palette, GraphTarget::Bitmap);
    return image;
}

void PaintGraphScene(QPainter& painter, const GraphScene& scene, const GraphPalette& palette,
                     GraphTarget target) {
    painter.save();
    painter.setBackgroundMode(Qt::OpaqueMode);
    for (const SceneItem& item : scene.Items) {
        if (const auto* fill = std::get_if<SceneFill>(&item))
            painter.fillRect(fill->Area, palette[fill->Ink]);
        else if (const auto* text = std::get_if<SceneText>(&item))
            PaintText(painter, *text, palette, target);
        else if (const auto* line = std::get_if<SceneLine>(&item))
            PaintLine(painter, *line, palette);
    }
    painter.restore();
}

GraphPicture DrawGraph(const GraphRequest& request) {
    GraphPicture picture;
    const GraphScene scene = BuildGraphScene(request);
    picture.Refusal = scene.Refusal;
    if (!picture.Drawn()) return picture;
    picture.Palette = request.InColour ? GraphPalette::Colour() : GraphPalette::BlackAndWhite();
    picture.Image = PaintGraphScene(scene, picture.Palette);
    picture.Scene = scene;
    picture.Title = request.Title1;
    return picture;
}

QString SaveGraphImage(const QImage& image, const std::string& fileName) {
    const bool png = GraphFileFormatOf(fileName) == GraphFileFormat::Png;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, png ? "png" : "bmp");
    if (!writer.write(image)) return writer.errorString();
    return WriteWholeFile(fileName, bytes);
}

QString SaveGraphImage(const QImage& image, const QString& fileName) {
    return SaveGraphImage(image, QFile::encodeName(fileName).toStdString());
}

std::string PictureOverReportRefusal(const std::string& imageName, const std::string& reportName) {
    return OverReportRefusal("The picture", imageName, reportName);
}

std::string OverReportRefusal(const std::string& what, const std::string& fileName,
                              const std::string& reportName) {
    NodeInfo file;
    NodeInfo report;
    InspectFile(fileName, file);
    InspectFile(reportName, report);
    if (!SameFile(file, report)) return {};
    std::string lower = what;
    if (!lower.empty()) lower[0] = static_cast<char>(std::tolower(lower[0]));
    return what + " cannot be written: " + fileName + " is the report " + reportName +
           ", which it would replace. Give " + lower + " another name.";
}

}  // namespace pelorin::graph
