#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <set>
#include <string>
#include <vector>

#include "GraphDrawing.h"
#include "GraphTestSupport.h"
#include "GuardedArithmetic.h"
#include "QStringPrinting.h"

namespace pelorin::graph {
namespace {

using test::ProfileRow;

const QRgb kSilverRgb = qRgb(192, 192, 192);
const QRgb kBlackRgb = qRgb(0, 0, 0);
const QRgb kWhiteRgb = qRgb(255, 255, 255);
const QRgb kDarkBlueRgb = qRgb(0, 0, 139);
const QRgb kYellowRgb = qRgb(255, 255, 0);

GraphRequest Request(const std::vector<ProfileRow>& rows, const std::string& tag,
                     bool inColour = true) {
    GraphRequest request;
    request.Profile = test::MakeProfile(rows);
    request.Title1 = QStringLiteral("First title");
    request.Title2 = QStringLiteral("Second title");
    request.MethodTag = tag;
    request.InColour = inColour;
    return request;
}

std::set<QRgb> ColoursOf(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    return colours;
}

int CountColour(const QImage& image, QRgb colour, QRect area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour) ++count;
    return count;
}

std::vector<SceneText> TextsOf(const GraphScene& scene) {
    std::vector<SceneText> texts;
    for (const SceneItem& item : scene.Items)
        if (const auto* text = std::get_if<SceneText>(&item)) texts.push_back(*text);
    return texts;
}

std::vector<SceneText> TextsReading(const GraphScene& scene, const QString& content) {
    std::vector<SceneText> texts;
    for (const SceneText& text : TextsOf(scene))
        if (text.Text == content) texts.push_back(text);
    return texts;
}

std::vector<SceneLine> DottedLinesOf(const GraphScene& scene) {
    std::vector<SceneLine> lines;
    for (const SceneItem& item : scene.Items)
        if (const auto* line = std::get_if<SceneLine>(&item); line && line->Dotted)
            lines.push_back(*line);
    return lines;
}

struct DrawCase {
    const char* name;
    std::vector<ProfileRow> rows;
    const char* tag;
};

std::vector<DrawCase> DrawCases() {
    return {
        {"13 rows, Darcy", test::HalfSpacing20Rows(), " Dar"},
        {"13 rows, head", test::HalfSpacing20Rows(), " Hyd"},
        {"4 rows, energy balance", test::FourRows(), " Ene"},
        {"one row", {{2, 0.0001, 0.0001}}, " Dar"},
        {"heads at the floor", {{0.1, 0.0001, 0.0001}, {3, 0.0001, 0.0001}}, " Ene"},
        {"distances in cm",
         {{0.001, 0.0001, 0.0001}, {0.02, 0.01, 0.008}, {0.05, 0.02, 0.015}},
         " Dar"},
        {"energy head far above the axis",
         {{0.1, 0.0001, 0.0001}, {1, 0.3, 0.3}, {2, 0.6, 1e6}},
         " Ene"},
    };
}

TEST(GraphDrawing, BlackAndWhitePicturesAreBlackWhiteAndSilverOnly) {
    for (const DrawCase& c : DrawCases()) {
        const GraphPicture picture = DrawGraph(Request(c.rows, c.tag, false));
        ASSERT_TRUE(picture.Drawn()) << c.name << ": " << picture.Refusal.toStdString();
        EXPECT_EQ(picture.Image.size(), QSize(623, 465)) << c.name;
        const std::set<QRgb> allowed{kBlackRgb, kWhiteRgb, kSilverRgb};
        for (QRgb colour : ColoursOf(picture.Image))
            EXPECT_TRUE(allowed.count(colour)) << c.name << ": " << std::hex << colour;
    }
}

TEST(GraphDrawing, ColourPicturesUseOnlyThePaletteColours) {
    const std::vector<QRgb> palette = GraphPalette::Colour().Colours();
    const std::set<QRgb> allowed(palette.begin(), palette.end());
    EXPECT_EQ(allowed, (std::set<QRgb>{kSilverRgb, kBlackRgb, kDarkBlueRgb, kWhiteRgb, kYellowRgb,
                                       qRgb(0, 255, 255)}));
    for (const DrawCase& c : DrawCases()) {
        const GraphPicture picture = DrawGraph(Request(c.rows, c.tag));
        ASSERT_TRUE(picture.Drawn()) << c.name;
        for (QRgb colour : ColoursOf(picture.Image))
            EXPECT_TRUE(allowed.count(colour)) << c.name << ": " << std::hex << colour;
    }
}

TEST(GraphDrawing, DrawingTheSameProfileTwiceGivesTheSamePicture) {
    for (const DrawCase& c : DrawCases()) {
        for (bool inColour : {true, false}) {
            const GraphRequest request = Request(c.rows, c.tag, inColour);
            const QImage first = DrawGraph(request).Image;
            const QImage second = DrawGraph(request).Image;
            EXPECT_EQ(first, second) << c.name;
            EXPECT_EQ(request.Profile.X, test::MakeProfile(c.rows).X) << c.name;
        }
    }
}

TEST(GraphDrawing, FrameAxesAndTicksLieOnTheirPixels) {
    struct Case {
        bool inColour;
        QRgb panel;
        QRgb axis;
    };
    for (const Case& c : {Case{true, kDarkBlueRgb, kWhiteRgb}, Case{false, kWhiteRgb, kBlackRgb}}) {
        const QImage image =
            DrawGraph(Request(test::HalfSpacing20Rows(), " Dar", c.inColour)).Image;
        // The panel from (20, 19) to (604, 444) inclusive, silver around it.
        EXPECT_EQ(image.pixel(19, 200), kSilverRgb);
        EXPECT_EQ(image.pixel(20, 200), c.panel);
        EXPECT_EQ(image.pixel(300, 18), kSilverRgb);
        EXPECT_EQ(image.pixel(300, 19), c.panel);
        EXPECT_EQ(image.pixel(604, 444), c.panel);
        EXPECT_EQ(image.pixel(605, 444), kSilverRgb);
        EXPECT_EQ(image.pixel(604, 445), kSilverRgb);
        // Both axes with their end pixels.
        for (const QPoint& p : {QPoint(70, 390), QPoint(70, 70), QPoint(70, 230), QPoint(570, 390)})
            EXPECT_EQ(image.pixel(p), c.axis) << p.x() << "," << p.y();
        EXPECT_EQ(image.pixel(71, 389), c.panel);
        // Height ticks every 32 pixels from x 66 to 70; distance ticks down to y 394.
        for (int y = 70; y <= 390; y += 32) EXPECT_EQ(image.pixel(66, y), c.axis) << y;
        EXPECT_EQ(image.pixel(65, 102), c.panel);
        for (int x : {70, 153, 237, 320, 403, 487, 570})
            EXPECT_EQ(image.pixel(x, 394), c.axis) << x;
        EXPECT_EQ(image.pixel(153, 395), c.panel);
    }
}

TEST(GraphDrawing, TitlesCaptionsLegendAndFooterArePlacedAndCoulouredByRole) {
    const GraphScene scene = BuildGraphScene(Request(test::HalfSpacing20Rows(), " Dar"));
    ASSERT_TRUE(scene.Refusal.isEmpty());
    struct Expected {
        QString text;
        QPoint at;
        GraphInk ink;
        GraphInk backdrop;
    };
    const std::vector<Expected> expected{
        {"First title", {78, 0}, GraphInk::CanvasText, GraphInk::Canvas},
        // The build's version, as the program is given it.
        {"Pelorin " PELORIN_VERSION, {20, 445}, GraphInk::CanvasText, GraphInk::Canvas},
        {"Second title", {80, 20}, GraphInk::SecondTitle, GraphInk::Panel},
        {"Distance from drain (m)", {470, 415}, GraphInk::Label, GraphInk::Panel},
        {"Watertable height above drain (dm)", {70, 50}, GraphInk::Label, GraphInk::Panel},
        {"x Darcy equation", {82, 65}, GraphInk::Darcy, GraphInk::Panel},
        {"o Energy balance", {86, 80}, GraphInk::Energy, GraphInk::Panel},
        {"- requested line", {86, 95}, GraphInk::Requested, GraphInk::Panel},
    };
    for (const Expected& e : expected) {
        const std::vector<SceneText> found = TextsReading(scene, e.text);
        ASSERT_EQ(found.size(), 1u) << e.text.toStdString();
        EXPECT_EQ(found[0].TopLeft, e.at) << e.text.toStdString();
        EXPECT_EQ(found[0].Ink, e.ink) << e.text.toStdString();
        EXPECT_EQ(found[0].Backdrop, e.backdrop) << e.text.toStdString();
        EXPECT_EQ(found[0].LargeFont, e.text == "First title") << e.text.toStdString();
    }
}

TEST(GraphDrawing, HeightLabelsEndSixPixelsLeftOfTheAxisAndCentreOnTheirTicks) {
    const GraphScene scene = BuildGraphScene(Request(test::HalfSpacing20Rows(), " Dar"));
    QImage device(1, 1, QImage::Format_RGB32);
    const QFontMetrics metrics(GraphFont(false), &device);
    const int halfHeight = RoundStep(0.5 * metrics.height());
    std::vector<QString> labels;
    for (const SceneText& text : TextsOf(scene)) {
        const bool leftOfTheAxis = text.TopLeft.x() < kPlotLeft && text.TopLeft.y() < kPlotBottom;
        if (text.Ink != GraphInk::Label || !leftOfTheAxis) continue;
        const int k = static_cast<int>(labels.size());
        labels.push_back(text.Text);
        EXPECT_EQ(text.TopLeft.x() + metrics.horizontalAdvance(text.Text), 64) << k;
        EXPECT_EQ(text.TopLeft.y(), 70 + 32 * k - halfHeight) << k;
    }
    EXPECT_EQ(labels, (std::vector<QString>{"10.0", "9.0", "8.0", "7.0", "6.0", "5.0", "4.0", "3.0",
                                            "2.0", "1.0", "0.0"}));
}

TEST(GraphDrawing, DistanceLabelsStartAtTheirColumnsBelowTheAxis) {
    const GraphScene scene = BuildGraphScene(Request(test::HalfSpacing20Rows(), " Dar"));
    std::vector<std::pair<QString, int>> labels;
    for (const SceneText& text : TextsOf(scene))
        if (text.TopLeft.y() == 402) labels.emplace_back(text.Text, text.TopLeft.x());
    const std::vector<std::pair<QString, int>> expected{{"0.0", 62},   {"4.0", 145},  {"8.0", 229},
                                                        {"12.0", 312}, {"16.0", 395}, {"20.0", 479},
                                                        {"24.0", 562}};
    EXPECT_EQ(labels, expected);
}

struct MarkCase {
    const char* name;
    std::vector<ProfileRow> rows;
    const char* tag;
    int firstDarcy, firstEnergy, firstSegment;  // firstSegment -1: no requested line
    bool darcyCurve;
};

TEST(GraphDrawing, MarkersAndTheRequestedLineFollowTheRowRules) {
    const std::vector<MarkCase> cases{
        {"13 rows, Darcy", test::HalfSpacing20Rows(), " Dar", 3, 1, 2, true},
        {"13 rows, energy balance", test::HalfSpacing20Rows(), " Ene", 3, 1, 2, false},
        {"13 rows, head", test::HalfSpacing20Rows(), " Hyd", 3, 1, -1, false},
        {"4 rows, energy balance", test::FourRows(), " Ene", 1, 0, 1, false},
        {"4 rows, Darcy", test::FourRows(), " Dar", 1, 0, 1, true},
        {"4 rows, head", test::FourRows(), " Hyd", 1, 0, -1, false},
    };
    for (const MarkCase& c : cases) {
        const GraphRequest request = Request(c.rows, c.tag);
        const GraphScene scene = BuildGraphScene(request);
        const GraphScale scale = PrepareGraph(request.Profile).Scale;
        const int n = static_cast<int>(c.rows.size());

        const std::vector<SceneText> crosses = TextsReading(scene, "x");
        ASSERT_EQ(static_cast<int>(crosses.size()), n - c.firstDarcy) << c.name;
        for (int i = c.firstDarcy; i < n; ++i) {
            EXPECT_EQ(crosses[i - c.firstDarcy].TopLeft,
                      QPoint(scale.PixelX[i], scale.PixelYDarcy[i]))
                << c.name << " row " << i;
            EXPECT_EQ(crosses[i - c.firstDarcy].Ink, GraphInk::Darcy);
        }
        const std::vector<SceneText> circles = TextsReading(scene, "o");
        ASSERT_EQ(static_cast<int>(circles.size()), n - c.firstEnergy) << c.name;
        for (int i = c.firstEnergy; i < n; ++i)
            EXPECT_EQ(circles[i - c.firstEnergy].TopLeft,
                      QPoint(scale.PixelX[i], scale.PixelYEnergy[i]))
                << c.name << " row " << i;

        const std::vector<SceneLine> segments = DottedLinesOf(scene);
        const auto& rows = c.darcyCurve ? scale.PixelYDarcy : scale.PixelYEnergy;
        const int expectedSegments = c.firstSegment < 0 ? 0 : n - c.firstSegment;
        ASSERT_EQ(static_cast<int>(segments.size()), expectedSegments) << c.name;
        for (int s = 0; s < expectedSegments; ++s) {
            const int i = c.firstSegment + s;
            EXPECT_EQ(segments[s].From, QPoint(scale.PixelX[i - 1], rows[i - 1] + 8)) << c.name;
            EXPECT_EQ(segments[s].To, QPoint(scale.PixelX[i], rows[i] + 8)) << c.name;
            EXPECT_EQ(segments[s].Ink, GraphInk::Requested);
        }
        EXPECT_EQ(TextsReading(scene, "- requested line").size(), c.firstSegment < 0 ? 0u : 1u)
            << c.name;
    }
}

TEST(GraphDrawing, MarkersArePaintedAfterTheLineAndCrossesBeforeCircles) {
    const GraphScene scene = BuildGraphScene(Request(test::FourRows(), " Ene"));
    int lastDotted = -1, firstCross = -1, lastCross = -1, firstCircle = -1;
    for (int i = 0; i < static_cast<int>(scene.Items.size()); ++i) {
        const SceneItem& item = scene.Items[i];
        if (const auto* line = std::get_if<SceneLine>(&item); line && line->Dotted) lastDotted = i;
        if (const auto* text = std::get_if<SceneText>(&item)) {
            if (text->Text == "x") {
                if (firstCross < 0) firstCross = i;
                lastCross = i;
            }
            if (text->Text == "o" && firstCircle < 0) firstCircle = i;
        }
    }
    EXPECT_GE(lastDotted, 0);
    EXPECT_LT(lastDotted, firstCross);
    EXPECT_LT(lastCross, firstCircle);
}

TEST(GraphDrawing, OnlyTheDarcyAndEnergyReportsDrawARequestedLine) {
    // Below the legend, yellow is the requested line and nothing else.
    const QRect plotBelowLegend(71, 110, 499, 280);
    const QImage darcy = DrawGraph(Request(test::HalfSpacing20Rows(), " Dar")).Image;
    const QImage head = DrawGraph(Request(test::HalfSpacing20Rows(), " Hyd")).Image;
    EXPECT_GT(CountColour(darcy, kYellowRgb, plotBelowLegend), 50);
    EXPECT_EQ(CountColour(head, kYellowRgb, plotBelowLegend), 0);
    EXPECT_GT(CountColour(head, qRgb(0, 255, 255), plotBelowLegend), 0);
}

TEST(GraphDrawing, ProfilesThatCannotBeDrawnAreRefusedWithTheirReason) {
    struct Case {
        const char* name;
        std::vector<ProfileRow> rows;
        QString refusal;
    };
    std::vector<ProfileRow> tooMany;
    for (int i = 0; i <= kMaxProfileRows; ++i) tooMany.push_back({0.1 * i, 0.01 * i, 0.01 * i});
    const std::vector<Case> cases{
        {"empty", {}, "The output file holds no watertable profile, so no graph can be made."},
        {"257 rows", tooMany, "The watertable profile has 257 rows; a graph can show at most 256."},
        {"distance beyond 32 bits", {{0, 0.1, 0.1}, {1e12, 1, 1}}, "Range check error"},
    };
    for (const Case& c : cases) {
        const GraphPicture picture = DrawGraph(Request(c.rows, " Dar"));
        EXPECT_EQ(picture.Refusal, c.refusal) << c.name;
        EXPECT_TRUE(picture.Image.isNull()) << c.name;
    }
}

TEST(GraphDrawing, FarOffPointsAreLeftOutOrClippedToTheCanvas) {
    const GraphRequest request =
        Request({{0.1, 0.0001, 0.0001}, {1, 0.3, 0.3}, {2, 0.6, 1e6}}, " Ene");
    const GraphScene scene = BuildGraphScene(request);
    ASSERT_TRUE(scene.Refusal.isEmpty());
    EXPECT_EQ(TextsReading(scene, "o").size(), 2u);  // the far marker is left out
    const std::vector<SceneLine> segments = DottedLinesOf(scene);
    ASSERT_EQ(segments.size(), 2u);
    const QRect nearCanvas(-1, -1, kCanvasWidth + 2, kCanvasHeight + 2);
    EXPECT_TRUE(nearCanvas.contains(segments[1].From));
    EXPECT_TRUE(nearCanvas.contains(segments[1].To));
    EXPECT_EQ(segments[1].To.y(), -1);
}

TEST(GraphDrawing, SavesWindowsBitmapsAndPng) {
    const QImage image = DrawGraph(Request(test::FourRows(), " Ene")).Image;
    const QString folder = QDir::tempPath() + "/pelorin-graph-save-" +
                           QString::number(QCoreApplication::applicationPid());
    QDir().mkpath(folder);
    for (const char* name : {"/graph.bmp", "/graph.png", "/graph.PNG", "/graph"}) {
        const QString file = folder + name;
        ASSERT_TRUE(SaveGraphImage(image, file).isEmpty()) << name;
        QFile written(file);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        const QByteArray start = written.read(4);
        const bool png = QString(name).endsWith(".png", Qt::CaseInsensitive);
        EXPECT_EQ(start.left(png ? 4 : 2), png ? QByteArray("\x89PNG") : QByteArray("BM")) << name;
        QImage back;
        ASSERT_TRUE(back.load(file, png ? "png" : "bmp")) << name;
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image) << name;
    }
    EXPECT_FALSE(SaveGraphImage(image, folder + "/no-such-folder/graph.bmp").isEmpty());
    QDir(folder).removeRecursively();
}

}  // namespace
}  // namespace pelorin::graph
